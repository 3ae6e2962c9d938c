#include "vbmp3/dsp/SpscRing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

TEST(SpscRingTest, WrapsAroundAndKeepsFrameOrder) {
    SpscRing ring(5, 2);
    float next = 0.0f;
    float expect = 0.0f;
    auto writeFrames = [&](std::size_t frames) {
        std::vector<float> in;
        for (std::size_t i = 0; i < frames * 2; ++i) {
            in.push_back(next + static_cast<float>(i));
        }
        const std::size_t wrote = ring.write(in.data(), frames);
        next += static_cast<float>(wrote * 2);
        return wrote;
    };
    auto readFrames = [&](std::size_t frames) {
        std::vector<float> out(frames * 2, -1.0f);
        const std::size_t got = ring.read(out.data(), frames);
        for (std::size_t i = 0; i < got * 2; ++i) {
            EXPECT_EQ(out[i], expect++);
        }
        return got;
    };
    // Three in, three out: the positions cross the end of the buffer in every phase.
    for (int round = 0; round < 11; ++round) {
        ASSERT_EQ(writeFrames(3), 3u);
        EXPECT_EQ(ring.availableFrames(), 3u);
        EXPECT_EQ(ring.freeFrames(), 2u);
        ASSERT_EQ(readFrames(3), 3u);
    }
    // A full ring takes only what fits; an empty one gives nothing.
    EXPECT_EQ(writeFrames(7), 5u);
    EXPECT_EQ(writeFrames(1), 0u);
    EXPECT_EQ(ring.discard(2), 2u);
    expect += 4.0f;
    EXPECT_EQ(readFrames(10), 3u);
    EXPECT_EQ(readFrames(1), 0u);
    writeFrames(2);
    ring.clear();
    EXPECT_EQ(ring.availableFrames(), 0u);
    EXPECT_EQ(ring.freeFrames(), 5u);
}

TEST(SpscRingTest, TwoThreadsPassEveryFrameInOrder) {
    constexpr std::uint64_t kFrames = 400000;
    SpscRing ring(1000, 2);
    std::uint64_t producerSum = 0;
    std::thread producer([&] {
        std::vector<float> block(2 * 97);
        std::uint64_t sent = 0;
        while (sent < kFrames) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(97, kFrames - sent));
            for (std::size_t i = 0; i < n; ++i) {
                const auto v = static_cast<float>((sent + i) % 65536);
                block[2 * i] = v;
                block[2 * i + 1] = -v;
                producerSum += (sent + i) % 65536;
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
    std::uint64_t consumerSum = 0;
    bool ordered = true;
    std::vector<float> block(2 * 61);
    while (received < kFrames) {
        const std::size_t got = ring.read(block.data(), 61);
        for (std::size_t i = 0; i < got; ++i) {
            const auto expected = static_cast<float>((received + i) % 65536);
            ordered = ordered && block[2 * i] == expected && block[2 * i + 1] == -expected;
            consumerSum += static_cast<std::uint64_t>(block[2 * i]);
        }
        received += got;
        if (got == 0) {
            std::this_thread::yield();
        }
    }
    producer.join();
    EXPECT_TRUE(ordered);
    EXPECT_EQ(consumerSum, producerSum);
    EXPECT_EQ(ring.availableFrames(), 0u);
}
