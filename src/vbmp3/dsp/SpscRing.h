// SPDX-License-Identifier: GPL-3.0-or-later
// A lock-free ring of interleaved float sample frames between exactly one
// producer thread (the decoder) and exactly one consumer thread (the audio
// callback).
//
// - write() is called only by the producer, read() only by the consumer; both
//   copy as many whole frames as fit / are there and return that count. They
//   never block, never lock and never allocate: the buffer is allocated once in
//   the constructor.
// - availableFrames() and freeFrames() may be called from either side; each
//   side sees a value that can only grow until that side acts (the consumer's
//   available frames, the producer's free frames).
// - The two positions are 64-bit frame counters that only grow; a frame's slot
//   is its counter modulo the capacity. Each side publishes its counter with a
//   release store after copying and reads the other side's with an acquire load,
//   so the frames a reader sees are completely written.
// - clear() is for the moments when neither side runs (for example with the
//   decoder parked and the audio callback locked out, on a seek).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class SpscRing {
public:
    // capacityFrames of at least 1 and channels of at least 1 (smaller values
    // are raised to 1).
    SpscRing(std::size_t capacityFrames, int channels);

    SpscRing(const SpscRing &) = delete;
    SpscRing &operator=(const SpscRing &) = delete;

    // Producer: copies up to `frames` frames from src; returns frames written.
    std::size_t write(const float *src, std::size_t frames);

    // Consumer: copies up to `frames` frames into dst; returns frames read.
    std::size_t read(float *dst, std::size_t frames);

    std::size_t availableFrames() const;
    std::size_t freeFrames() const;

    // Empties the ring. Only while neither side runs.
    void clear();

    std::size_t capacityFrames() const { return capacity_; }
    int channels() const { return channels_; }

private:
    const std::size_t capacity_;
    const int channels_;
    std::unique_ptr<float[]> buffer_;
    alignas(64) std::atomic<std::uint64_t> writeCount_{0};
    alignas(64) std::atomic<std::uint64_t> readCount_{0};
};
