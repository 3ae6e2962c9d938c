// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/SampleHistory.h"

#include <algorithm>
#include <cstring>

SampleHistory::SampleHistory() : frames_(new std::atomic<uint64_t>[Frames]) { reset(); }

void SampleHistory::reset() {
    for (std::size_t i = 0; i < Frames; ++i) frames_[i].store(0, std::memory_order_relaxed);
    written_.store(0, std::memory_order_release);
}

void SampleHistory::append(const float *src, std::size_t frames) {
    uint64_t w = written_.load(std::memory_order_relaxed);
    while (frames > 0) {
        // The stretch up to the end of the ring, in one plain loop.
        const std::size_t at = static_cast<std::size_t>(w % Frames);
        const std::size_t run = std::min(frames, Frames - at);
        std::atomic<uint64_t> *dst = &frames_[at];
        if (src) {
            for (std::size_t i = 0; i < run; ++i) {
                uint64_t frame;
                std::memcpy(&frame, src + 2 * i, sizeof frame);
                dst[i].store(frame, std::memory_order_relaxed);
            }
            src += run * 2;
        } else {
            for (std::size_t i = 0; i < run; ++i) dst[i].store(0, std::memory_order_relaxed);  // two zero floats
        }
        frames -= run;
        w += run;
    }
    written_.store(w, std::memory_order_release);
}

bool SampleHistory::copyEndingAt(uint64_t end, float *dst, std::size_t frames) const {
    const uint64_t written = written_.load(std::memory_order_acquire);
    if (end > written || frames > Frames / 2) return false;
    // Keep clear of the slots the writer may be filling right now.
    if (written - end + frames > Frames / 2) return false;
    // Frames before the output started are silence.
    const std::size_t lead = end < frames ? static_cast<std::size_t>(frames - end) : 0;
    std::fill(dst, dst + lead * 2, 0.0f);
    uint64_t frame = end + lead - frames;
    for (std::size_t i = lead; i < frames;) {
        const std::size_t at = static_cast<std::size_t>(frame % Frames);
        const std::size_t run = std::min(frames - i, Frames - at);
        const std::atomic<uint64_t> *src = &frames_[at];
        for (std::size_t k = 0; k < run; ++k) {
            const uint64_t v = src[k].load(std::memory_order_relaxed);
            std::memcpy(dst + 2 * (i + k), &v, sizeof v);
        }
        i += run;
        frame += run;
    }
    return written_.load(std::memory_order_acquire) - end + frames <= Frames;
}
