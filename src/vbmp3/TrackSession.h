// SPDX-License-Identifier: GPL-3.0-or-later
// One loaded track: its decoder, the ring of decoded audio, and the handshake
// between the player's thread (transport, seeks), the decoder thread (fills
// the ring) and the audio thread (empties it).
//
// Seek generations: every seek (a stop is a seek to the start) raises
// requestGen. The audio thread acknowledges a generation (ackGen) at the start
// of its next pull and from then on reads nothing of the ring until the decoder
// thread has emptied it, moved the decoder and published the generation as
// ready (readyGen, with readyFrame the position reached). When the decoder
// reaches the end of the track it publishes doneGen; the audio thread, once it
// has handed over the last frame, publishes endedGen.
//
// After its track has ended on the player's side a session may live on as the
// audio thread's tail (see PlaybackChain); `cut` then asks for a fade-out
// instead of the rest of it.
#pragma once

#include "vbmp3/BitRateTimeline.h"
#include "vbmp3/Decoder.h"
#include "vbmp3/dsp/SpscRing.h"
#include "vbmp3/vbmp3.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class TrackSession {
public:
    enum Transport { Stopped = 0, Playing = 1, Paused = 2 };

    TrackSession(std::unique_ptr<Decoder> decoder, uint32_t id, int outputRate, std::size_t ringFrames);

    // Opens path with the decode options; the ring holds inputFrame blocks of
    // 256 output frames (at least 2048 frames). Fills *info when given. Null
    // when the file cannot be read as audio.
    static std::unique_ptr<TrackSession> open(const std::string &path, const DecodeOptionData &options, int inputFrame,
                                              uint32_t id, TrackInfoData *info);

    Decoder &decoder() { return *decoder_; }
    const Decoder::Info &info() const { return decoder_->info(); }

    // Key of the audio of generation gen in the output timeline.
    uint64_t keyOf(uint32_t gen) const { return (uint64_t(id_) << 32) | gen; }

    const uint32_t id_;
    const int decodeRate;
    const int outputRate;
    SpscRing ring;
    BitRateTimeline bitRates;

    std::atomic<int> transport{Stopped};
    std::atomic<uint32_t> requestGen{1};
    std::atomic<int64_t> requestFrame{0};
    std::atomic<uint32_t> ackGen{1};
    std::atomic<uint32_t> readyGen{1};
    std::atomic<int64_t> readyFrame{0};
    std::atomic<uint32_t> doneGen{0};
    std::atomic<uint32_t> endedGen{0};
    std::atomic<bool> cut{false};

private:
    std::unique_ptr<Decoder> decoder_;
};
