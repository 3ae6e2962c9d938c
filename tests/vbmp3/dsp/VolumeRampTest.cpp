#include "vbmp3/dsp/VolumeRamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(VolumeRampTest, FullVolumePassesSamplesUntouched) {
    VolumeRamp vol(44100);
    std::vector<float> v = {0.1f, -0.3f, 0.7f, 0.99f};
    const std::vector<float> in = v;
    vol.process(v.data(), 2, 2);
    EXPECT_EQ(v, in);
}

TEST(VolumeRampTest, HalfVolumeGlidesLinearlyThenHalvesTheLevel) {
    VolumeRamp vol(44100);
    vol.setTarget(50, 100);
    const std::size_t frames = 2000;
    std::vector<float> v(frames * 2, 0.8f);
    vol.process(v.data(), 300, 2);          // blocks of any size, the glide goes on
    vol.process(v.data() + 600, frames - 300, 2);
    // 10 ms at 44.1 kHz = 441 frames of glide, then exactly half.
    for (std::size_t i = 1; i < frames; ++i) {
        EXPECT_LE(std::fabs(v[2 * i] - v[2 * i - 2]), 0.4f / 441 + 1e-6f) << i;
    }
    EXPECT_GT(v[2 * 200], 0.45f);
    EXPECT_LT(v[2 * 200], 0.75f);
    EXPECT_FLOAT_EQ(v[2 * 441], 0.4f);
    EXPECT_FLOAT_EQ(v[2 * (frames - 1)], 0.4f);
    EXPECT_FLOAT_EQ(v[2 * (frames - 1) + 1], 0.8f); // right side untouched
    EXPECT_DOUBLE_EQ(vol.gainLeft(), 0.5);
}

TEST(VolumeRampTest, OutOfRangeIsClampedAndMonoTakesTheMean) {
    VolumeRamp vol(1000);
    vol.setTarget(-20, 250);
    EXPECT_EQ(vol.targetLeft(), 0);
    EXPECT_EQ(vol.targetRight(), 100);
    vol.snapToTarget();
    std::vector<float> mono(5, 1.0f);
    vol.process(mono.data(), 5, 1);
    EXPECT_FLOAT_EQ(mono[4], 0.5f);
}
