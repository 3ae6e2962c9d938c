#include "display/Krw1000.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "common/Clock.h"
#include "display/PanelFont.h"

namespace {

constexpr int LargeCells = 15;
constexpr int SmallCells = 17;
constexpr int PeakHoldMs = 1000;
constexpr int BinsPerBand = Krw1000::SpectrumBins / Krw1000::SpeanaColumns;

// Cells of the large row are 7 columns apart, those of the small row 6.
constexpr int LargeCellLeft(int cell) { return 7 * cell - 6; }
constexpr int SmallCellLeft(int cell) { return 6 * cell - 2; }

}  // namespace

Krw1000::Krw1000(const ColorSetData &current, const SettingData &settings, const EngineState &engine,
                 const Vbmp3Api &api, const int32_t &tickNow, DebugLog *log)
    : color_(current), settings_(settings), engine_(engine), lib_(api, log), tickNow_(tickNow) {
    ResetSpeanaCells();
    ResetLvMeterCells();
}

// ---------------------------------------------------------------- readouts

void Krw1000::DrawSegmentText(std::string_view text, int firstCell, bool smallRow, ColorValue on, ColorValue off) {
    for (size_t i = 0; i < text.size(); ++i) {
        std::string_view pattern = PanelFont::DigitPattern(text[i]);
        if (pattern.empty()) pattern = text.substr(i, 1);
        const int cell = firstCell + static_cast<int>(i) + 1;
        if (smallRow)
            DrawSmallGlyph(cell, on, off, pattern);
        else
            DrawLargeGlyph(cell, on, off, pattern);
    }
}

void Krw1000::DrawLargeGlyph(int cell, ColorValue on, ColorValue off, std::string_view pattern) {
    if (cell < 1 || cell > LargeCells) return;  // past the panel's edge: nothing to draw
    DrawGlyph(LargeCellLeft(cell), PanelFont::LargeTopRow, &PanelFont::LargeSegment, &PanelFont::LargeSymbol, on,
              off, pattern);
}

void Krw1000::DrawSmallGlyph(int cell, ColorValue on, ColorValue off, std::string_view pattern) {
    if (cell < 1 || cell > SmallCells) return;
    DrawGlyph(SmallCellLeft(cell), PanelFont::SmallTopRow, &PanelFont::SmallSegment, &PanelFont::SmallSymbol, on,
              off, pattern);
}

void Krw1000::DrawGlyph(int left, int top, const DotPattern &(*segment)(int), const DotPattern *(*symbol)(char),
                        ColorValue on, ColorValue off, std::string_view pattern) {
    // A part whose first dot already shows the wanted colour is taken as
    // drawn, so an unchanged digit costs one comparison per segment.
    const auto showsAlready = [&](const DotPattern &p, ColorValue colour) {
        const DotPattern::Dot &d = p.dots[0];
        return readoutDots_[static_cast<size_t>(left + d.column)][static_cast<size_t>(top + d.row)] == colour;
    };
    if (pattern.size() == PanelFont::SegmentCount) {
        for (int k = 0; k < PanelFont::SegmentCount; ++k) {
            const DotPattern &s = segment(k);
            const ColorValue colour = pattern[static_cast<size_t>(k)] == '1' ? on : off;
            if (!showsAlready(s, colour)) SetDots(s, left, top, colour);
        }
    } else if (pattern.size() == 1) {
        const DotPattern *g = symbol(pattern[0]);
        if (g != nullptr && !showsAlready(*g, on)) SetDots(*g, left, top, on);
    }
}

void Krw1000::SetDots(const DotPattern &p, int left, int top, ColorValue colour) {
    for (int i = 0; i < p.count; ++i) {
        const auto c = static_cast<size_t>(left + p.dots[static_cast<size_t>(i)].column);
        const auto r = static_cast<size_t>(top + p.dots[static_cast<size_t>(i)].row);
        readoutDots_[c][r] = colour;
        readoutDirty_[c][r] = Dirty;
    }
}

// Decimal with at least `digits` digits, zero-padded; a negative value gets
// a leading "-" before the padded digits ("-007").
void Krw1000::DrawNumber(int64_t value, int digits, int firstCell, bool smallRow, ColorValue on, ColorValue off) {
    char text[32];
    char *p = text;
    uint64_t magnitude = static_cast<uint64_t>(value);
    if (value < 0) {
        *p++ = '-';
        magnitude = 0 - magnitude;
    }
    char raw[24];
    const auto end = std::to_chars(raw, raw + sizeof raw, magnitude).ptr;
    const auto length = static_cast<int>(end - raw);
    for (int i = length; i < digits; ++i) *p++ = '0';
    p = std::copy(raw, end, p);
    DrawSegmentText(std::string_view(text, static_cast<size_t>(p - text)), firstCell, smallRow, on, off);
}

