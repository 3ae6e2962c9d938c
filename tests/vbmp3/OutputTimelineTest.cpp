// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/OutputTimeline.h"
#include "vbmp3/SampleHistory.h"

#include <gtest/gtest.h>

#include <vector>

// The position heard lags what was handed over by the device's buffer; the
// clock moves it on between callbacks, never past what was handed over.
TEST(OutputTimelineTest, HeardPositionLagsTheDeviceBuffer) {
    OutputTimeline tl;
    const uint64_t key = 5;
    tl.append(OutputTimeline::Silence, 100, 0, 0, 0);  // before play
    tl.append(key, 1000, 0.0, 2000.0, 1'000'000);      // pitch 200: 2 track frames per output frame
    tl.append(key, 1000, 2000.0, 3000.0, 2'000'000);
    EXPECT_EQ(tl.heardFrame(500, 1000, false, 0), 1600u);  // 500 frames of device buffer
    EXPECT_DOUBLE_EQ(*tl.trackPositionAt(key, 1600), 2500.0);
    EXPECT_EQ(tl.heardFrame(500, 1000, true, 2'000'000 + 200'000'000), 1800u);
    EXPECT_EQ(tl.heardFrame(500, 1000, true, 2'000'000 + 9'000'000'000), 2100u);
    // Paused: silence after the audio; the position stays where the audio ended.
    tl.append(OutputTimeline::Silence, 5000, 0, 0, 3'000'000);
    EXPECT_DOUBLE_EQ(*tl.trackPositionAt(key, tl.heardFrame(500, 1000, false, 0)), 3000.0);
}

TEST(OutputTimelineTest, HistoryGivesTheFramesEndingAtThePositionHeard) {
    SampleHistory h;
    std::vector<float> block(2 * 1000);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = float(i / 2) * (i % 2 ? -1.0f : 1.0f);
    h.append(block.data(), 1000);
    std::vector<float> out(2 * 512);
    ASSERT_TRUE(h.copyEndingAt(600, out.data(), 512));
    EXPECT_TRUE(out[0] == 88.0f && out[2 * 511 + 1] == -599.0f);
    ASSERT_TRUE(h.copyEndingAt(100, out.data(), 512));  // silence in front of the start
    EXPECT_TRUE(out[0] == 0.0f && out[2 * 511] == 99.0f);
    EXPECT_FALSE(h.copyEndingAt(1001, out.data(), 512));  // not handed over yet
    for (int i = 0; i < 20; ++i) h.append(nullptr, 1000);
    EXPECT_FALSE(h.copyEndingAt(600, out.data(), 512));  // long overwritten
}
