// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/SilentAudioDevice.h"

#include <chrono>

SilentAudioDevice::~SilentAudioDevice() { close(); }

bool SilentAudioDevice::open(int rate, std::size_t bufferFrames, Callback callback, void *context) {
    close();
    rate_ = rate > 0 ? rate : 44100;
    bufferFrames_ = bufferFrames > 0 ? bufferFrames : 512;
    callback_ = callback;
    context_ = context;
    buffer_.assign(bufferFrames_ * 2, 0.0f);
    quit_ = false;
    running_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

void SilentAudioDevice::close() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void SilentAudioDevice::setRunning(bool running) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (running && !running_) restarted_ = true;
    running_ = running;
    wake_.notify_all();
    wake_.wait(lock, [this] { return !inCallback_; });
}

void SilentAudioDevice::run() {
    using clock = std::chrono::steady_clock;
    auto start = clock::now();
    uint64_t handed = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quit_) {
        wake_.wait(lock, [this] { return quit_ || running_; });
        if (quit_) break;
        if (restarted_) {
            restarted_ = false;
            start = clock::now();
            handed = 0;
        }
        inCallback_ = true;
        lock.unlock();
        callback_(context_, buffer_.data(), bufferFrames_);
        lock.lock();
        inCallback_ = false;
        wake_.notify_all();
        handed += bufferFrames_;
        // Sleep until the buffer just taken would have been played.
        const auto due = start + std::chrono::nanoseconds(handed * 1000000000ull / uint64_t(rate_));
        wake_.wait_until(lock, due, [this] { return quit_ || !running_; });
    }
}
