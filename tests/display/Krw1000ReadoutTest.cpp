// The readout panel: fields rendered into the dot grid, compared with
// pictures ('.' = dotdefaultbg; upper case = a field's on colour, lower
// case its off colour), and the repaint flags.
#include "display/DisplayFixture.h"
#include "display/PanelFont.h"

namespace {

class ReadoutTest : public DisplayFixture {};

// The digits themselves are the font table's; here only where they go.
TEST_F(ReadoutTest, TrackNumberIsPaddedWithZeros) {
    display.DrawAllDisplay();
    const std::string zero = Picture(1, 6, 1, 9);
    engine.PlayList.TrackNumber = 7;
    display.DrawTrackNumber();
    EXPECT_EQ(Picture(1, 6, 1, 9), zero);
    EXPECT_EQ(Picture(8, 13, 1, 9), zero);
    EXPECT_NE(Picture(15, 20, 1, 9), zero);
}

TEST_F(ReadoutTest, FrequencyShowsWholeKilohertzCutNotRounded) {
    engine.TrackInfo.SamplingRate = 11025;
    display.DrawAllDisplay();
    const std::string eleven = Picture(28, 38, 12, 20);
    engine.TrackInfo.SamplingRate = 11999;
    display.DrawFrequency();
    EXPECT_EQ(Picture(28, 38, 12, 20), eleven);
    engine.TrackInfo.SamplingRate = 12000;
    display.DrawFrequency();
    EXPECT_NE(Picture(28, 38, 12, 20), eleven);
}

// Every field with the values it can receive, wide ones included. Each cell
// is read back: a digit, "-" for segment g alone, " " for a blank cell, and
// "." after a cell whose decimal point (the gap dot on the bottom row) is lit.
struct FieldCase {
    const char *what;
    void (*set)(EngineState &, int64_t);
    void (Krw1000::*draw)();
    bool smallRow;
    int firstCell, lastCell;
    int64_t value;
    const char *reading;
    char unit;  // the bit rate's unit letter, or 0
};

void SetTrack(EngineState &e, int64_t v) { e.PlayList.TrackNumber = static_cast<int16_t>(v); }
void SetElapsed(EngineState &e, int64_t v) { e.ElapsedSeconds = static_cast<int32_t>(v); }
void SetLength(EngineState &e, int64_t v) { e.TrackInfo.LengthSeconds = static_cast<int32_t>(v); }
void SetRate(EngineState &e, int64_t v) { e.TrackInfo.SamplingRate = static_cast<int32_t>(v); }
void SetBitRate(EngineState &e, int64_t v) { e.BitRate = static_cast<int32_t>(v); }

void PrintTo(const FieldCase &f, std::ostream *os) { *os << f.what << " " << f.value; }

const FieldCase FieldCases[] = {
    {"track", SetTrack, &Krw1000::DrawTrackNumber, false, 1, 3, 999, "999", 0},
    {"track", SetTrack, &Krw1000::DrawTrackNumber, false, 1, 3, 9999, "---", 0},
    {"track", SetTrack, &Krw1000::DrawTrackNumber, false, 1, 3, -7, "---", 0},
    {"track", SetTrack, &Krw1000::DrawTrackNumber, false, 1, 3, INT16_MIN, "---", 0},
    {"elapsed", SetElapsed, &Krw1000::DrawNowTime, false, 5, 9, 5999, "99 59", 0},
    {"elapsed", SetElapsed, &Krw1000::DrawNowTime, false, 5, 9, 6000, "-- 00", 0},
    {"elapsed", SetElapsed, &Krw1000::DrawNowTime, false, 5, 9, -5, "-- --", 0},
    {"elapsed", SetElapsed, &Krw1000::DrawNowTime, false, 5, 9, INT32_MIN, "-- --", 0},
    {"length", SetLength, &Krw1000::DrawAllTime, false, 11, 15, 600 * 60, "-- 00", 0},
    {"length", SetLength, &Krw1000::DrawAllTime, false, 11, 15, INT32_MAX, "-- 07", 0},
    {"rate", SetRate, &Krw1000::DrawFrequency, true, 4, 6, 8000, " 08", 0},
    {"rate", SetRate, &Krw1000::DrawFrequency, true, 4, 6, 192000, "192", 0},
    {"rate", SetRate, &Krw1000::DrawFrequency, true, 4, 6, 1000000, " --", 0},
    {"rate", SetRate, &Krw1000::DrawFrequency, true, 4, 6, INT32_MIN, " --", 0},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, 999, "999", 'K'},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, 1411, "1.41", 'M'},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, 49152, "49.1", 'M'},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, 384000, "384", 'M'},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, 1000000, "---", 'K'},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, INT32_MIN, "---", 'K'},
};

class FieldTest : public DisplayFixture, public ::testing::WithParamInterface<FieldCase> {
protected:
    struct Cell {
        int left, top, width, height;
    };
    static Cell CellAt(bool smallRow, int p) {
        return smallRow ? Cell{6 * p - 2, 13, 5, 7} : Cell{7 * p - 6, 1, 6, 9};
    }
    ColorValue Dot(int c, int r) const { return display.ReadoutDots()[size_t(c)][size_t(r)]; }

