// SPDX-License-Identifier: GPL-3.0-or-later
// What the audio thread handed to the device, and when: a short history of the
// output, piece by piece, with the track position each piece carries.
//
// The audio thread appends one record per piece of output (a piece is either
// track audio of one seek generation, or silence); any other thread asks which
// output frame is being heard now (the frames handed over minus the device's
// buffer, moved on by the time since the last hand-over) and which track
// position that frame carries. Fields are relaxed atomics published by a
// release store of the record count, so a reader never sees torn numbers; a
// reader that falls more than the history behind gets no answer.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

class OutputTimeline {
public:
    // Key of silence: no track audio in the piece.
    static constexpr uint64_t Silence = 0;

    // Audio thread (or while it is stopped): forgets everything; the next output
    // frame is number 0.
    void reset();

    // Audio thread: appends a piece of `frames` output frames; track audio of
    // `key` from trackStart to trackEnd (frames at the track's decode rate), or
    // silence with key Silence. nowNs is the steady clock.
    void append(uint64_t key, std::size_t frames, double trackStart, double trackEnd, int64_t nowNs);

    // Output frames handed over so far.
    uint64_t handedFrames() const { return handed_.load(std::memory_order_acquire); }

    // The output frame being heard: handed frames - latency, moved on by the time
    // since the last hand-over at `rate` when interpolate is set (never past what
    // was handed over).
    uint64_t heardFrame(std::size_t latencyFrames, int rate, bool interpolate, int64_t nowNs) const;

    // The track position carried by output frame `frame` for `key`. When the
    // frame lies in silence after audio of `key`, the end of that audio; empty
    // when no audio of `key` had been heard by then.
    std::optional<double> trackPositionAt(uint64_t key, uint64_t frame) const;

    // The end of the last audio of `key` handed over (the position decoded
    // ahead of the listener); empty when none.
    std::optional<double> lastHanded(uint64_t key) const;

private:
    static constexpr std::size_t Records = 128;
    struct Record {
        std::atomic<uint64_t> key{0};
        std::atomic<uint64_t> outStart{0};
        std::atomic<uint64_t> frames{0};
        std::atomic<double> trackStart{0};
        std::atomic<double> trackEnd{0};
    };
    std::array<Record, Records> records_;
    std::atomic<uint64_t> count_{0};
    std::atomic<uint64_t> handed_{0};
    std::atomic<int64_t> lastNs_{0};
};
