// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/OutputTimeline.h"

#include <algorithm>

void OutputTimeline::reset() {
    count_.store(0, std::memory_order_release);
    handed_.store(0, std::memory_order_release);
    lastNs_.store(0, std::memory_order_relaxed);
}

void OutputTimeline::append(uint64_t key, std::size_t frames, double trackStart, double trackEnd, int64_t nowNs) {
    if (frames == 0) return;
    const uint64_t n = count_.load(std::memory_order_relaxed);
    const uint64_t start = handed_.load(std::memory_order_relaxed);
    // Two pieces of silence in a row become one.
    if (key == Silence && n > 0) {
        Record &last = records_[(n - 1) % Records];
        if (last.key.load(std::memory_order_relaxed) == Silence) {
            last.frames.store(last.frames.load(std::memory_order_relaxed) + frames, std::memory_order_relaxed);
            lastNs_.store(nowNs, std::memory_order_relaxed);
            handed_.store(start + frames, std::memory_order_release);
            return;
        }
    }
    Record &r = records_[n % Records];
    r.key.store(key, std::memory_order_relaxed);
    r.outStart.store(start, std::memory_order_relaxed);
    r.frames.store(frames, std::memory_order_relaxed);
    r.trackStart.store(trackStart, std::memory_order_relaxed);
    r.trackEnd.store(trackEnd, std::memory_order_relaxed);
    lastNs_.store(nowNs, std::memory_order_relaxed);
    count_.store(n + 1, std::memory_order_release);
    handed_.store(start + frames, std::memory_order_release);
}

uint64_t OutputTimeline::heardFrame(std::size_t latencyFrames, int rate, bool interpolate, int64_t nowNs) const {
    const uint64_t handed = handedFrames();
    uint64_t heard = handed > latencyFrames ? handed - latencyFrames : 0;
    if (interpolate && rate > 0) {
        const int64_t since = nowNs - lastNs_.load(std::memory_order_relaxed);
        if (since > 0) {
            const uint64_t moved = static_cast<uint64_t>(static_cast<double>(since) * rate / 1e9);
            heard = std::min(handed, heard + std::min<uint64_t>(moved, latencyFrames));
        }
    }
    return heard;
}

std::optional<double> OutputTimeline::trackPositionAt(uint64_t key, uint64_t frame) const {
    const uint64_t n = count_.load(std::memory_order_acquire);
    const uint64_t oldest = n > Records ? n - Records : 0;
    for (uint64_t i = n; i-- > oldest;) {
        const Record &r = records_[i % Records];
        const uint64_t rKey = r.key.load(std::memory_order_relaxed);
        const uint64_t start = r.outStart.load(std::memory_order_relaxed);
        if (start > frame) continue;
        if (rKey == Silence) continue;  // heard silence: look for the audio before it
        if (rKey != key) return std::nullopt;
        const uint64_t frames = r.frames.load(std::memory_order_relaxed);
        const double a = r.trackStart.load(std::memory_order_relaxed);
        const double b = r.trackEnd.load(std::memory_order_relaxed);
        if (frame >= start + frames || frames == 0) return b;
        return a + (b - a) * static_cast<double>(frame - start) / static_cast<double>(frames);
    }
    return std::nullopt;
}

std::optional<double> OutputTimeline::lastHanded(uint64_t key) const {
    const uint64_t n = count_.load(std::memory_order_acquire);
    const uint64_t oldest = n > Records ? n - Records : 0;
    for (uint64_t i = n; i-- > oldest;) {
        const Record &r = records_[i % Records];
        const uint64_t rKey = r.key.load(std::memory_order_relaxed);
        if (rKey == Silence) continue;
        if (rKey != key) return std::nullopt;
        return r.trackEnd.load(std::memory_order_relaxed);
    }
    return std::nullopt;
}
