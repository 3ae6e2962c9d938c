// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/DisplayFixture.h"
#include "display/PanelFont.h"

#include <cctype>

namespace {

// Every field up to its extremes (whole kilohertz cut, not rounded), read back
// cell by cell: a digit, "-" for segment g alone, " " for a blank cell, "."
// after a lit decimal point (the gap dot on the bottom row). Nothing outside
// the field and its unit changes, the same value again flags nothing, and the
// usual value restores the panel.
struct Field {
    void (*set)(EngineState &, int32_t);
    void (Krw1000::*draw)();
    bool small;
    int firstCell, lastCell;
};
const Field Track{[](EngineState &e, int32_t v) { e.PlayList.TrackNumber = int16_t(v); }, &Krw1000::DrawTrackNumber,
                  false, 1, 3};
const Field Elapsed{[](EngineState &e, int32_t v) { e.ElapsedSeconds = v; }, &Krw1000::DrawNowTime, false, 5, 9};
const Field Length{[](EngineState &e, int32_t v) { e.TrackInfo.LengthSeconds = v; }, &Krw1000::DrawAllTime, false, 11,
                   15};
const Field Rate{[](EngineState &e, int32_t v) { e.TrackInfo.SamplingRate = v; }, &Krw1000::DrawFrequency, true, 4, 6};
const Field BitRate{[](EngineState &e, int32_t v) { e.BitRate = v; }, &Krw1000::DrawBitRate, true, 11, 13};

struct FieldCase {
    const Field *field;
    int32_t value;
    const char *reading;
    char unit;  // the bit rate's unit letter, or 0
};
void PrintTo(const FieldCase &f, std::ostream *os) { *os << f.reading << " for " << f.value; }

const FieldCase FieldCases[] = {
    {&Track, 999, "999", 0},          {&Track, 9999, "---", 0},      {&Track, INT16_MIN, "---", 0},
    {&Elapsed, 5999, "99 59", 0},     {&Elapsed, 6000, "-- 00", 0},  {&Elapsed, INT32_MIN, "-- --", 0},
    {&Length, INT32_MAX, "-- 07", 0}, {&Rate, 11999, " 11", 0},      {&Rate, 1000000, " --", 0},
    {&BitRate, 999, "999", 'K'},      {&BitRate, 1411, "1.41", 'M'}, {&BitRate, 1000000, "---", 'K'},
};

class FieldTest : public DisplayFixture, public ::testing::WithParamInterface<FieldCase> {
protected:
    void SetUsual() {
        engine.PlayList.TrackNumber = 7;
        engine.ElapsedSeconds = 75;
        engine.TrackInfo.LengthSeconds = 200;
        engine.TrackInfo.SamplingRate = 44100;
        engine.BitRate = 128;
    }
    // Left column and top row of cell p (with its gap column after it).
    static std::pair<int, int> CellAt(bool small, int p) {
        return small ? std::pair{6 * p - 2, 13} : std::pair{7 * p - 6, 1};
    }
    bool Lit(int c, int r) const { return std::isupper(static_cast<unsigned char>(Picture(c, c, r, r)[0])) != 0; }

    std::string Reading(const Field &f) const {
        std::string out;
        for (int p = f.firstCell; p <= f.lastCell; ++p) {
            const auto [left, top] = CellAt(f.small, p);
            std::string segments;
            for (int k = 0; k < PanelFont::SegmentCount; ++k) {
                const auto &d = (f.small ? PanelFont::SmallSegment(k) : PanelFont::LargeSegment(k)).dots[0];
                segments += Picture(left + d.column, left + d.column, top + d.row, top + d.row)[0];
            }
            char ch = segments.find_first_not_of('.') == std::string::npos ? ' ' : '?';
            for (char &s : segments) s = std::isupper(static_cast<unsigned char>(s)) ? '1' : '0';
            if (segments == "0000001") ch = '-';
            for (char digit = '0'; digit <= '9'; ++digit)
                if (PanelFont::DigitPattern(digit) == segments) ch = digit;
            out += ch;
            if (f.small && Lit(left + 5, 19)) out += '.';
        }
        return out;
    }
    static std::string Glyph(char letter) {
        std::string g;
        for (int r = 0; r < 7; ++r) g += ".....\n";
        const DotPattern &p = *PanelFont::SmallSymbol(letter);
        for (int i = 0; i < p.count; ++i) g[size_t(p.dots[size_t(i)].row * 6 + p.dots[size_t(i)].column)] = 'P';
        return g;
    }
    // The field's cells, the gaps after them and its unit letter.
    static bool InField(const FieldCase &f, int c, int r) {
        const auto [left, top] = CellAt(f.field->small, f.field->firstCell);
        const int right = CellAt(f.field->small, f.field->lastCell + (f.unit != 0)).first + (f.field->small ? 5 : 6);
        return c >= left && c <= right && r >= top && r < top + (f.field->small ? 7 : 9);
    }
};

TEST_P(FieldTest, ReadsRightStaysInItsCellsAndTheUsualValueRestoresThePanel) {
    const FieldCase &f = GetParam();
    SetUsual();
    display.DrawAllDisplay();
    const auto before = display.ReadoutDots();

    f.field->set(engine, f.value);
    (display.*f.field->draw)();
    EXPECT_EQ(Reading(*f.field), f.reading);
    if (f.unit != 0) {
        EXPECT_EQ(Picture(82, 86, 13, 19), Glyph(f.unit));
    }
    int outside = 0;
    for (int c = 0; c < Krw1000::ReadoutColumns; ++c)
        for (int r = 0; r < Krw1000::ReadoutRows; ++r)
            outside += !InField(f, c, r) && display.ReadoutDots()[size_t(c)][size_t(r)] != before[size_t(c)][size_t(r)];
    EXPECT_EQ(outside, 0) << "dots changed outside the field";
    FlushAll();
    (display.*f.field->draw)();
    EXPECT_EQ(ReadoutFlagCount(), 0) << "the same value again";

    SetUsual();
    (display.*f.field->draw)();
    EXPECT_TRUE(display.ReadoutDots() == before) << "left damage";
}

INSTANTIATE_TEST_SUITE_P(Readout, FieldTest, ::testing::ValuesIn(FieldCases));

}  // namespace
