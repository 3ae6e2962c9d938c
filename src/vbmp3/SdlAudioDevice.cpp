// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/SdlAudioDevice.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

bool SdlAudioDevice::initSubsystem(std::string *error) {
    // Without this SDL takes SIGINT and SIGTERM from the program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Corvale");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Playback");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (error) *error = SDL_GetError();
        return false;
    }
    return true;
}

void SdlAudioDevice::quitSubsystem() {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // Nothing else of SDL in use: let it free its hints and globals too.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

SdlAudioDevice::~SdlAudioDevice() { close(); }

void SdlAudioDevice::trampoline(void *self, uint8_t *stream, int bytes) {
    auto *dev = static_cast<SdlAudioDevice *>(self);
    if (dev->held_.load(std::memory_order_acquire)) {
        std::unique_lock<std::mutex> lock(dev->holdMutex_);
        dev->holdChanged_.wait(lock, [dev] { return !dev->held_.load(std::memory_order_acquire); });
        if (dev->closing_) {  // let go to end: nothing more is played
            std::fill_n(stream, bytes, uint8_t{0});
            return;
        }
    }
    dev->callback_(dev->context_, reinterpret_cast<float *>(stream),
                   static_cast<std::size_t>(bytes) / (2 * sizeof(float)));
}

bool SdlAudioDevice::open(int rate, std::size_t bufferFrames, Callback callback, void *context) {
    close();
    callback_ = callback;
    context_ = context;
    closing_ = false;
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(bufferFrames);
    want.callback = &SdlAudioDevice::trampoline;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        error_ = SDL_GetError();
        return false;
    }
    bufferFrames_ = have.samples > 0 ? have.samples : bufferFrames;
    // Drivers that call back from the sound system's own thread (PipeWire's,
    // JACK's process callback) must not be held there: they are paused.
    const char *driver = SDL_GetCurrentAudioDriver();
    holdable_ = !driver || (std::strcmp(driver, "pipewire") != 0 && std::strcmp(driver, "jack") != 0);
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlAudioDevice::setRunning(bool running) {
    if (device_ == 0) return;
    if (running) {
        if (!holdable_) SDL_PauseAudioDevice(device_, 0);
        release(false);
        return;
    }
    if (!holdable_) {
        SDL_PauseAudioDevice(device_, 1);
        return;
    }
    if (held_.load(std::memory_order_acquire)) return;
    // Under SDL's lock the callback is not running: the next one waits.
    SDL_LockAudioDevice(device_);
    held_.store(true, std::memory_order_release);
    SDL_UnlockAudioDevice(device_);
}

void SdlAudioDevice::release(bool closing) {
    {
        const std::lock_guard<std::mutex> lock(holdMutex_);
        closing_ = closing;
        held_.store(false, std::memory_order_release);
    }
    holdChanged_.notify_all();
}

void SdlAudioDevice::close() {
    if (device_ != 0) {
        release(true);  // SDL's thread must get out of a held callback to end
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
}
