#include "vbmp3/DeviceChooser.h"

#include "vbmp3/PulseAudioDevice.h"
#include "vbmp3/SdlAudioDevice.h"
#include "vbmp3/SilentAudioDevice.h"

#include <cstdio>
#include <cstdlib>
#include <string>

DeviceChooser::~DeviceChooser() {
    if (sdlTried_)
        SdlAudioDevice::quitSubsystem(); // also after a failed start: SDL keeps hints
}

std::unique_ptr<AudioDevice> DeviceChooser::open(int rate, std::size_t bufferFrames, AudioDevice::Callback callback,
                                                 void *context) {
    const char *driver = std::getenv("SDL_AUDIODRIVER");
    if (!pulseFailed_ && (!driver || !*driver)) {
        auto pulse = std::make_unique<PulseAudioDevice>();
        if (pulse->open(rate, bufferFrames, callback, context))
            return pulse;
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
        if (sdl->open(rate, bufferFrames, callback, context))
            return sdl;
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
