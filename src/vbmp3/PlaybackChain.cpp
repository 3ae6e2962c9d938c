// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/PlaybackChain.h"

#include <algorithm>
#include <cstring>

#include "common/SteadyClock.h"

namespace {

// Frames worked on at once; a device buffer is cut into pieces of this size.
constexpr std::size_t Piece = 4096;

}  // namespace

PlaybackChain::PlaybackChain() : converter_(2), volume_(44100) {}

void PlaybackChain::prepare(int outputRate, std::size_t latencyFrames, bool interpolate) {
    rate_.store(outputRate, std::memory_order_release);
    latency_.store(latencyFrames, std::memory_order_release);
    interpolate_.store(interpolate, std::memory_order_release);
    volume_.setSampleRate(outputRate);
    volume_.snapToTarget();
    equalizer_.commit(outputRate);
    equalizer_.resetState();
    timeline_.reset();
    history_.reset();
    current_ = nullptr;
    sounding_ = false;
    quiet_.store(false, std::memory_order_release);
}

void PlaybackChain::setReadNotifier(ReadNotifier notifier, void *context) {
    notifier_ = notifier;
    notifierContext_ = context;
}

bool PlaybackChain::mayFree(const TrackSession *session) const {
    return published_.load(std::memory_order_seq_cst) != session && inUse_.load(std::memory_order_seq_cst) != session &&
           tail_.load(std::memory_order_seq_cst) != session && inUseTail_.load(std::memory_order_seq_cst) != session;
}

void PlaybackChain::forget(const TrackSession *session) {
    if (published_.load(std::memory_order_seq_cst) == session || tail_.load(std::memory_order_seq_cst) == session)
        return;
    TrackSession *none = nullptr;
    if (inUse_.load(std::memory_order_seq_cst) == session) inUse_.store(none, std::memory_order_seq_cst);
    if (inUseTail_.load(std::memory_order_seq_cst) == session) inUseTail_.store(none, std::memory_order_seq_cst);
    if (current_ == session) {
        current_ = nullptr;
        pulling_ = nullptr;
        sounding_ = false;
        joinable_ = false;
    }
}

bool PlaybackChain::finished(const TrackSession *session) {
    return session->endedGen.load(std::memory_order_acquire) == session->requestGen.load(std::memory_order_acquire);
}

TrackSession *PlaybackChain::acquire(const std::atomic<TrackSession *> &from, std::atomic<TrackSession *> &mark) {
    // Hazard pointer: mark, then check the mark still names the published one.
    TrackSession *s = from.load(std::memory_order_seq_cst);
    for (;;) {
        mark.store(s, std::memory_order_seq_cst);
        TrackSession *again = from.load(std::memory_order_seq_cst);
        if (again == s) return s;
        s = again;
    }
}

void PlaybackChain::startSession(TrackSession *s) {
    current_ = s;
    gen_ = 0;
    ready_ = false;
    sounding_ = false;
    ended_ = false;
}

std::size_t PlaybackChain::pullRing(void *self, float *dst, std::size_t frames) {
    auto *chain = static_cast<PlaybackChain *>(self);
    SpscRing &ring = chain->pulling_->ring;
    const std::size_t got = ring.read(dst, frames);
    // Wake the decoder once, when a read takes the ring below half: it then
    // fills the whole ring in one go. (after + got is at least what the ring
    // held before the read; the decoder may have added some since.)
    const std::size_t half = ring.capacityFrames() / 2;
    const std::size_t after = ring.availableFrames();
    if (got > 0 && after < half && after + got >= half) chain->notify();
    return got;
}

void PlaybackChain::emitSilence(float *dst, std::size_t n, int64_t nowNs) {
    std::memset(dst, 0, n * 2 * sizeof(float));
    joinable_ = false;
    timeline_.append(OutputTimeline::Silence, n, 0.0, 0.0, nowNs);
    history_.append(nullptr, n);
}

std::size_t PlaybackChain::renderAudio(TrackSession *s, float *dst, std::size_t n, int64_t nowNs) {
    const bool inputEnded = s->doneGen.load(std::memory_order_acquire) == gen_;
    const double from = base_ + converter_.positionFrames();
    pulling_ = s;
    const std::size_t got = converter_.process(dst, n, &PlaybackChain::pullRing, this, inputEnded);
    const double to = base_ + converter_.positionFrames();
    if (got == 0) return 0;
    equalizer_.process(dst, got, 2);
    volume_.process(dst, got, 2);
    if (mono_.load(std::memory_order_relaxed)) {
        for (std::size_t i = 0; i < got; ++i) {
            const float m = 0.5f * (dst[2 * i] + dst[2 * i + 1]);
            dst[2 * i] = dst[2 * i + 1] = m;
        }
    }
    if (fadeInDone_ < FadeFrames) {
        for (std::size_t i = 0; i < got && fadeInDone_ < FadeFrames; ++i, ++fadeInDone_) {
            const float g = static_cast<float>(fadeInDone_) / FadeFrames;
            dst[2 * i] *= g;
            dst[2 * i + 1] *= g;
        }
    }
    timeline_.append(s->keyOf(gen_), got, from, to, nowNs);
    history_.append(dst, got);
    return got;
}

std::size_t PlaybackChain::fadeOut(TrackSession *s, float *dst, std::size_t n, int64_t nowNs) {
    const std::size_t got = renderAudio(s, dst, n, nowNs);
    for (std::size_t i = 0; i < got; ++i) {
        const float g = static_cast<float>(got - i) / static_cast<float>(got + 1);
        dst[2 * i] *= g;
        dst[2 * i + 1] *= g;
    }
    return got;
}

