#include "vbmp3/dsp/SpectrumAnalyzer.h"

#include <fftw3.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>

namespace {

std::mutex &plannerMutex() {
    static std::mutex m;
    return m;
}

} // namespace

struct SpectrumAnalyzer::Plan {
    float *in = nullptr;
    fftwf_complex *out = nullptr;
    fftwf_plan plan = nullptr;
};

void SpectrumAnalyzer::releasePlan(Plan *plan) {
    std::lock_guard<std::mutex> lock(plannerMutex());
    if (plan->plan) {
        fftwf_destroy_plan(plan->plan);
    }
    fftwf_free(plan->in);
    fftwf_free(plan->out);
    delete plan;
}

SpectrumAnalyzer::SpectrumAnalyzer() : plan_(new Plan) {
    bool planned = false;
    {
        std::lock_guard<std::mutex> lock(plannerMutex());
        plan_->in = fftwf_alloc_real(kSize);
        plan_->out = fftwf_alloc_complex(kSize / 2 + 1);
        if (plan_->in && plan_->out) {
            plan_->plan = fftwf_plan_dft_r2c_1d(kSize, plan_->in, plan_->out, FFTW_ESTIMATE);
        }
        planned = plan_->plan != nullptr;
    }
    if (!planned) {
        releasePlan(plan_);
        throw std::bad_alloc();
    }
    // Periodic windows (the spectral-analysis form) and their coherent gains.
    for (int w = 0; w < 4; ++w) {
        double sum = 0.0;
        for (int n = 0; n < kSize; ++n) {
            const double x = 2.0 * M_PI * n / kSize;
            double v = 1.0;
            if (w == 1) {
                v = 0.5 - 0.5 * std::cos(x);
            } else if (w == 2) {
                v = 0.54 - 0.46 * std::cos(x);
            } else if (w == 3) {
                v = 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
            }
            windows_[static_cast<std::size_t>(w)][static_cast<std::size_t>(n)] = static_cast<float>(v);
            sum += v;
        }
        coherentGain_[static_cast<std::size_t>(w)] = static_cast<float>(sum / kSize);
    }
    makeThresholds();
}

SpectrumAnalyzer::~SpectrumAnalyzer() {
    releasePlan(plan_);
}

void SpectrumAnalyzer::analyze(const float *interleaved, std::size_t frames, int channels, int window,
                               int32_t left[kBins], int32_t right[kBins]) {
    if (window < 0 || window > 3) {
        window = 1;
    }
    if (!interleaved || channels <= 0) {
        frames = 0;
        channels = 1;
    }
    analyzeChannel(interleaved, frames, channels, 0, window, left);
    if (channels == 1) {
        std::memcpy(right, left, kBins * sizeof(int32_t));
    } else {
        analyzeChannel(interleaved, frames, channels, 1, window, right);
    }
}

void SpectrumAnalyzer::analyzeChannel(const float *interleaved, std::size_t frames, int channels, int channel,
                                      int window, int32_t out[kBins]) {
    const std::size_t used = std::min<std::size_t>(frames, kSize);
    const std::size_t pad = kSize - used;
    const std::size_t stride = static_cast<std::size_t>(channels);
    const float *src = interleaved ? interleaved + (frames - used) * stride + static_cast<std::size_t>(channel)
                                   : nullptr;
    const auto &w = windows_[static_cast<std::size_t>(window)];
    float *in = plan_->in;
    std::fill(in, in + pad, 0.0f);
    for (std::size_t n = 0; n < used; ++n) {
        in[pad + n] = src[n * stride] * w[pad + n];
    }
    fftwf_execute_dft_r2c(plan_->plan, in, plan_->out);
    // A full-scale sine on a bin gives |X| = N/2 x coherent gain.
    const float fullScale = 0.5f * kSize * coherentGain_[static_cast<std::size_t>(window)];
    for (int k = 0; k < kBins; ++k) {
        const float re = plan_->out[k][0] / fullScale;
        const float im = plan_->out[k][1] / fullScale;
        out[k] = levelOfPower(re * re + im * im);
    }
}

int32_t SpectrumAnalyzer::levelFormula(float power) {
    const float floorPower = 1e-7f; // -70 dB: reads 0 anyway, keeps log10 finite
    const float db = 10.0f * std::log10(std::max(power, floorPower));
    const long value = std::lround(2.0f * (db + 60.0f));
    return static_cast<int32_t>(std::clamp<long>(value, 0, 120));
}

int32_t SpectrumAnalyzer::levelOfPower(float power) const {
    const uint32_t bits = std::bit_cast<uint32_t>(power);
    if (bits > std::bit_cast<uint32_t>(std::numeric_limits<float>::max())) {
        // Negative, infinite or not a number: an overflow reads full, the rest nothing.
        return power == std::numeric_limits<float>::infinity() ? kMaxLevel : 0;
    }
    // The power's exponent and top mantissa bits pick the value at the start of
    // its bucket; a bucket is narrower than a step, so at most one more follows.
    const uint8_t start = bucketLevel_[bits >> kBucketShift];
    return start + (start < kMaxLevel && power >= thresholds_[start] ? 1 : 0);
}

void SpectrumAnalyzer::makeThresholds() {
    // The formula rises with the power, so each threshold is found by bisecting
    // the bit patterns of the positive floats, which sort like the values.
    for (int v = 1; v <= kMaxLevel; ++v) {
        uint32_t low = 0;           // +0: reads below v
        uint32_t high = 0x7F7FFFFF; // the largest float: reads 120
        while (high - low > 1) {
            const uint32_t mid = low + (high - low) / 2;
            if (levelFormula(std::bit_cast<float>(mid)) >= v) {
                high = mid;
            } else {
                low = mid;
            }
        }
        thresholds_[static_cast<std::size_t>(v - 1)] = std::bit_cast<float>(high);
    }
    // The value at the first float of each bucket: the thresholds at or below it.
    for (uint32_t b = 0; b < kBuckets; ++b) {
        const float first = std::bit_cast<float>(b << kBucketShift);
        const auto level = std::upper_bound(thresholds_.begin(), thresholds_.end(), first) - thresholds_.begin();
        bucketLevel_[b] = static_cast<uint8_t>(level);
    }
}
