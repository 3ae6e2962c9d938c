#include "vbmp3/SampleHistory.h"

SampleHistory::SampleHistory() : samples_(new std::atomic<float>[kFrames * 2]) {
    reset();
}

void SampleHistory::reset() {
    for (std::size_t i = 0; i < kFrames * 2; ++i)
        samples_[i].store(0.0f, std::memory_order_relaxed);
    written_.store(0, std::memory_order_release);
}

void SampleHistory::append(const float *src, std::size_t frames) {
    uint64_t w = written_.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < frames; ++i, ++w) {
        const std::size_t slot = static_cast<std::size_t>(w % kFrames) * 2;
        samples_[slot].store(src ? src[2 * i] : 0.0f, std::memory_order_relaxed);
        samples_[slot + 1].store(src ? src[2 * i + 1] : 0.0f, std::memory_order_relaxed);
    }
    written_.store(w, std::memory_order_release);
}

bool SampleHistory::copyEndingAt(uint64_t end, float *dst, std::size_t frames) const {
    const uint64_t written = written_.load(std::memory_order_acquire);
    if (end > written || frames > kFrames / 2)
        return false;
    // Keep clear of the slots the writer may be filling right now.
    if (written - end + frames > kFrames / 2)
        return false;
    for (std::size_t i = 0; i < frames; ++i) {
        if (end + i < frames) { // before the output started
            dst[2 * i] = dst[2 * i + 1] = 0.0f;
            continue;
        }
        const uint64_t frame = end + i - frames;
        const std::size_t slot = static_cast<std::size_t>(frame % kFrames) * 2;
        dst[2 * i] = samples_[slot].load(std::memory_order_relaxed);
        dst[2 * i + 1] = samples_[slot + 1].load(std::memory_order_relaxed);
    }
    return written_.load(std::memory_order_acquire) - end + frames <= kFrames;
}