std::size_t PlaybackChain::step(TrackSession *s, float *dst, std::size_t n, bool realtime, bool isTail, int64_t nowNs) {
    if (!s) {
        emitSilence(dst, n, nowNs);
        return n;
    }
    const uint32_t requested = s->requestGen.load(std::memory_order_acquire);
    const int transport = s->transport.load(std::memory_order_acquire);
    std::size_t made = 0;

    if (sounding_ && !(transport == TrackSession::Playing && requested == gen_)) {
        // Pause, stop or seek: fade out over the next frames of the track.
        const std::size_t fade = std::min(n, FadeFrames);
        const std::size_t got = fadeOut(s, dst, fade, nowNs);
        made = got;
        sounding_ = false;
        if (got < fade && converter_.drained()) {
            ended_ = true;
            s->endedGen.store(gen_, std::memory_order_release);
        }
    }

    if (requested != gen_) {
        gen_ = requested;
        ready_ = false;
        ended_ = false;
        sounding_ = false;
        s->ackGen.store(requested, std::memory_order_release);
        notify();
    }
    if (!ready_ && s->readyGen.load(std::memory_order_acquire) == gen_) {
        ready_ = true;
        base_ = static_cast<double>(s->readyFrame.load(std::memory_order_acquire));
        converter_.setRates(s->decodeRate, s->outputRate);
        if (!joinable_) equalizer_.resetState();
    }

    const bool wantSound = transport == TrackSession::Playing && ready_ && !ended_;
    if (!sounding_ && wantSound) {
        const bool done = s->doneGen.load(std::memory_order_acquire) == gen_;
        const int64_t waitFrames =
            std::min<int64_t>(int64_t(outputWaitMs_.load(std::memory_order_relaxed)) * s->decodeRate / 1000,
                              int64_t(s->ring.capacityFrames() / 2));
        const int64_t available = int64_t(s->ring.availableFrames());
        if (joinable_ && (done || available > 0)) {
            // Straight on from the tail that just ended: no wait, no fade.
            sounding_ = true;
            fadeInDone_ = FadeFrames;
        } else if (done || available >= std::max<int64_t>(waitFrames, 1)) {
            sounding_ = true;
            fadeInDone_ = 0;
            volume_.snapToTarget();  // nothing is sounding: no glide needed
        } else if (!realtime) {
            return made;  // wait for the decoder
        }
    }
    if (!sounding_) {
        if (!realtime && transport == TrackSession::Playing && !ready_ && !ended_)
            return made;  // wait for the seek to finish
        emitSilence(dst + 2 * made, n - made, nowNs);
        return n;
    }

    while (made < n) {
        const std::size_t got = renderAudio(s, dst + 2 * made, n - made, nowNs);
        made += got;
        if (made == n) break;
        if (converter_.drained()) {
            ended_ = true;
            sounding_ = false;
            s->endedGen.store(gen_, std::memory_order_release);
            if (isTail) {
                joinable_ = true;
                notify();
                return made;  // the next session goes on from here
            }
            emitSilence(dst + 2 * made, n - made, nowNs);
            return n;
        }
        if (got == 0) {
            if (!realtime) return made;  // wait for the decoder
            // Underrun: the decoder fell behind. Pad, and start again (with the
            // output wait and a fade-in) when it has caught up.
            sounding_ = false;
            emitSilence(dst + 2 * made, n - made, nowNs);
            return n;
        }
    }
    return n;
}

std::size_t PlaybackChain::cutTail(TrackSession *t, float *dst, std::size_t n, int64_t nowNs) {
    // The listener moved on while the tail played: fade it out like a stop.
    const std::size_t got = current_ == t && sounding_ ? fadeOut(t, dst, std::min(n, FadeFrames), nowNs) : 0;
    sounding_ = false;
    joinable_ = false;
    t->endedGen.store(t->requestGen.load(std::memory_order_acquire), std::memory_order_release);
    notify();
    return got;
}

std::size_t PlaybackChain::process(float *out, std::size_t frames, bool realtime) {
    // The session first, then the tail: the worker publishes a tail before it
    // takes the session away, so one of the two always names it.
    TrackSession *s = acquire(published_, inUse_);
    TrackSession *t = acquire(tail_, inUseTail_);
    const int64_t now = SteadyClock::steadyNs();
    std::size_t made = 0;
    while (made < frames) {
        const bool tailLive = t && !finished(t);
        TrackSession *want = tailLive ? t : s;
        if (want != current_) {
            const bool join = joinable_;
            startSession(want);
            joinable_ = join;
        }
        const std::size_t n = std::min(Piece, frames - made);
        if (tailLive && t->cut.load(std::memory_order_acquire)) {
            made += cutTail(t, out + 2 * made, n, now);
            continue;
        }
        const std::size_t got = step(want, out + 2 * made, n, realtime, tailLive, now);
        made += got;
        if (got < n && !(tailLive && finished(t))) break;
    }
    const bool quiet =
        !sounding_ && !(t && !finished(t)) &&
        (!current_ || ended_ || current_->transport.load(std::memory_order_acquire) != TrackSession::Playing);
    if (quiet != quiet_.load(std::memory_order_relaxed)) {
        quiet_.store(quiet, std::memory_order_release);
        if (quiet) notify();
    }
    calls_.fetch_add(1, std::memory_order_relaxed);
    return made;
}
