// Picks the sound device each time the engine opens one: PulseAudio (libpulse)
// when a server answers and SDL_AUDIODRIVER does not name a driver; else
// SDL2's audio (any driver SDL finds, the disk and dummy drivers of the tests
// included); and the silent device when SDL has none or its device does not
// open. A server that did not answer once is not asked again. The first
// failure to find any sound output is told once on stderr.
//
// Worker thread only. SDL's audio subsystem is started with the first SDL
// device and ended with the chooser.
#pragma once

#include "vbmp3/AudioDevice.h"

#include <memory>

class DeviceChooser {
public:
    DeviceChooser() = default;
    ~DeviceChooser();
    DeviceChooser(const DeviceChooser &) = delete;
    DeviceChooser &operator=(const DeviceChooser &) = delete;

    // An open, started device (the silent one when nothing else opens).
    std::unique_ptr<AudioDevice> open(int rate, std::size_t bufferFrames, AudioDevice::Callback callback,
                                      void *context);

private:
    bool pulseFailed_ = false;
    bool sdlReady_ = false;
    bool sdlTried_ = false;
    bool noticeGiven_ = false;
};
