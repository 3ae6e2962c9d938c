// SPDX-License-Identifier: GPL-3.0-or-later
// A device that plays nothing but takes audio in real time, for a machine on
// which no sound device opens: the player still runs, times and ends tracks.
// Its thread calls back once per buffer, paced by the steady clock.
#pragma once

#include "vbmp3/AudioDevice.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class SilentAudioDevice : public AudioDevice {
public:
    ~SilentAudioDevice() override;

    bool open(int rate, std::size_t bufferFrames, Callback callback, void *context) override;
    void close() override;
    std::size_t latencyFrames() const override { return bufferFrames_; }
    // Stopped, its thread sleeps until started again or closed.
    void setRunning(bool running) override;

private:
    void run();

    int rate_ = 44100;
    std::size_t bufferFrames_ = 0;
    Callback callback_ = nullptr;
    void *context_ = nullptr;
    std::vector<float> buffer_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool running_ = true;
    bool restarted_ = false;
    bool inCallback_ = false;
};
