#include "vbmp3/dsp/Equalizer.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

constexpr double kQ = 1.414;
constexpr double kRampSeconds = 0.020;

bool isIdentity(double b0, double b1, double b2, double a1, double a2) {
    return b0 == 1.0 && b1 == 0.0 && b2 == 0.0 && a1 == 0.0 && a2 == 0.0;
}

} // namespace

Equalizer::Equalizer() = default;

void Equalizer::setBands(const int32_t bands[kBands]) {
    std::lock_guard<std::mutex> lock(commitMutex_);
    for (int i = 0; i < kBands; ++i) {
        bands_[static_cast<std::size_t>(i)] = std::clamp<int32_t>(bands[i], -100, 100);
    }
}

std::array<int32_t, Equalizer::kBands> Equalizer::bands() const {
    std::lock_guard<std::mutex> lock(commitMutex_);
    return bands_;
}

Equalizer::Setting Equalizer::design(const std::array<int32_t, kBands> &bands, int sampleRate) {
    Setting s;
    s.sampleRate = sampleRate;
    const double fs = static_cast<double>(sampleRate);
    for (std::size_t i = 0; i < kBands; ++i) {
        const double f0 = kCentreHz[i];
        if (bands[i] == 0 || f0 > 0.45 * fs) {
            continue; // flat
        }
        const double a = std::pow(10.0, bands[i] * 0.2 / 40.0);
        const double w0 = 2.0 * M_PI * f0 / fs;
        const double alpha = std::sin(w0) / (2.0 * kQ);
        const double a0 = 1.0 + alpha / a;
        Biquad &q = s.band[i];
        q.b0 = (1.0 + alpha * a) / a0;
        q.b1 = -2.0 * std::cos(w0) / a0;
        q.b2 = (1.0 - alpha * a) / a0;
        q.a1 = q.b1;
        q.a2 = (1.0 - alpha / a) / a0;
        s.flat = false;
    }
    if (s.flat) {
        return s;
    }
    // The peak of the combined response, on a fine logarithmic grid from 10 Hz
    // to the Nyquist frequency plus every band centre.
    auto magnitude = [&](double hz) {
        const std::complex<double> z1 = std::polar(1.0, -2.0 * M_PI * hz / fs);
        const std::complex<double> z2 = z1 * z1;
        double m = 1.0;
        for (const Biquad &q : s.band) {
            m *= std::abs((q.b0 + q.b1 * z1 + q.b2 * z2) / (1.0 + q.a1 * z1 + q.a2 * z2));
        }
        return m;
    };
    double peak = 1.0;
    const double top = 0.5 * fs;
    constexpr int kPoints = 600;
    for (int k = 0; k <= kPoints; ++k) {
        peak = std::max(peak, magnitude(10.0 * std::pow(top / 10.0, static_cast<double>(k) / kPoints)));
    }
    for (double f0 : kCentreHz) {
        if (f0 < top) {
            peak = std::max(peak, magnitude(f0));
        }
    }
    // A hair more than the grid's peak: the true peak may fall between points.
    s.inputGain = 1.0 / (peak * 1.002);
    return s;
}

bool Equalizer::commit(int sampleRate) {
    if (sampleRate <= 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(commitMutex_);
    slots_[static_cast<std::size_t>(back_)] = design(bands_, sampleRate);
    back_ = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel) & 3;
    return true;
}

void Equalizer::resetState() {
    for (auto &channel : memory_) {
        for (auto &band : channel) {
            band[0] = band[1] = 0.0;
        }
    }
}

void Equalizer::takeSetting(const Setting &next) {
    if (current_.sampleRate != next.sampleRate) {
        // Another output rate: a new stream, nothing to glide from.
        current_ = next;
        target_ = next;
        rampLeft_ = 0;
        resetState();
    } else {
        if (bypass_) {
            resetState(); // memories of the last filtering are stale
        }
        target_ = next;
        rampLeft_ = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(kRampSeconds * next.sampleRate)));
        const double n = static_cast<double>(rampLeft_);
        for (std::size_t i = 0; i < kBands; ++i) {
            const Biquad &from = current_.band[i];
            const Biquad &to = target_.band[i];
            step_[i] = Biquad{(to.b0 - from.b0) / n, (to.b1 - from.b1) / n, (to.b2 - from.b2) / n,
                              (to.a1 - from.a1) / n, (to.a2 - from.a2) / n};
        }
        gainStep_ = (target_.inputGain - current_.inputGain) / n;
    }
    activeMask_ = 0;
    for (std::size_t i = 0; i < kBands; ++i) {
        const Biquad &c = current_.band[i];
        const Biquad &t = target_.band[i];
        if (!isIdentity(c.b0, c.b1, c.b2, c.a1, c.a2) || !isIdentity(t.b0, t.b1, t.b2, t.a1, t.a2)) {
            activeMask_ |= 1u << i;
        }
    }
    bypass_ = activeMask_ == 0 && current_.inputGain == 1.0 && target_.inputGain == 1.0;
}

void Equalizer::process(float *interleaved, std::size_t frames, int channels) {
    if (middle_.load(std::memory_order_acquire) & kFresh) {
        front_ = middle_.exchange(front_, std::memory_order_acq_rel) & 3;
        takeSetting(slots_[static_cast<std::size_t>(front_)]);
    }
    if (bypass_ || channels <= 0 || frames == 0) {
        return;
    }
    const int filtered = std::min(channels, 2);
    std::size_t done = 0;
    while (rampLeft_ > 0 && done < frames) {
        for (std::size_t i = 0; i < kBands; ++i) {
            Biquad &c = current_.band[i];
            const Biquad &s = step_[i];
            c.b0 += s.b0;
            c.b1 += s.b1;
            c.b2 += s.b2;
            c.a1 += s.a1;
            c.a2 += s.a2;
        }
        current_.inputGain += gainStep_;
        if (--rampLeft_ == 0) {
            current_ = target_; // land exactly, whatever the rounding on the way
        }
        filterFrames(interleaved + done * static_cast<std::size_t>(channels), 1, channels, filtered);
        ++done;
    }
    if (rampLeft_ == 0 && target_.flat) {
        bypass_ = true;
        return;
    }
    filterFrames(interleaved + done * static_cast<std::size_t>(channels), frames - done, channels, filtered);
    // Let decayed memories drop to zero rather than crawl through denormals.
    for (auto &channel : memory_) {
        for (auto &band : channel) {
            for (double &v : band) {
                if (std::fabs(v) < 1e-25) {
                    v = 0.0;
                }
            }
        }
    }
}

void Equalizer::filterFrames(float *interleaved, std::size_t frames, int channels, int filtered) {
    const double gain = current_.inputGain;
    const std::size_t stride = static_cast<std::size_t>(channels);
    for (int ch = 0; ch < filtered; ++ch) {
        float *p = interleaved + ch;
        for (std::size_t f = 0; f < frames; ++f, p += stride) {
            double x = *p * gain;
            for (std::size_t i = 0; i < kBands; ++i) {
                if (!(activeMask_ & (1u << i))) {
                    continue;
                }
                const Biquad &q = current_.band[i];
                double *m = memory_[ch][i];
                const double y = q.b0 * x + m[0];
                m[0] = q.b1 * x - q.a1 * y + m[1];
                m[1] = q.b2 * x - q.a2 * y;
                x = y;
            }
            *p = static_cast<float>(x);
        }
    }
}