    std::string Reading(const FieldCase &f) const {
        std::string out;
        for (int p = f.firstCell; p <= f.lastCell; ++p) {
            const Cell cell = CellAt(f.smallRow, p);
            std::string segments;
            bool blank = true;
            for (int k = 0; k < PanelFont::SegmentCount; ++k) {
                const auto &d = (f.smallRow ? PanelFont::SmallSegment(k) : PanelFont::LargeSegment(k)).dots[0];
                const ColorValue c = Dot(cell.left + d.column, cell.top + d.row);
                blank = blank && c == color.dotdefaultbg;
                segments += c == color.track || c == color.nowtime || c == color.alltime || c == color.freq ||
                                    c == color.bitrate
                                ? '1'
                                : '0';
            }
            char ch = segments == "0000001" ? '-' : blank ? ' ' : '?';
            for (char digit = '0'; digit <= '9'; ++digit)
                if (PanelFont::DigitPattern(digit) == segments) ch = digit;
            out += ch;
            if (f.smallRow && Dot(cell.left + 5, 19) != color.dotdefaultbg) out += '.';
        }
        return out;
    }
    char Unit() const {
        for (char letter : {'K', 'M'}) {
            const DotPattern &g = *PanelFont::SmallSymbol(letter);
            int lit = 0;
            for (int c = 0; c < 5; ++c)
                for (int r = 0; r < 7; ++r) lit += Dot(82 + c, 13 + r) == color.bitratestr;
            bool all = lit == g.count;
            for (int i = 0; i < g.count; ++i) all = all && Dot(82 + g.dots[size_t(i)].column, 13 + g.dots[size_t(i)].row) == color.bitratestr;
            if (all) return letter;
        }
        return '?';
    }
    // True when (c, r) lies in one of the field's cells (with the gap after
    // it, where a decimal point goes) or in its unit letter.
    static bool InField(const FieldCase &f, int c, int r) {
        for (int p = f.firstCell; p <= f.lastCell + (f.unit != 0); ++p) {
            const Cell cell = CellAt(f.smallRow, p);
            if (c >= cell.left && c <= cell.left + cell.width && r >= cell.top && r < cell.top + cell.height)
                return true;
        }
        return false;
    }
};

TEST_P(FieldTest, AWideValueReadsRightStaysInItsCellsAndANarrowOneRestoresThePanel) {
    const FieldCase &f = GetParam();
    engine.PlayList.TrackNumber = 7;
    engine.ElapsedSeconds = 75;
    engine.TrackInfo.LengthSeconds = 200;
    engine.TrackInfo.SamplingRate = 44100;
    engine.BitRate = 128;
    display.DrawAllDisplay();
    const auto before = display.ReadoutDots();

    f.set(engine, f.value);
    (display.*f.draw)();
    EXPECT_EQ(Reading(f), f.reading) << f.what << " " << f.value;
    if (f.unit != 0) {
        EXPECT_EQ(Unit(), f.unit) << f.value;
    }
    for (int c = 0; c < Krw1000::ReadoutColumns; ++c) {
        for (int r = 0; r < Krw1000::ReadoutRows; ++r) {
            if (!InField(f, c, r)) {
                ASSERT_EQ(Dot(c, r), before[size_t(c)][size_t(r)]) << f.what << " at " << c << "," << r;
            }
        }
    }
    FlushAll();
    (display.*f.draw)();
    EXPECT_EQ(ReadoutFlagCount(), 0) << "the same value again";

    SetTrack(engine, 7), SetElapsed(engine, 75), SetLength(engine, 200), SetRate(engine, 44100), SetBitRate(engine, 128);
    (display.*f.draw)();
    EXPECT_TRUE(display.ReadoutDots() == before) << f.what << " " << f.value << " left damage";
}

INSTANTIATE_TEST_SUITE_P(Readout, FieldTest, ::testing::ValuesIn(FieldCases));

TEST_F(ReadoutTest, RedrawingTheSameValuesFlagsNothingAndAChangeFlagsOnlyItsSegments) {
    engine.PlayList.TrackNumber = 7;
    engine.ElapsedSeconds = 75;
    engine.TrackInfo.LengthSeconds = 200;
    engine.TrackInfo.SamplingRate = 44100;
    engine.BitRate = 192;
    display.DrawAllDisplay();
    FlushAll();
    ASSERT_EQ(ReadoutFlagCount(), 0);

    display.DrawTimeMarks();
    display.DrawFrequencyUnit();
    display.DrawBitRateUnit();
    EXPECT_EQ(ReadoutFlagCount(), 0);  // the fields: see FieldTest

    // 7 -> 8 lights d, e and g: 4 + 3 + 4 dots, all in cell 3.
    engine.PlayList.TrackNumber = 8;
    display.DrawTrackNumber();
    EXPECT_EQ(ReadoutFlagCount(), 11);
    int inCell3 = 0;
    for (int c = 15; c <= 20; ++c)
        for (int r = 1; r <= 9; ++r) inCell3 += display.ReadoutDirty()[size_t(c)][size_t(r)] == Krw1000::Dirty;
    EXPECT_EQ(inCell3, 11);
}

}  // namespace
