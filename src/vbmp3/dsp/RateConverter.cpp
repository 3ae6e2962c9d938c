// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/RateConverter.h"

#include <samplerate.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

struct RateConverter::State {
    SRC_STATE *src = nullptr;
    ~State() {
        if (src) {
            src_delete(src);
        }
    }
};

namespace {

int converterType(RateConverter::Quality quality) {
    switch (quality) {
    case RateConverter::Quality::Best: return SRC_SINC_BEST_QUALITY;
    case RateConverter::Quality::Medium: return SRC_SINC_MEDIUM_QUALITY;
    case RateConverter::Quality::Fastest: break;
    }
    return SRC_SINC_FASTEST;
}

}  // namespace

RateConverter::RateConverter(int channels, Quality quality)
    : channels_(std::max(channels, 1)), state_(std::make_unique<State>()) {
    int error = 0;
    state_->src = src_new(converterType(quality), channels_, &error);
    if (!state_->src) {
        throw std::runtime_error(std::string("libsamplerate: ") + src_strerror(error));
    }
    const std::size_t block = BlockFrames * static_cast<std::size_t>(channels_);
    input_.reset(new float[block]());
    history_.reset(new float[block]());
    scratch_.reset(new float[block]());
    reset();
}

RateConverter::~RateConverter() = default;

void RateConverter::setRates(double inRate, double outRate) {
    if (inRate > 0.0) {
        inRate_ = inRate;
    }
    if (outRate > 0.0) {
        outRate_ = outRate;
    }
    reset();
}

void RateConverter::setPitchPercent(int percent) {
    pitch_.store(std::clamp(percent, 50, 300), std::memory_order_relaxed);
}

int RateConverter::pitchPercent() const { return pitch_.load(std::memory_order_relaxed); }

double RateConverter::targetRatio() const {
    const double ratio = outRate_ / (inRate_ * pitchPercent() / 100.0);
    // libsamplerate accepts 1/256..256; the rates and pitches in use stay far inside.
    return std::clamp(ratio, 1.0 / 256.0, 256.0);
}

void RateConverter::reset() {
    src_reset(state_->src);
    inputStart_ = inputCount_ = 0;
    historyWrite_ = historyCount_ = 0;
    primingLeft_ = 0;
    consumed_ = 0;
    position_ = 0.0;
    drained_ = false;
    converting_ = inRate_ != outRate_;
    lastRatio_ = 0.0;  // the converter takes the first ratio it is given as it stands
}

void RateConverter::remember(const float *frames, std::size_t count) {
    const std::size_t ch = static_cast<std::size_t>(channels_);
    if (count > BlockFrames) {
        frames += (count - BlockFrames) * ch;
        count = BlockFrames;
    }
    const std::size_t first = std::min(count, BlockFrames - historyWrite_);
    std::memcpy(history_.get() + historyWrite_ * ch, frames, first * ch * sizeof(float));
    std::memcpy(history_.get(), frames + first * ch, (count - first) * ch * sizeof(float));
    historyWrite_ = (historyWrite_ + count) % BlockFrames;
    historyCount_ = std::min(historyCount_ + count, BlockFrames);
}

void RateConverter::startConverting() {
    // Feed the copied history through a fresh converter at ratio 1 and drop its
    // output: the converter's filter then holds the same past as the listener
    // heard, and its next output frame is the next input frame.
    const std::size_t ch = static_cast<std::size_t>(channels_);
    const std::size_t oldest = (historyWrite_ + BlockFrames - historyCount_) % BlockFrames;
    const std::size_t first = std::min(historyCount_, BlockFrames - oldest);
    std::memcpy(input_.get(), history_.get() + oldest * ch, first * ch * sizeof(float));
    std::memcpy(input_.get() + first * ch, history_.get(), (historyCount_ - first) * ch * sizeof(float));
    inputStart_ = 0;
    inputCount_ = historyCount_;
    primingLeft_ = historyCount_;
    lastRatio_ = primingLeft_ > 0 ? 1.0 : 0.0;
    src_reset(state_->src);
    converting_ = true;
}

std::size_t RateConverter::process(float *out, std::size_t frames, PullFn pull, void *context, bool inputEnded) {
    if (drained_ || frames == 0) {
        return 0;
    }
    const std::size_t ch = static_cast<std::size_t>(channels_);
    const double target = targetRatio();

    if (!converting_) {
        if (target == 1.0) {
            const std::size_t got = pull(context, out, frames);
            consumed_ += got;
            position_ += static_cast<double>(got);
            remember(out, got);
            if (got == 0 && inputEnded) {
                drained_ = true;
            }
            return got;
        }
        startConverting();
    }

    if (lastRatio_ <= 0.0) {
        lastRatio_ = target;
    }
    std::size_t produced = 0;
    while (produced < frames) {
        bool endOfInput = false;
        if (inputCount_ == 0) {
            inputStart_ = 0;
            inputCount_ = pull(context, input_.get(), BlockFrames);
            consumed_ += inputCount_;
            if (inputCount_ == 0) {
                if (!inputEnded) {
                    break;  // underrun: keep the converter as it is
                }
                endOfInput = true;
            }
        }
        const bool priming = primingLeft_ > 0;
        SRC_DATA data{};
        data.data_in = input_.get() + inputStart_ * ch;
        data.input_frames = static_cast<long>(inputCount_);
        data.data_out = priming ? scratch_.get() : out + produced * ch;
        data.output_frames = static_cast<long>(priming ? std::min(primingLeft_, BlockFrames) : frames - produced);
        data.end_of_input = endOfInput ? 1 : 0;
        data.src_ratio = priming ? 1.0 : target;
        if (src_process(state_->src, &data) != 0) {
            break;
        }
        inputStart_ += static_cast<std::size_t>(data.input_frames_used);
        inputCount_ -= static_cast<std::size_t>(data.input_frames_used);
        const std::size_t gen = static_cast<std::size_t>(data.output_frames_gen);
        if (priming) {
            primingLeft_ -= std::min(primingLeft_, gen);
        } else if (gen > 0) {
            // The converter moves linearly from its last ratio to the target
            // across the frames asked for; mirror that to advance the position.
            const double reached =
                lastRatio_ + (target - lastRatio_) * static_cast<double>(gen) / static_cast<double>(data.output_frames);
            position_ += static_cast<double>(gen) * 2.0 / (lastRatio_ + reached);
            lastRatio_ = reached;
            produced += gen;
        }
        if (endOfInput && gen == 0) {
            drained_ = true;
            break;
        }
    }
    return produced;
}
