// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/SpscRing.h"

#include <algorithm>
#include <cstring>

SpscRing::SpscRing(std::size_t capacityFrames, int channels)
    : capacity_(std::max<std::size_t>(capacityFrames, 1)), channels_(std::max(channels, 1)),
      buffer_(new float[capacity_ * static_cast<std::size_t>(channels_)]()) {}

std::size_t SpscRing::write(const float *src, std::size_t frames) {
    const std::uint64_t w = writeCount_.load(std::memory_order_relaxed);
    const std::uint64_t r = readCount_.load(std::memory_order_acquire);
    const std::size_t room = capacity_ - static_cast<std::size_t>(w - r);
    const std::size_t n = std::min(frames, room);
    if (n == 0) {
        return 0;
    }
    const std::size_t ch = static_cast<std::size_t>(channels_);
    const std::size_t start = static_cast<std::size_t>(w % capacity_);
    const std::size_t first = std::min(n, capacity_ - start);
    std::memcpy(buffer_.get() + start * ch, src, first * ch * sizeof(float));
    if (n > first) {
        std::memcpy(buffer_.get(), src + first * ch, (n - first) * ch * sizeof(float));
    }
    writeCount_.store(w + n, std::memory_order_release);
    return n;
}

std::size_t SpscRing::read(float *dst, std::size_t frames) {
    const std::uint64_t r = readCount_.load(std::memory_order_relaxed);
    const std::uint64_t w = writeCount_.load(std::memory_order_acquire);
    const std::size_t n = std::min(frames, static_cast<std::size_t>(w - r));
    if (n == 0) {
        return 0;
    }
    const std::size_t ch = static_cast<std::size_t>(channels_);
    const std::size_t start = static_cast<std::size_t>(r % capacity_);
    const std::size_t first = std::min(n, capacity_ - start);
    std::memcpy(dst, buffer_.get() + start * ch, first * ch * sizeof(float));
    if (n > first) {
        std::memcpy(dst + first * ch, buffer_.get(), (n - first) * ch * sizeof(float));
    }
    readCount_.store(r + n, std::memory_order_release);
    return n;
}

std::size_t SpscRing::availableFrames() const {
    const std::uint64_t r = readCount_.load(std::memory_order_acquire);
    const std::uint64_t w = writeCount_.load(std::memory_order_acquire);
    // Read in this order, w >= r; if the reader moved on meanwhile the writer may
    // be up to a capacity ahead of the stale r, hence the clamp.
    return std::min(static_cast<std::size_t>(w - r), capacity_);
}

std::size_t SpscRing::freeFrames() const { return capacity_ - availableFrames(); }

void SpscRing::clear() {
    readCount_.store(0, std::memory_order_relaxed);
    writeCount_.store(0, std::memory_order_release);
}
