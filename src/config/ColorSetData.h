// SPDX-License-Identifier: GPL-3.0-or-later
// One colour scheme. Colours are red + 256 * green + 65536 * blue.
#pragma once

#include <cstdint>
#include <string>

using ColorValue = uint32_t;

constexpr ColorValue RGBColor(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

struct ColorSetData {
    std::string FilePath;
    std::string colortitle;
    ColorValue formbg = 0;
    ColorValue speana1 = 0, speana2 = 0, speana3 = 0;
    ColorValue speanabg1 = 0, speanabg2 = 0, speanabg3 = 0;
    ColorValue lvmeter1 = 0, lvmeter2 = 0, lvmeter3 = 0;
    ColorValue lvmeterbg1 = 0, lvmeterbg2 = 0, lvmeterbg3 = 0;
    ColorValue title = 0, titlebg = 0;
    ColorValue lyric = 0, lyricbg = 0;
    ColorValue dotdefaultbg = 0;
    ColorValue track = 0, trackbg = 0;
    ColorValue nowtime = 0, nowtimebg = 0;
    ColorValue timeslash = 0;
    ColorValue alltime = 0, alltimebg = 0;
    ColorValue repeatmark = 0, repeatmarkbg = 0;
    ColorValue bitrate = 0, bitratebg = 0, bitratestr = 0;
    ColorValue freq = 0, freqbg = 0, freqstr = 0;

    bool operator==(const ColorSetData &) const = default;
};
