// SPDX-License-Identifier: GPL-3.0-or-later
// The latest output samples (interleaved stereo), for the spectrum of what is
// being heard. The audio thread appends; another thread copies a stretch that
// ends at a given output frame. Frames (both samples in one 64-bit word) are
// relaxed atomics, so a copy racing with the writer reads whole (if possibly
// newer) frames, never torn ones; a stretch the writer has already overwritten
// is refused.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class SampleHistory {
public:
    static constexpr std::size_t Frames = 16384;  // power of two

    SampleHistory();

    // Audio thread (or while it is stopped).
    void reset();
    // Audio thread: appends `frames` stereo frames (silence when src is null).
    void append(const float *src, std::size_t frames);

    // Copies the `frames` stereo frames that end before output frame `end` into
    // dst; frames before the start of the output are silence. False when that
    // stretch is no longer (or not yet) held.
    bool copyEndingAt(uint64_t end, float *dst, std::size_t frames) const;

private:
    std::unique_ptr<std::atomic<uint64_t>[]> frames_;
    std::atomic<uint64_t> written_{0};
};
