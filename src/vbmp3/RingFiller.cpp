// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/RingFiller.h"

void RingFiller::start(TrackSession &s) {
    gen_ = s.requestGen.load(std::memory_order_acquire);
    seekPending_ = gen_ != 1;
    seekFrame_ = s.requestFrame.load(std::memory_order_acquire);
    nextFrame_ = 0;
    finished_ = false;
    stagedFrames_ = stagedOffset_ = 0;
}

RingFiller::Result RingFiller::fill(TrackSession &s, bool heldByAudio) {
    const uint32_t gen = s.requestGen.load(std::memory_order_acquire);
    if (gen != gen_) {
        gen_ = gen;
        seekPending_ = true;
        seekFrame_ = s.requestFrame.load(std::memory_order_acquire);
        stagedFrames_ = stagedOffset_ = 0;
    }
    if (seekPending_) {
        // The ring may be emptied once the audio thread has let go of it.
        if (heldByAudio && s.ackGen.load(std::memory_order_acquire) != gen_) return Result::AwaitAck;
        s.ring.clear();
        int64_t reached = s.decoder().seek(seekFrame_);
        finished_ = reached < 0;
        if (reached < 0) reached = seekFrame_;
        nextFrame_ = reached;
        s.bitRates.dropBefore(gen_);
        s.readyFrame.store(reached, std::memory_order_release);
        s.readyGen.store(gen_, std::memory_order_release);
        seekPending_ = false;
        if (finished_) {
            s.doneGen.store(gen_, std::memory_order_release);
            return Result::Finished;
        }
    }
    if (finished_) return Result::Idle;

    if (stagedOffset_ < stagedFrames_) {
        stagedOffset_ += s.ring.write(staging_.data() + stagedOffset_ * 2, stagedFrames_ - stagedOffset_);
        if (stagedOffset_ < stagedFrames_) return Result::Full;
    }
    if (s.ring.freeFrames() < Block && s.ring.availableFrames() >= s.ring.capacityFrames() / 2) return Result::Full;
    const std::size_t got = s.decoder().read(staging_.data(), Block);
    if (got == 0) {
        finished_ = true;
        s.doneGen.store(gen_, std::memory_order_release);
        return Result::Finished;
    }
    s.bitRates.note(gen_, nextFrame_, s.decoder().currentKbps());
    nextFrame_ += int64_t(got);
    stagedFrames_ = got;
    stagedOffset_ = s.ring.write(staging_.data(), got);
    return Result::Decoded;
}
