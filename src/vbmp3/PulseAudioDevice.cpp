// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/PulseAudioDevice.h"

#include <pulse/pulseaudio.h>

#include <algorithm>

namespace {

constexpr std::size_t FrameBytes = 2 * sizeof(float);

// The server carries operations out in order; nobody waits for them.
void let(pa_operation *op) {
    if (op) pa_operation_unref(op);
}

// Waits (with the loop locked) until state() says ready (1) or failed (-1).
template <class State>
bool waitUntilReady(pa_threaded_mainloop *loop, State state) {
    for (;;) {
        const int st = state();
        if (st != 0) return st > 0;
        pa_threaded_mainloop_wait(loop);
    }
}

}  // namespace

PulseAudioDevice::~PulseAudioDevice() { close(); }

bool PulseAudioDevice::fail(const char *what) {
    error_ = what;
    if (context_) error_ += std::string(": ") + pa_strerror(pa_context_errno(context_));
    if (loop_) pa_threaded_mainloop_unlock(loop_);
    close();
    return false;
}

void PulseAudioDevice::onContextState(pa_context *, void *self) {
    pa_threaded_mainloop_signal(static_cast<PulseAudioDevice *>(self)->loop_, 0);
}

void PulseAudioDevice::onStreamState(pa_stream *s, void *self) {
    auto *dev = static_cast<PulseAudioDevice *>(self);
    pa_threaded_mainloop_signal(dev->loop_, 0);
    if (dev->opened_ && !dev->fallback_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(s))) {
        // No more requests will come: go on without sound.
        dev->fallback_ = std::make_unique<SilentAudioDevice>();
        dev->fallback_->open(dev->rate_, dev->requestFrames_, dev->callback_, dev->userContext_);
        if (!dev->running_) dev->fallback_->setRunning(false);
    }
}

void PulseAudioDevice::onWrite(pa_stream *s, std::size_t bytes, void *self) {
    auto *dev = static_cast<PulseAudioDevice *>(self);
    while (bytes >= FrameBytes) {
        void *data = nullptr;
        std::size_t n = bytes;
        if (pa_stream_begin_write(s, &data, &n) < 0 || !data) return;
        n -= n % FrameBytes;
        if (n == 0) {
            pa_stream_cancel_write(s);
            return;
        }
        if (dev->running_)
            dev->callback_(dev->userContext_, static_cast<float *>(data), n / FrameBytes);
        else
            std::fill_n(static_cast<float *>(data), n / sizeof(float), 0.0f);
        pa_stream_write(s, data, n, nullptr, 0, PA_SEEK_RELATIVE);
        bytes -= n;
    }
}

bool PulseAudioDevice::open(int rate, std::size_t bufferFrames, Callback callback, void *context) {
    close();
    callback_ = callback;
    userContext_ = context;
    running_ = true;
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) return fail("no main loop");
    pa_threaded_mainloop_lock(loop_);
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Corvale");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "corvale");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Corvale", props);
    pa_proplist_free(props);
    if (!context_) return fail("no context");
    pa_context_set_state_callback(context_, &PulseAudioDevice::onContextState, this);
    if (pa_threaded_mainloop_start(loop_) < 0) return fail("main loop did not start");
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return fail("no server");
    if (!waitUntilReady(loop_, [this] {
            const pa_context_state_t st = pa_context_get_state(context_);
            return st == PA_CONTEXT_READY ? 1 : PA_CONTEXT_IS_GOOD(st) ? 0 : -1;
        }))
        return fail("no server");

    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_FLOAT32NE;
    spec.rate = static_cast<uint32_t>(rate);
    spec.channels = 2;
    stream_ = pa_stream_new(context_, "Playback", &spec, nullptr);
    if (!stream_) return fail("no stream");
    pa_stream_set_state_callback(stream_, &PulseAudioDevice::onStreamState, this);
    pa_stream_set_write_callback(stream_, &PulseAudioDevice::onWrite, this);
    rate_ = rate;
    requestFrames_ = std::max<std::size_t>(bufferFrames, 64);
    const auto request = static_cast<uint32_t>(requestFrames_ * FrameBytes);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = 2 * request;
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = request;
    attr.fragsize = static_cast<uint32_t>(-1);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0)
        return fail("stream did not connect");
    if (!waitUntilReady(loop_, [this] {
            const pa_stream_state_t st = pa_stream_get_state(stream_);
            return st == PA_STREAM_READY ? 1 : PA_STREAM_IS_GOOD(st) ? 0 : -1;
        }))
        return fail("stream failed");
    const pa_buffer_attr *got = pa_stream_get_buffer_attr(stream_);
    latencyFrames_ = (got ? got->tlength : attr.tlength) / FrameBytes;
    opened_ = true;
    pa_threaded_mainloop_unlock(loop_);
    return true;
}

void PulseAudioDevice::setRunning(bool running) {
    if (!stream_) return;
    pa_threaded_mainloop_lock(loop_);
    if (running != running_) {
        // Stopped, the write callback hands the server silence without
        // calling back, should a request still come in.
        running_ = running;
        if (fallback_) {
            fallback_->setRunning(running);
        } else {
            if (running) let(pa_stream_flush(stream_, nullptr, nullptr));  // the silence queued before the stop
            let(pa_stream_cork(stream_, running ? 0 : 1, nullptr, nullptr));
        }
    }
    pa_threaded_mainloop_unlock(loop_);
}

void PulseAudioDevice::close() {
    if (loop_) pa_threaded_mainloop_stop(loop_);  // joins its thread: no callback after this
    fallback_.reset();
    opened_ = false;
    if (stream_) {
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    if (context_) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (loop_) {
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
    }
}
