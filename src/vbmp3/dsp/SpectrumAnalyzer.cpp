// SPDX-License-Identifier: GPL-3.0-or-later
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

}  // namespace

struct SpectrumAnalyzer::Plan {
    fftwf_complex *in = nullptr;  // left windowed in the real parts, right in the imaginary
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
        plan_->in = fftwf_alloc_complex(Size);
        plan_->out = fftwf_alloc_complex(Size);
        if (plan_->in && plan_->out) {
            plan_->plan = fftwf_plan_dft_1d(Size, plan_->in, plan_->out, FFTW_FORWARD, FFTW_ESTIMATE);
        }
        planned = plan_->plan != nullptr;
    }
    if (!planned) {
        releasePlan(plan_);
        throw std::bad_alloc();
    }
    // Periodic windows (the spectral-analysis form), each divided by what a
    // full-scale sine centred on a bin gives at that bin (N/2 x the window's
    // coherent gain, twice over for the halves of the channel separation), so
    // the transform comes out in units of full scale.
    for (int w = 0; w < 4; ++w) {
        std::array<double, Size> v{};
        double sum = 0.0;
        for (int n = 0; n < Size; ++n) {
            const double x = 2.0 * M_PI * n / Size;
            double f = 1.0;
            if (w == 1) {
                f = 0.5 - 0.5 * std::cos(x);
            } else if (w == 2) {
                f = 0.54 - 0.46 * std::cos(x);
            } else if (w == 3) {
                f = 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
            }
            v[static_cast<std::size_t>(n)] = f;
            sum += f;
        }
        const double fullScale = 2.0 * 0.5 * Size * (sum / Size);
        for (std::size_t n = 0; n < Size; ++n) {
            // Twice over: one factor for each sample of an interleaved pair.
            windows_[static_cast<std::size_t>(w)][2 * n] = static_cast<float>(v[n] / fullScale);
            windows_[static_cast<std::size_t>(w)][2 * n + 1] = static_cast<float>(v[n] / fullScale);
        }
    }
    makeThresholds();
}

SpectrumAnalyzer::~SpectrumAnalyzer() { releasePlan(plan_); }

namespace {

// dst = src x w over `frames` stereo pairs; the buffers never overlap, and a
// whole FFT's worth is the usual case, which the compiler vectorises.
void windowPairs(const float *__restrict src, const float *__restrict w, float *__restrict dst, std::size_t frames) {
    if (frames == SpectrumAnalyzer::Size) {
        for (std::size_t i = 0; i < 2 * SpectrumAnalyzer::Size; ++i) {
            dst[i] = src[i] * w[i];
        }
        return;
    }
    for (std::size_t i = 0; i < 2 * frames; ++i) {
        dst[i] = src[i] * w[i];
    }
}

}  // namespace

void SpectrumAnalyzer::analyze(const float *interleaved, std::size_t frames, int channels, int window,
                               int32_t left[Bins], int32_t right[Bins]) {
    if (window < 0 || window > 3) {
        window = 1;
    }
    if (!interleaved || channels <= 0) {
        frames = 0;
        channels = 1;
    }
    // Both channels go through one complex FFT: left as the real part, right as
    // the imaginary part of the input (right is 0 for mono).
    const std::size_t used = std::min<std::size_t>(frames, Size);
    const std::size_t pad = Size - used;
    const std::size_t stride = static_cast<std::size_t>(channels);
    const float *w = windows_[static_cast<std::size_t>(window)].data() + 2 * pad;
    float *in = reinterpret_cast<float *>(plan_->in);
    std::fill(in, in + 2 * pad, 0.0f);
    in += 2 * pad;
    if (used > 0) {
        const float *src = interleaved + (frames - used) * stride;
        if (channels == 2) {
            windowPairs(src, w, in, used);
        } else {
            for (std::size_t n = 0; n < used; ++n) {
                in[2 * n] = src[n * stride] * w[2 * n];
                in[2 * n + 1] = channels == 1 ? 0.0f : src[n * stride + 1] * w[2 * n];
            }
        }
    }
    fftwf_execute_dft(plan_->plan, plan_->in, plan_->out);

    // Z = FFT(l + i r) gives L[k] = (Z[k] + conj Z[N-k]) / 2 and
    // R[k] = (Z[k] - conj Z[N-k]) / 2i; the windows hold the scale and the halves.
    const fftwf_complex *z = plan_->out;
    for (int k = 0; k < Bins; ++k) {
        const float *a = z[k];
        const float *b = z[(Size - k) % Size];
        const float leftRe = a[0] + b[0];
        const float leftIm = a[1] - b[1];
        left[k] = levelOfPower(leftRe * leftRe + leftIm * leftIm);
        const float rightRe = a[1] + b[1];
        const float rightIm = b[0] - a[0];
        right[k] = levelOfPower(rightRe * rightRe + rightIm * rightIm);
    }
    if (channels == 1) {
        std::memcpy(right, left, Bins * sizeof(int32_t));
    }
}

int32_t SpectrumAnalyzer::levelFormula(float power) {
    const float floorPower = 1e-7f;  // -70 dB: reads 0 anyway, keeps log10 finite
    const float db = 10.0f * std::log10(std::max(power, floorPower));
    const long value = std::lround(2.0f * (db + 60.0f));
    return static_cast<int32_t>(std::clamp<long>(value, 0, 120));
}

void SpectrumAnalyzer::makeThresholds() {
    // The formula rises with the power, so each threshold is found by bisecting
    // the bit patterns of the positive floats, which sort like the values.
    for (int v = 1; v <= MaxLevel; ++v) {
        uint32_t low = 0;            // +0: reads below v
        uint32_t high = 0x7F7FFFFF;  // the largest float: reads 120
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
    for (uint32_t b = 0; b < Buckets; ++b) {
        const float first = std::bit_cast<float>(b << BucketShift);
        const auto level = std::upper_bound(thresholds_.begin(), thresholds_.end(), first) - thresholds_.begin();
        bucketLevel_[b] = static_cast<uint8_t>(level);
    }
}