void Krw1000::DrawTrackNumber() {
    DrawNumber(engine_.PlayList.TrackNumber, 3, 0, false, color_.track, color_.trackbg);
}

void Krw1000::DrawNowTime() {
    const int64_t seconds = engine_.ElapsedSeconds;
    DrawNumber(seconds / 60, 2, 4, false, color_.nowtime, color_.nowtimebg);
    DrawNumber(seconds % 60, 2, 7, false, color_.nowtime, color_.nowtimebg);
}

void Krw1000::DrawTimeMarks() {
    DrawSegmentText(":", 6, false, color_.nowtime, color_.nowtimebg);
    DrawSegmentText("/", 9, false, color_.timeslash, color_.nowtimebg);
    DrawSegmentText(":", 12, false, color_.alltime, color_.alltimebg);
}

void Krw1000::DrawAllTime() {
    const int64_t seconds = engine_.TrackInfo.LengthSeconds;
    DrawNumber(seconds / 60, 2, 10, false, color_.alltime, color_.alltimebg);
    DrawNumber(seconds % 60, 2, 13, false, color_.alltime, color_.alltimebg);
}

void Krw1000::DrawFrequency() {
    DrawNumber(engine_.TrackInfo.SamplingRate / 1000, 2, 4, true, color_.freq, color_.freqbg);
}

void Krw1000::DrawFrequencyUnit() { DrawSegmentText("KHz", 6, true, color_.freqstr, color_.freqbg); }

void Krw1000::DrawBitRate() { DrawNumber(engine_.BitRate, 3, 10, true, color_.bitrate, color_.bitratebg); }

void Krw1000::DrawBitRateUnit() { DrawSegmentText("Kbps", 13, true, color_.bitratestr, color_.bitratebg); }

void Krw1000::DrawRepeatMark() {
    const uint8_t mode = settings_.PlayMode;
    const ColorValue arrow = mode != 255 ? color_.repeatmark : color_.repeatmarkbg;
    SetDots(PanelFont::RepeatArrow(), PanelFont::RepeatArrowColumn, PanelFont::RepeatTopRow, arrow);
    for (int c = PanelFont::RepeatLetterColumn; c < PanelFont::RepeatLetterColumn + PanelFont::RepeatLetterWidth;
         ++c) {
        for (int r = 12; r <= 19; ++r) {
            readoutDots_[static_cast<size_t>(c)][static_cast<size_t>(r)] = color_.repeatmarkbg;
            readoutDirty_[static_cast<size_t>(c)][static_cast<size_t>(r)] = Dirty;
        }
    }
    if (const DotPattern *letter = PanelFont::RepeatLetter(mode))
        SetDots(*letter, PanelFont::RepeatLetterColumn, PanelFont::RepeatTopRow, arrow);
}

void Krw1000::ResetReadoutDots() {
    for (auto &column : readoutDots_) column.fill(color_.dotdefaultbg);
    MarkReadoutDirty();
}

void Krw1000::MarkReadoutDirty() {
    for (auto &column : readoutDirty_) column.fill(Dirty);
}

// ---------------------------------------------------------------- all grids

void Krw1000::DrawAllDisplay() {
    ResetSpeanaCells();
    ResetLvMeterCells();
    RedrawReadout();
}

void Krw1000::RedrawAfterColorChange() {
    // Analyser and meter keep their states and are only repainted.
    MarkSpeanaDirty();
    MarkLvMeterDirty();
    RedrawReadout();
}

// The whole panel from scratch: the fixed glyphs first, so that oversized
// values drawn after them overwrite them until the next full redraw.
void Krw1000::RedrawReadout() {
    ResetReadoutDots();
    DrawTimeMarks();
    DrawFrequencyUnit();
    DrawBitRateUnit();
    DrawTrackNumber();
    DrawNowTime();
    DrawAllTime();
    DrawRepeatMark();
    DrawFrequency();
    DrawBitRate();
}

void Krw1000::MarkAllDirty() {
    MarkSpeanaDirty();
    MarkLvMeterDirty();
    MarkReadoutDirty();
}

// ---------------------------------------------------------------- analyser and meters

uint8_t Krw1000::SpeanaUnlitState(int row) {
    if (row >= 16) return UnlitZone1;  // the lower 16 rows
    if (row >= 7) return UnlitZone2;   // the next 9
    return UnlitZone3;                 // the top 7
}

uint8_t Krw1000::LvMeterUnlitState(int column) {
    if (column <= 16) return UnlitZone1;
    if (column <= 25) return UnlitZone2;
    return UnlitZone3;
}

void Krw1000::ResetSpeanaCells() {
    for (auto &column : speanaCells_)
        for (int y = 0; y < SpeanaRows; ++y) column[static_cast<size_t>(y)] = SpeanaUnlitState(y);
    MarkSpeanaDirty();
}

