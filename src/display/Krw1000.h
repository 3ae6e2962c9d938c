// SPDX-License-Identifier: GPL-3.0-or-later
// KRW1000, the drawing module: the readout panel's dot grid, the spectrum
// analyser and the level meters, each a grid of cells with repaint flags.
// Routines here only change cells and flag them; PanelPainter paints the
// flagged cells into the window's image and clears the flags.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "config/ColorSetData.h"
#include "config/SettingData.h"
#include "display/DotPattern.h"
#include "engine/EngineState.h"
#include "vbmp3/Vbmp3Calls.h"

class PanelPainter;

class Krw1000 {
public:
    static constexpr const char *Version = "1000(2003-07-02 JST)";

    static constexpr int ReadoutColumns = 106;
    static constexpr int ReadoutRows = 21;
    static constexpr int SpeanaColumns = 32;
    static constexpr int SpeanaRows = 32;
    static constexpr int LvMeterColumns = 32;
    static constexpr int LvMeterRows = 4;
    static constexpr int SpectrumBins = 256;
    static constexpr uint8_t Dirty = 255;

    // Cell states of the analyser and the meter: below 3 lit, 3 and above
    // unlit; the zone is state % 3.
    static constexpr uint8_t LitZone1 = 0, LitZone2 = 1, LitZone3 = 2;
    static constexpr uint8_t UnlitZone1 = 3, UnlitZone2 = 4, UnlitZone3 = 5;

    // Grids are indexed [column][row].
    template <typename T, int Columns, int Rows>
    using Grid = std::array<std::array<T, Rows>, Columns>;
    using ReadoutColorGrid = Grid<ColorValue, ReadoutColumns, ReadoutRows>;
    using ReadoutFlagGrid = Grid<uint8_t, ReadoutColumns, ReadoutRows>;
    using SpeanaGrid = Grid<uint8_t, SpeanaColumns, SpeanaRows>;
    using LvMeterGrid = Grid<uint8_t, LvMeterColumns, LvMeterRows>;

    // All references must outlive this object; `current` is the scheme in
    // use, `tickNow` the clock value read at the start of the current tick.
    Krw1000(const ColorSetData &current, const SettingData &settings, const EngineState &engine, const Vbmp3Api &api,
            const int32_t &tickNow, DebugLog *log = nullptr);

    // Readout panel.
    void DrawSegmentText(std::string_view text, int firstCell, bool smallRow, ColorValue on, ColorValue off);
    void DrawLargeGlyph(int cell, ColorValue on, ColorValue off, std::string_view pattern);
    void DrawSmallGlyph(int cell, ColorValue on, ColorValue off, std::string_view pattern);
    void DrawTrackNumber();
    void DrawNowTime();
    void DrawTimeMarks();
    void DrawAllTime();
    void DrawFrequency();
    void DrawFrequencyUnit();
    void DrawBitRate();
    void DrawBitRateUnit();
    void DrawRepeatMark();
    void ResetReadoutDots();
    void MarkReadoutDirty();

    // All three grids.
    void DrawAllDisplay();
    void RedrawAfterColorChange();
    void MarkAllDirty();

    // Analyser and meters.
    void ResetSpeanaCells();
    void MarkSpeanaDirty();
    void ResetLvMeterCells();
    void MarkLvMeterDirty();
    void UpdateSpeana();
    void UpdateLvMeter();
    void SetSpeanaMode(int index);  // 0 bright display, otherwise the measuring scale

    // The panel's left shift in pixels: 0 with the analyser shown, 258 with it
    // hidden. The caller flags the panel (MarkReadoutDirty) after a change.
    void SetReadoutShift(int pixels) { readoutShift_ = pixels; }

    // Read access for the flushes and the debug window.
    const ReadoutColorGrid &ReadoutDots() const { return readoutDots_; }
    const ReadoutFlagGrid &ReadoutDirty() const { return readoutDirty_; }
    const SpeanaGrid &SpeanaCells() const { return speanaCells_; }
    const SpeanaGrid &SpeanaDirty() const { return speanaDirty_; }
    const LvMeterGrid &LvMeterCells() const { return lvMeterCells_; }
    const LvMeterGrid &LvMeterDirty() const { return lvMeterDirty_; }
    int32_t ReadoutShift() const { return readoutShift_; }
    const std::array<int32_t, SpeanaColumns> &PeakLevel() const { return peakLevel_; }
    const std::array<int32_t, SpeanaColumns> &PeakTime() const { return peakTime_; }
    float SpeanaScale() const { return speanaScale_; }
    float LvMeterScale() const { return lvMeterScale_; }

    // The zone states of a cell.
    static uint8_t SpeanaUnlitState(int row);
    static uint8_t LvMeterUnlitState(int column);

private:
    friend class PanelPainter;  // clears the repaint flags as it paints

    void DrawGlyph(int left, int top, const DotPattern &(*segment)(int), const DotPattern *(*symbol)(char),
                   ColorValue on, ColorValue off, std::string_view pattern);
    void SetDots(const DotPattern &p, int left, int top, ColorValue colour);
    void RedrawReadout();
    void DrawField(int64_t value, int digits, int firstCell, bool smallRow, ColorValue on, ColorValue off);
    void DrawTime(int64_t seconds, int firstCell, ColorValue on, ColorValue off);
    void DrawWholeSmallSymbol(int cell, ColorValue on, char ch);
    // The bit rate as shown: up to three digits (-1 for dashes), the cell
    // after which a decimal point stands (0 for none) and the unit letter.
    struct BitRateReading {
        int64_t digits;
        int pointAfter;
        char unit;
    };
    static BitRateReading ReadBitRate(int64_t kbps);
    void SetLvMeterChannel(int topRow, int64_t level);

    const ColorSetData &color_;
    const SettingData &settings_;
    const EngineState &engine_;
    Vbmp3Calls lib_;
    const int32_t &tickNow_;

    ReadoutColorGrid readoutDots_{};
    ReadoutFlagGrid readoutDirty_{};
    int32_t readoutShift_ = 0;
    std::optional<int64_t> bitRateShown_;  // the rate the readout shows, if drawn since the last reset

    SpeanaGrid speanaCells_{};
    SpeanaGrid speanaDirty_{};
    LvMeterGrid lvMeterCells_{};
    LvMeterGrid lvMeterDirty_{};
    std::array<int32_t, SpectrumBins> spectrum1_{};
    std::array<int32_t, SpectrumBins> spectrum2_{};
    std::array<int32_t, SpeanaColumns> peakLevel_{};
    std::array<int32_t, SpeanaColumns> peakTime_{};
    float speanaScale_ = 24.0f;
    float lvMeterScale_ = 3.5f;
};
