// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/SpscRing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

// Odd block sizes on both sides against a ring of 1000 frames: writes that find
// it full take part of a block, and the ring wraps in every phase.
TEST(SpscRingTest, TwoThreadsPassEveryFrameInOrder) {
    constexpr std::uint64_t Frames = 400000;
    SpscRing ring(1000, 2);
    std::thread producer([&] {
        std::vector<float> block(2 * 97);
        for (std::uint64_t sent = 0; sent < Frames;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(97, Frames - sent));
            for (std::size_t i = 0; i < n; ++i) {
                block[2 * i] = static_cast<float>((sent + i) % 65536);
                block[2 * i + 1] = -block[2 * i];
            }
            for (std::size_t done = 0; done < n; std::this_thread::yield())
                done += ring.write(block.data() + 2 * done, n - done);
            sent += n;
        }
    });
    bool ordered = true;
    std::vector<float> block(2 * 61);
    for (std::uint64_t received = 0; received < Frames; std::this_thread::yield()) {
        const std::size_t got = ring.read(block.data(), 61);
        for (std::size_t i = 0; i < got; ++i, ++received)
            ordered =
                ordered && block[2 * i] == float(received % 65536) && block[2 * i + 1] == -float(received % 65536);
    }
    producer.join();
    EXPECT_TRUE(ordered);
    EXPECT_EQ(ring.availableFrames(), 0u);
}
