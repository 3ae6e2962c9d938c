// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/Krw1000.h"

#include <algorithm>
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

constexpr std::string_view Dash = "0000001";   // segment g alone
constexpr std::string_view Blank = "0000000";  // drawn in the panel's background
constexpr int FrequencyHundredsCell = 4;
constexpr int BitRateFirstCell = 11;
constexpr size_t DecimalPointRow = 19;

}  // namespace

Krw1000::Krw1000(const ColorSetData &current, const SettingData &settings, const EngineState &engine,
                 const Vbmp3Api &api, const int32_t &tickNow, DebugLog *log)
    : color_(current), settings_(settings), engine_(engine), lib_(api, log), tickNow_(tickNow) {
    peakTime_.fill(tickNow);  // held peaks count from the clock, never from 0
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
    DrawGlyph(LargeCellLeft(cell), PanelFont::LargeTopRow, &PanelFont::LargeSegment, &PanelFont::LargeSymbol, on, off,
              pattern);
}

void Krw1000::DrawSmallGlyph(int cell, ColorValue on, ColorValue off, std::string_view pattern) {
    if (cell < 1 || cell > SmallCells) return;
    DrawGlyph(SmallCellLeft(cell), PanelFont::SmallTopRow, &PanelFont::SmallSegment, &PanelFont::SmallSymbol, on, off,
              pattern);
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

// Every field owns a fixed run of cells and rewrites all of them on every
// draw, so a narrower value leaves nothing of a wider one behind. A value
// that does not fit its cells shows as dashes, the way a seven-segment
// panel says "out of range", and never spills into its neighbours.
void Krw1000::DrawField(int64_t value, int digits, int firstCell, bool smallRow, ColorValue on, ColorValue off) {
    int64_t limit = 1;
    for (int i = 0; i < digits; ++i) limit *= 10;
    const bool fits = value >= 0 && value < limit;
    for (int i = digits; i >= 1; --i) {
        const std::string_view pattern = fits ? PanelFont::DigitPattern(static_cast<char>('0' + value % 10)) : Dash;
        if (smallRow)
            DrawSmallGlyph(firstCell + i, on, off, pattern);
        else
            DrawLargeGlyph(firstCell + i, on, off, pattern);
        value /= 10;
    }
}

// Minutes and seconds; a negative time has no reading at all.
void Krw1000::DrawTime(int64_t seconds, int firstCell, ColorValue on, ColorValue off) {
    DrawField(seconds < 0 ? -1 : seconds / 60, 2, firstCell, false, on, off);
    DrawField(seconds < 0 ? -1 : seconds % 60, 2, firstCell + 3, false, on, off);
}

void Krw1000::DrawTrackNumber() { DrawField(engine_.PlayList.TrackNumber, 3, 0, false, color_.track, color_.trackbg); }

void Krw1000::DrawNowTime() { DrawTime(engine_.ElapsedSeconds, 4, color_.nowtime, color_.nowtimebg); }

void Krw1000::DrawTimeMarks() {
    DrawSegmentText(":", 6, false, color_.nowtime, color_.nowtimebg);
    DrawSegmentText("/", 9, false, color_.timeslash, color_.nowtimebg);
    DrawSegmentText(":", 12, false, color_.alltime, color_.alltimebg);
}

void Krw1000::DrawAllTime() { DrawTime(engine_.TrackInfo.LengthSeconds, 10, color_.alltime, color_.alltimebg); }

// Two digits of kilohertz; the free cell before them takes the hundreds of a
// high-resolution rate (192 kHz), and is blank otherwise.
void Krw1000::DrawFrequency() {
    const int64_t kiloHertz = engine_.TrackInfo.SamplingRate / 1000;
    if (kiloHertz >= 100 && kiloHertz <= 999) {
        DrawField(kiloHertz, 3, 3, true, color_.freq, color_.freqbg);
        return;
    }
    DrawSmallGlyph(FrequencyHundredsCell, color_.freq, color_.dotdefaultbg, Blank);
    DrawField(kiloHertz, 2, 4, true, color_.freq, color_.freqbg);
}

void Krw1000::DrawFrequencyUnit() { DrawSegmentText("KHz", 6, true, color_.freqstr, color_.freqbg); }

// Up to 999 kbit/s as it stands; above, in megabits with a decimal point in
// the gap after a digit ("1.41" Mbps for a CD-quality WAV, "49.1" for
// 49,152 kbit/s), truncated like the frequency.
Krw1000::BitRateReading Krw1000::ReadBitRate(int64_t kbps) {
    if (kbps >= 0 && kbps <= 999) return {kbps, 0, 'K'};
    if (kbps < 1000 || kbps > 999999) return {-1, 0, 'K'};
    if (kbps < 10000) return {kbps / 10, 1, 'M'};
    if (kbps < 100000) return {kbps / 100, 2, 'M'};
    return {kbps / 1000, 0, 'M'};
}

void Krw1000::DrawBitRate() {
    // Called on every tick: a rate already on the panel costs nothing.
    if (bitRateShown_ && *bitRateShown_ == engine_.BitRate) return;
    bitRateShown_ = engine_.BitRate;
    const BitRateReading reading = ReadBitRate(engine_.BitRate);
    DrawField(reading.digits, 3, BitRateFirstCell - 1, true, color_.bitrate, color_.bitratebg);
    for (int after = 1; after <= 2; ++after) {
        const auto column = static_cast<size_t>(SmallCellLeft(BitRateFirstCell + after - 1) + 5);
        const ColorValue want = reading.pointAfter == after ? color_.bitrate : color_.dotdefaultbg;
        if (readoutDots_[column][DecimalPointRow] != want) {
            readoutDots_[column][DecimalPointRow] = want;
            readoutDirty_[column][DecimalPointRow] = Dirty;
        }
    }
    DrawWholeSmallSymbol(BitRateFirstCell + 3, color_.bitratestr, reading.unit);
}

void Krw1000::DrawBitRateUnit() {
    DrawWholeSmallSymbol(BitRateFirstCell + 3, color_.bitratestr, ReadBitRate(engine_.BitRate).unit);
    DrawSegmentText("bps", BitRateFirstCell + 3, true, color_.bitratestr, color_.bitratebg);
}

// A letter that changes with the value: every dot of the cell is written, the
// letter's in `on`, the rest in the panel's background, and only the dots
// that change are flagged.
void Krw1000::DrawWholeSmallSymbol(int cell, ColorValue on, char ch) {
    const DotPattern *glyph = PanelFont::SmallSymbol(ch);
    const int left = SmallCellLeft(cell);
    for (int r = 0; r < PanelFont::SmallCellRows; ++r) {
        for (int c = 0; c < PanelFont::SmallCellWidth; ++c) {
            bool lit = false;
            for (int i = 0; glyph != nullptr && i < glyph->count; ++i)
                lit = lit ||
                      (glyph->dots[static_cast<size_t>(i)].column == c && glyph->dots[static_cast<size_t>(i)].row == r);
            const auto x = static_cast<size_t>(left + c);
            const auto y = static_cast<size_t>(PanelFont::SmallTopRow + r);
            const ColorValue want = lit ? on : color_.dotdefaultbg;
            if (readoutDots_[x][y] == want) continue;
            readoutDots_[x][y] = want;
            readoutDirty_[x][y] = Dirty;
        }
    }
}

void Krw1000::DrawRepeatMark() {
    const uint8_t mode = settings_.PlayMode;
    const ColorValue arrow = mode != 255 ? color_.repeatmark : color_.repeatmarkbg;
    SetDots(PanelFont::RepeatArrow(), PanelFont::RepeatArrowColumn, PanelFont::RepeatTopRow, arrow);
    for (int c = PanelFont::RepeatLetterColumn; c < PanelFont::RepeatLetterColumn + PanelFont::RepeatLetterWidth; ++c) {
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
    bitRateShown_.reset();
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

// The whole panel from scratch.
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
            if (Clock::passed(now, peakTime_[bx], PeakHoldMs) || peakLevel_[bx] < h) {
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
        const uint8_t state =
            mustLight ? static_cast<uint8_t>(LvMeterUnlitState(x) - UnlitZone1) : LvMeterUnlitState(x);
        cells[r0] = cells[r0 + 1] = state;
        lvMeterDirty_[static_cast<size_t>(x)][r0] = lvMeterDirty_[static_cast<size_t>(x)][r0 + 1] = Dirty;
    }
}
