// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/Equalizer.h"

#include "AudioFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

std::vector<float> stereoSine(double hz, double amplitude, int rate, std::size_t frames) {
    return fixtures::toneFrames(
        {.rate = rate, .seconds = (double(frames) + 0.5) / rate, .hz = hz, .amplitude = amplitude});
}

float peakOf(const std::vector<float> &v, std::size_t from, std::size_t to) {
    return fixtures::peak(v.data() + 2 * from, to - from, 2);
}

}  // namespace

// A full-scale sine, every band cut, then every band at full boost: at no
// frequency does the change or the boost go above full scale, nor does the way
// there step harder than the tone itself does; the headroom is not wasteful.
TEST(EqualizerTest, CutToFullBoostNeverClipsOrClicks) {
    const int rate = 44100;
    const std::array<int32_t, 10> cut = {-30, -30, -30, -30, -30, -30, -30, -30, -30, -30};
    const std::array<int32_t, 10> boost = {100, 100, 100, 100, 100, 100, 100, 100, 100, 100};
    const std::size_t block = 441, changeAt = 30 * block, total = changeAt + 40 * block;
    float loudest = 0.0f;
    for (double hz = 31; hz < 20000; hz *= 1.09) {
        Equalizer eq;
        eq.setBands(cut.data());
        eq.commit(rate);
        std::vector<float> v = stereoSine(hz, 1.0, rate, total);
        for (std::size_t f = 0; f < total; f += block) {
            if (f == changeAt) {
                eq.setBands(boost.data());
                eq.commit(rate);
            }
            eq.process(v.data() + 2 * f, block, 2);
        }
        const float before = peakOf(v, changeAt - 10 * block, changeAt);
        const float during = peakOf(v, changeAt, changeAt + 3 * block);
        const float after = peakOf(v, total - 10 * block, total);
        EXPECT_LE(after, 1.0f) << hz << " Hz";
        EXPECT_LE(during, std::max(before, after) * 1.002f) << hz << " Hz";
        loudest = std::max(loudest, after);
        float step = 0.0f;
        for (std::size_t i = changeAt - block; i < total; ++i)
            step = std::max(step, std::fabs(v[2 * i] - v[2 * i - 2]));
        const double ownStep = 2 * M_PI * hz / rate;  // the steepest step of the full-scale input
        EXPECT_LT(step, 1.5 * std::min(ownStep, 2.0)) << hz << " Hz";
    }
    EXPECT_GT(loudest, 0.95f);
}

// A second change 4 ms into the first (2 ms callbacks) is the one heard 30 ms later:
// the 20 dB cut (0.05), not the boost (0.5).
TEST(EqualizerTest, AChangeDuringAChangeIsHeardWithin30ms) {
    Equalizer eq;
    eq.commit(48000);
    std::vector<float> v = stereoSine(1000, 0.5, 48000, 48000 / 2);
    for (std::size_t f = 0; f < v.size() / 2; f += 96) {
        if (f == 40 * 96 || f == 42 * 96) {
            const int32_t bands[10] = {0, 0, 0, 0, 0, f == 40 * 96 ? 100 : -100, 0, 0, 0, 0};
            eq.setBands(bands);
            eq.commit(48000);
        }
        eq.process(v.data() + 2 * f, std::min<std::size_t>(96, v.size() / 2 - f), 2);
    }
    const std::size_t settled = 42 * 96 + 48 * 30;
    EXPECT_NEAR(peakOf(v, settled, settled + 480), peakOf(v, v.size() / 2 - 4800, v.size() / 2), 0.002);
    EXPECT_LT(peakOf(v, settled, settled + 480), 0.06);
}
