#include "vbmp3/dsp/SpscRing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

// (Wrapping in every phase is left to the two-thread run below.)
TEST(SpscRingTest, FullRingTakesWhatFitsDiscardSkipsAndClearEmpties) {
    SpscRing ring(5, 2);
    std::vector<float> in(2 * 7);
    std::vector<float> out(2 * 10, -1.0f);
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(i);
    ring.write(in.data(), 3);
    ring.read(out.data(), 3); // the next write wraps
    EXPECT_EQ(ring.write(in.data(), 7), 5u);
    EXPECT_EQ(ring.write(in.data(), 1), 0u);
    EXPECT_EQ(ring.discard(2), 2u);
    ASSERT_EQ(ring.read(out.data(), 10), 3u);
    EXPECT_EQ(out[0], 4.0f);
    EXPECT_EQ(out[5], 9.0f);
    EXPECT_EQ(ring.read(out.data(), 1), 0u);
    ring.write(in.data(), 2);
    ring.clear();
    EXPECT_EQ(ring.availableFrames(), 0u);
    EXPECT_EQ(ring.freeFrames(), 5u);
}

TEST(SpscRingTest, TwoThreadsPassEveryFrameInOrder) {
    constexpr std::uint64_t kFrames = 400000;
    SpscRing ring(1000, 2);
    std::thread producer([&] {
        std::vector<float> block(2 * 97);
        std::uint64_t sent = 0;
        while (sent < kFrames) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(97, kFrames - sent));
            for (std::size_t i = 0; i < n; ++i) {
                const auto v = static_cast<float>((sent + i) % 65536);
                block[2 * i] = v;
                block[2 * i + 1] = -v;
            }
            std::size_t done = 0;
            while (done < n) {
                done += ring.write(block.data() + 2 * done, n - done);
                if (done < n) {
                    std::this_thread::yield();
                }
            }
            sent += n;
        }
    });
    std::uint64_t received = 0;
    bool ordered = true;
    std::vector<float> block(2 * 61);
    while (received < kFrames) {
        const std::size_t got = ring.read(block.data(), 61);
        for (std::size_t i = 0; i < got; ++i) {
            const auto expected = static_cast<float>((received + i) % 65536);
            ordered = ordered && block[2 * i] == expected && block[2 * i + 1] == -expected;
        }
        received += got;
        if (got == 0) {
            std::this_thread::yield();
        }
    }
    producer.join();
    EXPECT_TRUE(ordered);
    EXPECT_EQ(ring.availableFrames(), 0u);
}
