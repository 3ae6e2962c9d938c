// SPDX-License-Identifier: GPL-3.0-or-later
// Where the engine's output goes: a sound device that calls back for interleaved
// stereo float frames at a fixed rate, in buffers of a fixed size.
#pragma once

#include <cstddef>

class AudioDevice {
public:
    // Fills `frames` interleaved stereo frames. Runs on the device's own thread;
    // it must not lock, allocate or log.
    using Callback = void (*)(void *context, float *out, std::size_t frames);

    virtual ~AudioDevice() = default;

    // Opens and starts the device; false when it cannot be opened.
    virtual bool open(int rate, std::size_t bufferFrames, Callback callback, void *context) = 0;

    // Stops the device; when it returns the callback is not running and will not
    // run again.
    virtual void close() = 0;

    // Output frames queued toward the loudspeaker behind what the callback has
    // just handed over (the device's buffer).
    virtual std::size_t latencyFrames() const = 0;

    // Idle: false stops the callback (when it returns the callback is not
    // running and will not run until true); the device may stop streaming.
    // true starts it again at once, dropping what was queued before the stop.
    // A device opens running.
    virtual void setRunning(bool running) = 0;
};