void Krw1000::MarkSpeanaDirty() {
    for (auto &column : speanaDirty_) column.fill(Dirty);
}

void Krw1000::ResetLvMeterCells() {
    for (int x = 0; x < LvMeterColumns; ++x) lvMeterCells_[static_cast<size_t>(x)].fill(LvMeterUnlitState(x));
    MarkLvMeterDirty();
}

void Krw1000::MarkLvMeterDirty() {
    for (auto &column : lvMeterDirty_) column.fill(Dirty);
}

void Krw1000::SetSpeanaMode(int index) {
    if (index != 0) {
        speanaScale_ = 30.0f;
        lvMeterScale_ = 3.75f;
    } else {
        speanaScale_ = 24.0f;
        lvMeterScale_ = 3.5f;
    }
}

void Krw1000::UpdateSpeana() {
    // Without the engine function the last spectrum stays (zeros at first).
    lib_.vbmp3_getSpectrum(spectrum1_.data(), spectrum2_.data());

    const int64_t divisor = std::max<int64_t>(1, std::llrint(2.0 * static_cast<double>(speanaScale_)));
    const bool hold = settings_.PeakHold == 0;
    const int32_t now = tickNow_;

    for (int x = 0; x < SpeanaColumns; ++x) {
        const auto bx = static_cast<size_t>(x);
        int64_t sum = 0;
        for (int i = BinsPerBand * x; i < BinsPerBand * (x + 1); ++i)
            sum += int64_t{spectrum1_[static_cast<size_t>(i)]} + spectrum2_[static_cast<size_t>(i)];
        const int32_t h = sum > 0 ? static_cast<int32_t>(sum / divisor) : 0;

        auto &column = speanaCells_[bx];
        const SpeanaGrid::value_type before = column;

        if (hold) {
            int32_t old = 0;
            if (Clock::diff(now, peakTime_[bx]) >= PeakHoldMs || peakLevel_[bx] < h) {
                old = peakLevel_[bx];
                peakLevel_[bx] = h;
                peakTime_[bx] = now;
            }
            // Erase the previous peak dot; a peak above the top row has none.
            if (old > 0 && old < SpeanaRows) {
                const int y = SpeanaRows - 1 - old;
                column[static_cast<size_t>(y)] = SpeanaUnlitState(y);
            }
        }

        // Heights above the top row light the whole column.
        for (int y = 0; y < SpeanaRows; ++y) {
            uint8_t &cell = column[static_cast<size_t>(y)];
            const bool mustLight = h >= SpeanaRows - 1 - y;
            const bool lit = cell < UnlitZone1;
            if (mustLight && !lit)
                cell = static_cast<uint8_t>(SpeanaUnlitState(y) - UnlitZone1);
            else if (!mustLight && lit)
                cell = SpeanaUnlitState(y);
        }

        if (hold && peakLevel_[bx] >= 0 && peakLevel_[bx] < SpeanaRows) {
            uint8_t &cell = column[static_cast<size_t>(SpeanaRows - 1 - peakLevel_[bx])];
            if (cell >= UnlitZone1) cell = LitZone3;
        }

        // Flag what ends up different: a held peak dot above its bar is
        // unlit by the bar and lit again by the peak on every tick, and
        // that need not be painted.
        for (int y = 0; y < SpeanaRows; ++y)
            if (column[static_cast<size_t>(y)] != before[static_cast<size_t>(y)])
                speanaDirty_[bx][static_cast<size_t>(y)] = Dirty;
    }
}

void Krw1000::UpdateLvMeter() {
    const int32_t peak1 = *std::max_element(spectrum1_.begin(), spectrum1_.end());
    const int32_t peak2 = *std::max_element(spectrum2_.begin(), spectrum2_.end());
    const double scale = static_cast<double>(lvMeterScale_);
    // Rounded to the nearest whole number, halves to even.
    SetLvMeterChannel(0, std::llrint(peak1 / scale));
    SetLvMeterChannel(2, std::llrint(peak2 / scale));
}

void Krw1000::SetLvMeterChannel(int topRow, int64_t level) {
    const auto r0 = static_cast<size_t>(topRow);
    for (int x = 0; x < LvMeterColumns; ++x) {
        auto &cells = lvMeterCells_[static_cast<size_t>(x)];
        const bool mustLight = level >= x;
        const bool lit = cells[r0] < UnlitZone1;
        if (mustLight == lit) continue;
        const uint8_t state = mustLight ? static_cast<uint8_t>(LvMeterUnlitState(x) - UnlitZone1)
                                        : LvMeterUnlitState(x);
        cells[r0] = cells[r0 + 1] = state;
        lvMeterDirty_[static_cast<size_t>(x)][r0] = lvMeterDirty_[static_cast<size_t>(x)][r0 + 1] = Dirty;
    }
}
