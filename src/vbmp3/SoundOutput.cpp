// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/SoundOutput.h"

#include "vbmp3/PulseAudioDevice.h"
#include "vbmp3/SdlAudioDevice.h"
#include "vbmp3/SilentAudioDevice.h"

#include <cstdio>
#include <cstdlib>
#include <string>

SoundOutput::~SoundOutput() {
    close();
    if (sdlTried_) SdlAudioDevice::quitSubsystem();  // also after a failed start: SDL keeps hints
}

void SoundOutput::open(int rate, std::size_t bufferFrames, AudioDevice::Callback callback, void *context) {
    close();
    device_ = choose(rate, bufferFrames, callback, context);
    rate_ = rate;
    latency_.store(device_->latencyFrames(), std::memory_order_release);
    running_.store(true, std::memory_order_release);
    quietSince_.reset();
}

void SoundOutput::close() {
    if (!device_) return;
    device_->close();
    device_.reset();
    rate_ = 0;
    running_.store(false, std::memory_order_release);
}

int SoundOutput::keep(bool wanted, bool quiet) {
    if (!device_) return -1;
    if (wanted || !quiet) {
        // Sounding, or fading out (the audio thread posts once it is quiet).
        quietSince_.reset();
        if (wanted && !running()) {
            device_->setRunning(true);
            running_.store(true, std::memory_order_release);
        }
        return -1;
    }
    if (!running()) return -1;
    const auto now = std::chrono::steady_clock::now();
    if (!quietSince_) quietSince_ = now;
    const auto heard = std::chrono::milliseconds(20 + latencyFrames() * 1000 / std::size_t(rate_));
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*quietSince_ + heard - now).count();
    if (left > 0) return int(left);
    device_->setRunning(false);
    running_.store(false, std::memory_order_release);
    quietSince_.reset();
    return -1;
}

std::unique_ptr<AudioDevice> SoundOutput::choose(int rate, std::size_t bufferFrames, AudioDevice::Callback callback,
                                                 void *context) {
    const char *driver = std::getenv("SDL_AUDIODRIVER");
    if (!pulseFailed_ && (!driver || !*driver)) {
        auto pulse = std::make_unique<PulseAudioDevice>();
        if (pulse->open(rate, bufferFrames, callback, context)) return pulse;
        pulseFailed_ = true;
    }
    if (!sdlTried_) {
        sdlTried_ = true;
        std::string error;
        sdlReady_ = SdlAudioDevice::initSubsystem(&error);
        if (!sdlReady_ && !noticeGiven_) {
            std::fprintf(stderr, "vbmp3: no sound output (%s); playing silently\n", error.c_str());
            noticeGiven_ = true;
        }
    }
    if (sdlReady_) {
        auto sdl = std::make_unique<SdlAudioDevice>();
        if (sdl->open(rate, bufferFrames, callback, context)) return sdl;
        if (!noticeGiven_) {
            std::fprintf(stderr, "vbmp3: no sound device could be opened (%s); playing silently\n",
                         sdl->lastError().c_str());
            noticeGiven_ = true;
        }
    }
    auto silent = std::make_unique<SilentAudioDevice>();
    silent->open(rate, bufferFrames, callback, context);
    return silent;
}
