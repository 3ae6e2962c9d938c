// SPDX-License-Identifier: GPL-3.0-or-later
// The decoder thread's side of a track session: carries out its seeks and
// keeps its ring filled, one MPEG frame's worth (1152 frames) at a time.
//
// A seek waits until the audio thread has acknowledged the new generation
// (when it may be holding the ring), then empties the ring, moves the decoder
// and publishes the generation as ready; the end of the track publishes
// doneGen. A block that does not fit in the ring waits in staging; a full ring
// waits for the audio thread's post that it fell below half, except that a
// small ring (less than two blocks) is filled block by block below half.
#pragma once

#include "vbmp3/TrackSession.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class RingFiller {
public:
    static constexpr std::size_t Block = 1152;

    enum class Result {
        Decoded,   // a block went into the ring (or staging): call again
        AwaitAck,  // a seek waits for the audio thread
        Full,      // nothing to do until the ring falls below half
        Finished,  // the track's end was reached just now
        Idle,      // at the end already, or no session
    };

    RingFiller() : staging_(Block * 2) {}

    // Takes over a session just attached (its current generation, and a seek
    // when it has one pending).
    void start(TrackSession &s);

    // heldByAudio: the audio thread may be reading the ring.
    Result fill(TrackSession &s, bool heldByAudio);

private:
    uint32_t gen_ = 1;
    bool seekPending_ = false;
    int64_t seekFrame_ = 0;
    int64_t nextFrame_ = 0;
    bool finished_ = false;
    std::size_t stagedFrames_ = 0;
    std::size_t stagedOffset_ = 0;
    std::vector<float> staging_;
};
