// A drawing module wired to a test scheme, settings, engine state, clock
// value and a fake engine table whose spectrum the test scripts.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QImage>

#include "display/Krw1000.h"
#include "display/PanelPainter.h"

class DisplayFixture : public ::testing::Test {
protected:
    // The engine table holds plain function pointers, so the scripted
    // spectrum has to live in static storage; SetUp clears it for each test.
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
        color.dotdefaultbg = 0x010101;
        color.track = 0x000010;
        color.trackbg = 0x000011;
        color.nowtime = 0x000020;
        color.nowtimebg = 0x000021;
        color.timeslash = 0x000022;
        color.alltime = 0x000030;
        color.alltimebg = 0x000031;
        color.freq = 0x000040;
        color.freqbg = 0x000041;
        color.freqstr = 0x000042;
        color.bitrate = 0x000050;
        color.bitratebg = 0x000051;
        color.bitratestr = 0x000052;
        color.repeatmark = 0x000060;
        color.repeatmarkbg = 0x000061;
        color.speana1 = RGBColor(1, 200, 1);
        color.speana2 = RGBColor(200, 200, 2);
        color.speana3 = RGBColor(200, 3, 3);
        color.speanabg1 = RGBColor(4, 50, 4);
        color.speanabg2 = RGBColor(50, 50, 5);
        color.speanabg3 = RGBColor(50, 6, 6);
        color.lvmeter1 = RGBColor(7, 210, 7);
        color.lvmeter2 = RGBColor(210, 210, 8);
        color.lvmeter3 = RGBColor(210, 9, 9);
        color.lvmeterbg1 = RGBColor(10, 60, 10);
        color.lvmeterbg2 = RGBColor(60, 60, 11);
        color.lvmeterbg3 = RGBColor(60, 12, 12);
        color.formbg = RGBColor(12, 34, 56);
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

    static std::string Lines(const std::vector<std::string> &rows) {
        std::string out;
        for (const auto &r : rows) out += r + '\n';
        return out;
    }

    int ReadoutFlagCount() const {
        int n = 0;
        for (const auto &column : display.ReadoutDirty())
            for (uint8_t f : column) n += f == Krw1000::Dirty;
        return n;
    }
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
