// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/RateConverter.h"

#include "AudioFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A 0.5 stereo sine (right = -left) pulled in whatever sizes the converter asks
// for; with `starveEvery` > 0 every n-th pull comes back empty.
struct SineSource {
    double hz, rate;
    std::uint64_t total;
    int starveEvery = 0, pulls = 0;
    std::uint64_t given = 0;

    std::size_t operator()(float *dst, std::size_t frames) {
        if (starveEvery > 0 && ++pulls % starveEvery == 0) return 0;
        std::size_t n = 0;
        for (; n < frames && given < total; ++n, ++given) {
            dst[2 * n] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * hz * double(given) / rate));
            dst[2 * n + 1] = -dst[2 * n];
        }
        return n;
    }
};

}  // namespace

// Equal rates copy the input until the pitch first changes; from there the converter takes
// over without a gap or a restart of its filter, and the track position follows the pitch.
TEST(RateConverterTest, PitchChangesWhilePlayingWithoutAJump) {
    RateConverter rc(2);
    rc.setRates(44100, 44100);
    SineSource src{1000, 44100, 400000};
    std::vector<float> out(120 * 1024);
    double positionAtSwitch = 0.0;
    for (std::size_t call = 0; call < 120; ++call) {
        if (call == 20) {
            positionAtSwitch = rc.positionFrames();
            EXPECT_FALSE(rc.converting());
        }
        rc.setPitchPercent(call >= 90 ? 100 : call >= 60 ? 75 : call >= 20 ? 150 : 100);
        ASSERT_EQ(rc.processWith(out.data() + call * 1024, 512, src), 512u);
    }
    EXPECT_TRUE(rc.converting());
    // The steepest step of a 0.5 sine at 1.5 kHz is 0.107; a gap or a filter restart jumps far more.
    float step = 0.0f;
    for (std::size_t i = 2; i < out.size(); ++i) step = std::max(step, std::fabs(out[i] - out[i - 2]));
    EXPECT_LT(step, 0.115f);
    EXPECT_NEAR(fixtures::measuredHz(out.data() + 24 * 1024, 36 * 512, 2, 0, 44100), 1500.0, 10.0);
    EXPECT_NEAR(rc.positionFrames(), positionAtSwitch + 512 * (40 * 1.5 + 30 * 0.75 + 30 * 1.0), 512.0);
}

// A decoder that has nothing for a moment must not end the track: the output
// equals that of a source that never ran dry, and only the real end drains.
TEST(RateConverterTest, AnEmptyPullIsAnUnderrunNotTheEnd) {
    std::vector<float> outs[2];
    for (int starve : {0, 3}) {
        RateConverter rc(2);
        rc.setRates(48000, 44100);
        SineSource src{440, 48000, 30000, starve};
        std::vector<float> buf(256 * 2);
        for (int idle = 0; !rc.drained() && idle < 1000;) {
            const std::size_t got = rc.processWith(buf.data(), 256, src, src.given >= src.total);
            outs[starve ? 1 : 0].insert(outs[starve ? 1 : 0].end(), buf.begin(), buf.begin() + long(got * 2));
            idle = got == 0 ? idle + 1 : 0;
        }
        EXPECT_TRUE(rc.drained());
    }
    ASSERT_EQ(outs[1].size(), outs[0].size());
    for (std::size_t i = 0; i < outs[0].size(); ++i) ASSERT_NEAR(outs[1][i], outs[0][i], 1e-4f) << "at " << i;
}
