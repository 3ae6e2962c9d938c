// SPDX-License-Identifier: GPL-3.0-or-later
// The bit rate along the track: the decoder thread notes each change with the
// track position it starts at; the player's thread asks for the rate at the
// position being heard. Both sides are ordinary threads (never the audio
// callback), so a mutex guards the list.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>

class BitRateTimeline {
public:
    // Decoder thread: from trackFrame on (for seek generation gen), kbps.
    void note(uint32_t gen, int64_t trackFrame, int kbps);
    // Forgets everything of generations older than gen.
    void dropBefore(uint32_t gen);
    // The rate at trackFrame of generation gen; 0 when nothing is known.
    int at(uint32_t gen, int64_t trackFrame) const;

private:
    struct Change {
        uint32_t gen;
        int64_t frame;
        int kbps;
    };
    static constexpr std::size_t MaxChanges = 8192;
    mutable std::mutex mutex_;
    std::deque<Change> changes_;
};
