// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QImage>

#include "config/ColorSchemeFile.h"
#include "display/Krw1000.h"
#include "display/PanelPainter.h"

class DisplayFixture : public ::testing::Test {
protected:
    // The scripted spectrum: static, as the engine table holds plain function pointers.
    static inline std::array<int32_t, 256> first{};
    static inline std::array<int32_t, 256> second{};
    static int GetSpectrum(int32_t *a, int32_t *b) {
        std::copy(first.begin(), first.end(), a);
        std::copy(second.begin(), second.end(), b);
        return 1;
    }

    void SetUp() override {
        first.fill(0);
        second.fill(0);
        api.vbmp3_getSpectrum = &GetSpectrum;
        // Every colour distinct, so a picture tells which one a dot shows.
        uint32_t n = 0;
        for (const auto &f : ColorSchemeFile::colorFields()) {
            ++n;
            color.*f.member = RGBColor(n, 3 * n, 7 * n);
        }
    }

    // Columns c0..c1 and rows r0..r1 of the readout panel, one text line
    // per row; each dot as the legend character of its colour.
    std::string Picture(int c0, int c1, int r0, int r1) const {
        const std::map<ColorValue, char> legend = {
            {color.dotdefaultbg, '.'}, {color.track, 'T'},      {color.trackbg, 't'},    {color.nowtime, 'N'},
            {color.nowtimebg, 'n'},    {color.timeslash, 'S'},  {color.alltime, 'A'},    {color.alltimebg, 'a'},
            {color.freq, 'F'},         {color.freqbg, 'f'},     {color.freqstr, 'H'},    {color.bitrate, 'B'},
            {color.bitratebg, 'b'},    {color.bitratestr, 'P'}, {color.repeatmark, 'R'}, {color.repeatmarkbg, 'r'},
        };
        std::string out;
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                const auto it = legend.find(display.ReadoutDots()[size_t(c)][size_t(r)]);
                out += it == legend.end() ? '?' : it->second;
            }
            out += '\n';
        }
        return out;
    }

    int ReadoutFlagCount() const { return FlagCount(display.ReadoutDirty()); }
    template <typename Grid>
    static int FlagCount(const Grid &g) {
        int n = 0;
        for (const auto &column : g)
            for (uint8_t f : column) n += f == Krw1000::Dirty;
        return n;
    }
    // Paints everything flagged into a scratch image, clearing the flags.
    void FlushAll() {
        painter.FlushReadout(scratch);
        painter.FlushSpeana(scratch);
        painter.FlushLvMeter(scratch);
    }

    ColorSetData color;
    SettingData settings;
    EngineState engine;
    Vbmp3Api api;
    int32_t tick = 0;
    Krw1000 display{color, settings, engine, api, tick};
    PanelPainter painter{display, color};
    QImage scratch{634, 115, QImage::Format_RGB32};
};
