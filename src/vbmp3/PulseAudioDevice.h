// SPDX-License-Identifier: GPL-3.0-or-later
// The sound device through libpulse, the client interface that PulseAudio and
// PipeWire's pulse server both serve: a playback stream of stereo 32-bit
// float at the rate asked for, run by libpulse's threaded main loop, whose
// thread calls back whenever the server asks for audio.
//
// The stream's whole latency (client buffer and sink together, with the
// server adjusting the sink) is two callback sizes and the server asks for
// one callback size at a time: about 29 ms and 70 requests a second with the
// default 640-frame callback at 44.1 kHz, so that a change of the transport,
// pitch or sound reaches the loudspeaker within 30 ms.
//
// setRunning(false) corks the stream: the server stops asking and the main
// loop's thread sleeps. setRunning(true) drops what was queued (silence) and
// uncorks; the server asks for a whole buffer at once.
//
// Should the stream fail while open (the server went away), a silent device
// takes over the callback, so that the track still plays on in real time and
// ends.
#pragma once

#include "vbmp3/AudioDevice.h"
#include "vbmp3/SilentAudioDevice.h"

#include <memory>
#include <string>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

class PulseAudioDevice : public AudioDevice {
public:
    ~PulseAudioDevice() override;

    // Connects to the server (never starting one) and opens the stream; false,
    // quickly, when no server answers.
    bool open(int rate, std::size_t bufferFrames, Callback callback, void *context) override;
    void close() override;
    std::size_t latencyFrames() const override { return latencyFrames_; }
    void setRunning(bool running) override;

    const std::string &lastError() const { return error_; }

private:
    bool fail(const char *what);
    static void onContextState(pa_context *c, void *self);
    static void onStreamState(pa_stream *s, void *self);
    static void onWrite(pa_stream *s, std::size_t bytes, void *self);

    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    Callback callback_ = nullptr;
    void *userContext_ = nullptr;
    std::size_t latencyFrames_ = 0;
    int rate_ = 0;
    std::size_t requestFrames_ = 0;
    bool opened_ = false;  // under the main loop's lock, as are the two below
    bool running_ = true;
    std::unique_ptr<SilentAudioDevice> fallback_;
    std::string error_;
};
