// SPDX-License-Identifier: GPL-3.0-or-later
// The sound device through SDL2's audio subsystem (only audio: SDL video is
// never started): PipeWire, PulseAudio, ALSA or whatever SDL picks, the disk
// driver included (SDL_AUDIODRIVER=disk writes what is played to a file).
//
// The device is opened for exactly the rate and format asked for (SDL converts
// when the hardware differs), stereo 32-bit float, with the callback size
// asked for.
#pragma once

#include "vbmp3/AudioDevice.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

class SdlAudioDevice : public AudioDevice {
public:
    // Starts SDL's audio subsystem (SDL's signal handlers stay off). Returns
    // false, with the reason in *error, when SDL has no audio driver.
    static bool initSubsystem(std::string *error);
    // Ends SDL's audio subsystem (also after initSubsystem failed), and SDL
    // itself when nothing else of it is in use.
    static void quitSubsystem();

    ~SdlAudioDevice() override;

    bool open(int rate, std::size_t bufferFrames, Callback callback, void *context) override;
    void close() override;
    std::size_t latencyFrames() const override { return bufferFrames_; }
    // Stopped, SDL's thread is held at the next callback until play comes
    // (SDL's own pause would keep it waking to write silence): the device's
    // buffer runs out after the silence it holds, and play hands it fresh
    // audio at once. Drivers that call back from another system's thread
    // are paused the SDL way.
    void setRunning(bool running) override;

    const std::string &lastError() const { return error_; }

private:
    static void trampoline(void *self, uint8_t *stream, int bytes);
    void release(bool closing);

    uint32_t device_ = 0;
    Callback callback_ = nullptr;
    void *context_ = nullptr;
    std::size_t bufferFrames_ = 0;
    std::string error_;
    bool holdable_ = true;  // SDL's own thread calls back
    std::atomic<bool> held_{false};
    bool closing_ = false;  // under holdMutex_
    std::mutex holdMutex_;
    std::condition_variable holdChanged_;
};
