// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's sound device, owned by the worker thread: opened for an output
// rate, stopped while nothing plays, closed.
//
// The device is picked at each open: PulseAudio (libpulse) when a server
// answers and SDL_AUDIODRIVER does not name a driver; else SDL2's audio (any
// driver SDL finds, the disk and dummy drivers of the tests included); and the
// silent device when SDL has none or its device does not open. A server that
// did not answer once is not asked again. The first failure to find any sound
// output is told once on stderr. SDL's audio subsystem is started with the
// first SDL device and ended with the SoundOutput.
//
// Idle: keep() stops the device once the audio thread has been quiet for as
// long as the device's buffer plays (and a little more), so the fade-out is
// heard; it starts the device again as soon as sound is wanted.
#pragma once

#include "vbmp3/AudioDevice.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

class SoundOutput {
public:
    SoundOutput() = default;
    ~SoundOutput();
    SoundOutput(const SoundOutput &) = delete;
    SoundOutput &operator=(const SoundOutput &) = delete;

    // Opens (after closing what was open) and starts a device; the silent one
    // when nothing else opens.
    void open(int rate, std::size_t bufferFrames, AudioDevice::Callback callback, void *context);
    // When it returns the callback has stopped for good.
    void close();

    bool isOpen() const { return device_ != nullptr; }
    int rate() const { return rate_; }

    // Any thread.
    bool running() const { return running_.load(std::memory_order_acquire); }
    std::size_t latencyFrames() const { return latency_.load(std::memory_order_acquire); }

    // Starts or stops the device as wanted (sound wanted; the audio thread is
    // quiet). Returns the milliseconds after which to ask again, or -1.
    int keep(bool wanted, bool quiet);

private:
    std::unique_ptr<AudioDevice> choose(int rate, std::size_t bufferFrames, AudioDevice::Callback callback,
                                        void *context);

    std::unique_ptr<AudioDevice> device_;
    int rate_ = 0;
    std::atomic<bool> running_{false};
    std::atomic<std::size_t> latency_{0};
    std::optional<std::chrono::steady_clock::time_point> quietSince_;
    bool pulseFailed_ = false;
    bool sdlReady_ = false;
    bool sdlTried_ = false;
    bool noticeGiven_ = false;
};
