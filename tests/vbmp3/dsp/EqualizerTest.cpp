#include "vbmp3/dsp/Equalizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

std::vector<float> stereoSine(double hz, double amplitude, double rate, std::size_t frames) {
    std::vector<float> v(frames * 2);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<float>(amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i / 2) / rate));
    return v;
}

// RMS level in dB of the left channel over frames [from, to).
double levelDb(const std::vector<float> &v, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += static_cast<double>(v[2 * i]) * v[2 * i];
    return 10.0 * std::log10(sum / static_cast<double>(to - from));
}

std::array<int32_t, 10> band(int index, int32_t value) {
    std::array<int32_t, 10> b{};
    b[static_cast<std::size_t>(index)] = value;
    return b;
}

} // namespace

TEST(EqualizerTest, FlatPassesSamplesUntouchedAlsoAfterAChangeBack) {
    Equalizer eq;
    std::vector<float> noise(2 * 8000);
    std::mt19937 gen(7);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    for (float &x : noise) {
        x = dist(gen);
    }
    eq.commit(44100);
    std::vector<float> v = noise;
    eq.process(v.data(), 8000, 2);
    EXPECT_EQ(v, noise);

    eq.setBands(band(3, 50).data());
    eq.commit(44100);
    v = noise;
    eq.process(v.data(), 8000, 2);
    EXPECT_NE(v, noise);
    eq.setBands(band(3, 0).data());
    eq.commit(44100);
    v = noise;
    eq.process(v.data(), 4000, 2); // the glide back (20 ms) ends inside this block
    EXPECT_TRUE(eq.bypassed());
    v = noise;
    eq.process(v.data(), 8000, 2);
    EXPECT_EQ(v, noise);
}

TEST(EqualizerTest, FullBoostNeverTakesAFullScaleSineAboveFullScale) {
    Equalizer eq;
    const int32_t all[10] = {100, 100, 100, 100, 100, 100, 100, 100, 100, 100};
    eq.setBands(all);
    eq.commit(48000);
    float peak = 0.0f;
    for (double hz = 25; hz < 20000; hz *= 1.08) {
        eq.resetState();
        std::vector<float> v = stereoSine(hz, 1.0, 48000, 12000);
        eq.process(v.data(), 12000, 2);
        for (std::size_t i = 2 * 6000; i < v.size(); ++i) { // once settled
            peak = std::max(peak, std::fabs(v[i]));
        }
    }
    EXPECT_LE(peak, 1.0f);
    EXPECT_GT(peak, 0.95f); // and the headroom is not wasteful
}

TEST(EqualizerTest, BandsAboveTheUsableRangeStayFlat) {
    Equalizer eq;
    eq.setBands(band(9, 100).data()); // 16 kHz is above 0.45 x 32 kHz
    eq.commit(32000);
    std::vector<float> v = stereoSine(1000, 0.5, 32000, 3200);
    const std::vector<float> in = v;
    eq.process(v.data(), 3200, 2);
    EXPECT_EQ(v, in);
    EXPECT_TRUE(eq.bypassed());

    eq.setBands(band(9, 100).data()); // the same setting at 44.1 kHz boosts
    eq.commit(44100);
    eq.process(v.data(), 3200, 2);
    EXPECT_FALSE(eq.bypassed());
}

// Cut everything to full boost, each band's worst case for a glide: at no
// frequency does the way there go above full scale, nor above the louder of
// the two settings, nor step harder than the tone itself does.
TEST(EqualizerTest, CutToFullBoostNeverClipsOrClicksOnTheWay) {
    const int rate = 44100;
    const int32_t cut[10] = {-30, -30, -30, -30, -30, -30, -30, -30, -30, -30};
    const int32_t boost[10] = {100, 100, 100, 100, 100, 100, 100, 100, 100, 100};
    const std::size_t block = 441;
    const std::size_t changeAt = 30 * block; // 300 ms into the tone
    const std::size_t total = changeAt + 20 * block;
    for (double hz = 31; hz < 20000; hz *= 1.19) {
        Equalizer eq;
        eq.setBands(cut);
        eq.commit(rate);
        std::vector<float> v = stereoSine(hz, 1.0, rate, total);
        for (std::size_t f = 0; f < total; f += block) {
            if (f == changeAt) {
                eq.setBands(boost);
                eq.commit(rate);
            }
            eq.process(v.data() + 2 * f, block, 2);
        }
        auto peakOf = [&](std::size_t from, std::size_t to) {
            float p = 0.0f;
            for (std::size_t i = from; i < to; ++i) {
                p = std::max(p, std::fabs(v[2 * i]));
            }
            return p;
        };
        const float before = peakOf(changeAt - 10 * block, changeAt);
        const float during = peakOf(changeAt, changeAt + 3 * block);
        const float after = peakOf(total - 10 * block, total);
        EXPECT_LE(during, 1.001f) << hz << " Hz";
        EXPECT_LE(during, std::max(before, after) * 1.002f) << hz << " Hz";
        float step = 0.0f;
        for (std::size_t i = changeAt - block; i < total; ++i) {
            step = std::max(step, std::fabs(v[2 * i] - v[2 * i - 2]));
        }
        const double ownStep = 2 * M_PI * hz / rate; // the steepest step of the full-scale input
        EXPECT_LT(step, 1.5 * std::min(ownStep, 2.0)) << hz << " Hz";
    }
}

TEST(EqualizerTest, AChangeDuringAChangeIsHeardWithin30ms) {
    Equalizer eq;
    eq.commit(48000);
    const std::size_t block = 96; // 2 ms callbacks
    std::vector<float> v = stereoSine(1000, 0.5, 48000, 48000 / 2);
    std::size_t f = 0;
    for (; f < 48 * block; f += block) {
        if (f == 40 * block) {
            eq.setBands(band(5, 100).data());
            eq.commit(48000);
        }
        if (f == 42 * block) { // 4 ms later, while the first change fades in
            eq.setBands(band(5, -100).data());
            eq.commit(48000);
        }
        eq.process(v.data() + 2 * f, block, 2);
    }
    eq.process(v.data() + 2 * f, v.size() / 2 - f, 2);
    const std::size_t settled = 42 * block + 48 * 30;
    EXPECT_NEAR(levelDb(v, settled, settled + 480), levelDb(v, v.size() / 2 - 4800, v.size() / 2), 0.3);
    EXPECT_LT(levelDb(v, settled, settled + 480), -9.03 - 15.0); // the cut, not the boost
}
