#include "vbmp3/dsp/RateConverter.h"

#include "AudioFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A stereo sine of `total` frames (left +, right -), pulled in whatever sizes the
// converter asks for; `starveEvery` > 0 makes every n-th pull come back empty.
struct SineSource {
    double frequency;
    double rate;
    std::uint64_t total;
    int starveEvery = 0;
    std::uint64_t given = 0;
    int pulls = 0;

    std::size_t operator()(float *dst, std::size_t frames) {
        if (starveEvery > 0 && ++pulls % starveEvery == 0) {
            return 0;
        }
        std::size_t n = 0;
        for (; n < frames && given < total; ++n, ++given) {
            const auto v = static_cast<float>(0.5 * std::sin(2.0 * M_PI * frequency * given / rate));
            dst[2 * n] = v;
            dst[2 * n + 1] = -v;
        }
        return n;
    }
};

// Runs the converter until the source is drained; returns all stereo output.
std::vector<float> convertAll(RateConverter &rc, SineSource &src, std::size_t block = 512) {
    std::vector<float> out;
    std::vector<float> buf(block * 2);
    int idle = 0;
    while (!rc.drained() && idle < 1000) {
        const std::size_t got = rc.processWith(buf.data(), block, src, src.given >= src.total);
        out.insert(out.end(), buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(got * 2));
        idle = got == 0 ? idle + 1 : 0;
    }
    return out;
}

// Frequency of the left channel, leaving out the edges where the filters settle.
double measuredFrequency(const std::vector<float> &stereo, double rate) {
    const std::size_t frames = stereo.size() / 2;
    return fixtures::measuredHz(stereo.data() + 2 * (frames / 10), frames - frames / 5, 2, 0, int(rate));
}

float largestStep(const std::vector<float> &stereo) {
    float worst = 0.0f;
    for (std::size_t i = 2; i < stereo.size(); ++i) {
        worst = std::max(worst, std::fabs(stereo[i] - stereo[i - 2]));
    }
    return worst;
}

} // namespace

TEST(RateConverterTest, EqualRatesAtPitch100CopyTheInputExactly) {
    RateConverter rc(2);
    rc.setRates(44100, 44100);
    SineSource src{1000, 44100, 10000};
    SineSource reference{1000, 44100, 10000};
    const std::vector<float> out = convertAll(rc, src, 300);
    std::vector<float> expected(20000);
    reference(expected.data(), 10000);
    EXPECT_FALSE(rc.converting());
    EXPECT_EQ(out, expected);
    EXPECT_EQ(rc.consumedFrames(), 10000u);
    EXPECT_DOUBLE_EQ(rc.positionFrames(), 10000.0);
}

TEST(RateConverterTest, PitchChangesWhilePlayingWithoutAJump) {
    RateConverter rc(2);
    rc.setRates(44100, 44100);
    SineSource src{1000, 44100, 400000};
    std::vector<float> out;
    std::vector<float> buf(512 * 2);
    double positionAtSwitch = 0.0;
    std::size_t producedAtSwitch = 0;
    for (int call = 0; call < 120; ++call) {
        if (call == 20) {
            rc.setPitchPercent(150); // leaves the pass-through copy
            positionAtSwitch = rc.positionFrames();
            producedAtSwitch = out.size() / 2;
        }
        if (call == 60) {
            rc.setPitchPercent(75);
        }
        if (call == 90) {
            rc.setPitchPercent(100);
        }
        const std::size_t got = rc.processWith(buf.data(), 512, src);
        ASSERT_EQ(got, 512u);
        out.insert(out.end(), buf.begin(), buf.end());
    }
    EXPECT_TRUE(rc.converting());
    // The steepest step of a 0.5 sine at 1.5 x 1 kHz is 0.107; a gap or a restart
    // of the filter would jump by far more.
    EXPECT_LT(largestStep(out), 0.115f);
    // The track time advanced by 1.5 input frames per output frame while at 150 %
    // (the ramp of the first call aside).
    const std::vector<float> fast(out.begin() + static_cast<std::ptrdiff_t>(producedAtSwitch * 2),
                                  out.begin() + 60 * 1024);
    EXPECT_NEAR(measuredFrequency(fast, 44100), 1500.0, 10.0);
    EXPECT_GT(positionAtSwitch, 0.0);
    const double expectedEnd = positionAtSwitch + 512 * (40 * 1.5 + 30 * 0.75 + 30 * 1.0);
    EXPECT_NEAR(rc.positionFrames(), expectedEnd, 512.0);
    EXPECT_GE(static_cast<double>(rc.consumedFrames()), rc.positionFrames());
}

TEST(RateConverterTest, AnEmptyPullIsAnUnderrunNotTheEnd) {
    RateConverter steady(2);
    steady.setRates(48000, 44100);
    SineSource whole{440, 48000, 30000};
    const std::vector<float> reference = convertAll(steady, whole, 256);

    RateConverter starved(2);
    starved.setRates(48000, 44100);
    SineSource gappy{440, 48000, 30000, 3};
    const std::vector<float> out = convertAll(starved, gappy, 256);
    ASSERT_EQ(out.size(), reference.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        ASSERT_NEAR(out[i], reference[i], 1e-4f) << "at " << i;
    }
    EXPECT_TRUE(starved.drained());
    float buf[8];
    EXPECT_EQ(starved.processWith(buf, 4, gappy, true), 0u);
    starved.reset();
    EXPECT_FALSE(starved.drained());
    EXPECT_EQ(starved.consumedFrames(), 0u);
}
