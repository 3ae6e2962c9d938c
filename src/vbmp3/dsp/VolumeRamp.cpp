// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/VolumeRamp.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double RampSeconds = 0.010;

std::uint32_t pack(int left, int right) {
    return static_cast<std::uint32_t>(std::clamp(left, 0, 100)) |
           (static_cast<std::uint32_t>(std::clamp(right, 0, 100)) << 16);
}

double leftGain(std::uint32_t packed) { return static_cast<double>(packed & 0xFFFFu) / 100.0; }
double rightGain(std::uint32_t packed) { return static_cast<double>(packed >> 16) / 100.0; }

}  // namespace

VolumeRamp::VolumeRamp(int sampleRate)
    : target_(pack(100, 100)), seenTarget_(pack(100, 100)), sampleRate_(std::max(sampleRate, 1)) {}

void VolumeRamp::setTarget(int leftPercent, int rightPercent) {
    target_.store(pack(leftPercent, rightPercent), std::memory_order_relaxed);
}

int VolumeRamp::targetLeft() const { return static_cast<int>(target_.load(std::memory_order_relaxed) & 0xFFFFu); }

int VolumeRamp::targetRight() const { return static_cast<int>(target_.load(std::memory_order_relaxed) >> 16); }

void VolumeRamp::setSampleRate(int sampleRate) { sampleRate_ = std::max(sampleRate, 1); }

void VolumeRamp::snapToTarget() {
    seenTarget_ = target_.load(std::memory_order_relaxed);
    gain_[0] = leftGain(seenTarget_);
    gain_[1] = rightGain(seenTarget_);
    rampLeft_ = 0;
}

void VolumeRamp::process(float *interleaved, std::size_t frames, int channels) {
    const std::uint32_t target = target_.load(std::memory_order_relaxed);
    if (target != seenTarget_) {
        seenTarget_ = target;
        rampLeft_ = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(RampSeconds * sampleRate_)));
        step_[0] = (leftGain(target) - gain_[0]) / static_cast<double>(rampLeft_);
        step_[1] = (rightGain(target) - gain_[1]) / static_cast<double>(rampLeft_);
    }
    if (channels <= 0) {
        return;
    }
    const std::size_t stride = static_cast<std::size_t>(channels);
    std::size_t f = 0;
    for (; f < frames && rampLeft_ > 0; ++f) {
        if (--rampLeft_ == 0) {
            gain_[0] = leftGain(target);
            gain_[1] = rightGain(target);
        } else {
            gain_[0] += step_[0];
            gain_[1] += step_[1];
        }
        float *p = interleaved + f * stride;
        if (channels == 1) {
            p[0] = static_cast<float>(p[0] * 0.5 * (gain_[0] + gain_[1]));
        } else {
            for (int c = 0; c < channels; ++c) {
                p[c] = static_cast<float>(p[c] * gain_[c & 1]);
            }
        }
    }
    if (f == frames || (gain_[0] == 1.0 && gain_[1] == 1.0)) {
        return;
    }
    const float gains[2] = {static_cast<float>(channels == 1 ? 0.5 * (gain_[0] + gain_[1]) : gain_[0]),
                            static_cast<float>(gain_[1])};
    for (; f < frames; ++f) {
        float *p = interleaved + f * stride;
        for (int c = 0; c < channels; ++c) {
            p[c] *= gains[c & 1];
        }
    }
}
