// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/VolumeRamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

// Half volume on the left glides over 10 ms (441 frames) without a step, across
// blocks of any size, then holds exactly half; the right stays untouched.
TEST(VolumeRampTest, AChangeGlidesLinearlyThenHolds) {
    VolumeRamp vol(44100);
    vol.setTarget(50, 250);
    std::vector<float> v(2000 * 2, 0.8f);
    vol.process(v.data(), 300, 2);
    vol.process(v.data() + 600, 1700, 2);
    for (std::size_t i = 1; i < 2000; ++i) ASSERT_LE(std::fabs(v[2 * i] - v[2 * i - 2]), 0.4f / 441 + 1e-6f) << i;
    EXPECT_LT(v[2 * 200], 0.75f);
    EXPECT_FLOAT_EQ(v[2 * 441], 0.4f);
    EXPECT_FLOAT_EQ(v[2 * 1999], 0.4f);
    EXPECT_FLOAT_EQ(v[2 * 1999 + 1], 0.8f);
}
