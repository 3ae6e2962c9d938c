// SPDX-License-Identifier: GPL-3.0-or-later
// Everything after the ring: the audio thread's side of the engine.
//
// process() is the device callback's body (and, through the engine's render
// path, the body of a render call): it takes the published track session,
// follows its transport and seek generation, pulls decoded audio from the ring
// through the rate converter (pitch, output rate), the equalizer, the volume
// ramp and the mono mix, and records what it handed over (OutputTimeline) and
// the samples themselves (SampleHistory).
//
// Starting to sound (play, resume, after a seek or an underrun) waits until the
// ring holds OutputWait ms of audio (or the rest of the track) and fades in over
// 128 frames; stopping to sound (pause, stop, seek) fades out over 128 frames of
// the track. The end of the track is handed over as it is, and the session's
// endedGen is published the moment its last frame has been handed over.
//
// Gapless hand-over: besides the session to play, the worker may publish a
// tail: a session whose track has ended on the player's side but whose last
// frames are still in its ring. process() plays the tail out first and goes on
// with the published session in the same buffer, without a fade and without
// the output wait, when that one is playing by then (nothing is inserted or
// dropped at the join). A tail whose `cut` is set fades out instead. Either
// way its endedGen is published and the wake notifier called, so the worker
// can retire it.
//
// Session hand-over: the worker publishes session pointers; process() marks
// the pointers it is about to use (inUse) and checks that they are still the
// published ones, so the worker frees a retired session only when mayFree()
// says the audio thread cannot be holding it.
//
// process() takes no lock, allocates nothing, logs nothing.
#pragma once

#include "vbmp3/OutputTimeline.h"
#include "vbmp3/SampleHistory.h"
#include "vbmp3/TrackSession.h"
#include "vbmp3/dsp/Equalizer.h"
#include "vbmp3/dsp/RateConverter.h"
#include "vbmp3/dsp/VolumeRamp.h"

#include <atomic>
#include <cstddef>
#include <memory>

class PlaybackChain {
public:
    using ReadNotifier = void (*)(void *context);

    PlaybackChain();

    // Worker, while the audio thread is not running: a device at outputRate that
    // keeps latencyFrames queued behind the callback; interpolate moves the
    // heard position on with the clock between callbacks.
    void prepare(int outputRate, std::size_t latencyFrames, bool interpolate);

    // Called when the worker has something to do: a read has left the ring
    // less than half full, a seek was acknowledged, a tail has ended.
    void setReadNotifier(ReadNotifier notifier, void *context);

    // Worker: publishes the session the audio thread is to play (or null).
    void publish(TrackSession *session) { published_.store(session, std::memory_order_seq_cst); }
    TrackSession *published() const { return published_.load(std::memory_order_seq_cst); }
    // Worker: publishes the tail to play out before the published session.
    // Publish a new tail before replacing the session it came from.
    void publishTail(TrackSession *tail) { tail_.store(tail, std::memory_order_seq_cst); }
    // True once the audio thread has handed over the last frame of the
    // session's current generation (for a tail: played out or cut).
    static bool finished(const TrackSession *session);
    // True while nothing sounds or waits to sound: the audio thread only
    // hands over silence. The wake notifier is called when it becomes true.
    bool quiet() const { return quiet_.load(std::memory_order_acquire); }
    // process() calls so far (for tests and benchmarks).
    uint64_t calls() const { return calls_.load(std::memory_order_relaxed); }
    // Worker: true when the audio thread cannot be using `session` (it is not
    // published and not marked in use).
    bool mayFree(const TrackSession *session) const;
    // Worker, while the audio thread is not running: forget what it held.
    void forgetInUse() {
        inUse_.store(nullptr, std::memory_order_seq_cst);
        inUseTail_.store(nullptr, std::memory_order_seq_cst);
    }
    // The same for one retired session only (it is never published again).
    void forget(const TrackSession *session);

    // Audio thread: fills `frames` stereo frames. With realtime false it stops
    // where it would have to wait for the decoder (returning the frames made),
    // instead of padding with silence.
    std::size_t process(float *out, std::size_t frames, bool realtime);

    // Any thread.
    void setPitchPercent(int percent) { converter_.setPitchPercent(percent); }
    int pitchPercent() const { return converter_.pitchPercent(); }
    void setMono(bool mono) { mono_.store(mono, std::memory_order_relaxed); }
    void setOutputWaitMs(int ms) { outputWaitMs_.store(ms, std::memory_order_relaxed); }
    Equalizer &equalizer() { return equalizer_; }
    VolumeRamp &volume() { return volume_; }
    const OutputTimeline &timeline() const { return timeline_; }
    const SampleHistory &history() const { return history_; }
    int rate() const { return rate_.load(std::memory_order_acquire); }
    std::size_t latencyFrames() const { return latency_.load(std::memory_order_acquire); }
    bool interpolates() const { return interpolate_.load(std::memory_order_acquire); }

    static constexpr std::size_t FadeFrames = 128;

private:
    static TrackSession *acquire(const std::atomic<TrackSession *> &from, std::atomic<TrackSession *> &mark);
    void startSession(TrackSession *s);
    std::size_t fadeOut(TrackSession *s, float *dst, std::size_t n, int64_t nowNs);
    std::size_t cutTail(TrackSession *t, float *dst, std::size_t n, int64_t nowNs);
    std::size_t step(TrackSession *s, float *dst, std::size_t n, bool realtime, bool isTail, int64_t nowNs);
    void notify() {
        if (notifier_) notifier_(notifierContext_);
    }
    std::size_t renderAudio(TrackSession *s, float *dst, std::size_t n, int64_t nowNs);
    void emitSilence(float *dst, std::size_t n, int64_t nowNs);
    static std::size_t pullRing(void *self, float *dst, std::size_t frames);

    std::atomic<TrackSession *> published_{nullptr};
    std::atomic<TrackSession *> inUse_{nullptr};
    std::atomic<TrackSession *> tail_{nullptr};
    std::atomic<TrackSession *> inUseTail_{nullptr};
    std::atomic<bool> mono_{false};
    std::atomic<int> outputWaitMs_{0};
    std::atomic<int> rate_{44100};
    std::atomic<std::size_t> latency_{0};
    std::atomic<bool> interpolate_{false};
    std::atomic<bool> quiet_{false};
    std::atomic<uint64_t> calls_{0};
    ReadNotifier notifier_ = nullptr;
    void *notifierContext_ = nullptr;

    RateConverter converter_;
    Equalizer equalizer_;
    VolumeRamp volume_;
    OutputTimeline timeline_;
    SampleHistory history_;

    // Audio thread state.
    TrackSession *current_ = nullptr;
    TrackSession *pulling_ = nullptr;  // the session pullRing reads from
    uint32_t gen_ = 0;
    bool ready_ = false;
    bool sounding_ = false;
    bool ended_ = false;
    bool joinable_ = false;       // the last frame handed over ended a tail
    double base_ = 0.0;           // track frame of the converter's position 0
    std::size_t fadeInDone_ = 0;  // frames of the fade-in made so far
};
