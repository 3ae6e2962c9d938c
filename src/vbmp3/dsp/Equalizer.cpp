// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/Equalizer.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>

namespace {

constexpr double Q = 1.414;
constexpr double FadeSeconds = 0.010;
// Time constants a warm-up runs for: what is left of the start is e^-8 (3e-4).
constexpr double SettleTimeConstants = 8.0;

// Runs one filter section (transposed direct form II) on one sample.
inline double runSection(double b0, double b1, double b2, double a1, double a2, double *m, double x) {
    const double y = b0 * x + m[0];
    m[0] = b1 * x - a1 * y + m[1];
    m[1] = b2 * x - a2 * y;
    return y;
}

// Frames until the slower pole of 1 + a1 z^-1 + a2 z^-2 has died down.
std::size_t settleFrames(double a1, double a2) {
    double radius = 0.0;
    const double disc = a1 * a1 - 4.0 * a2;
    if (disc < 0.0) {
        radius = std::sqrt(a2);
    } else {
        const double root = std::sqrt(disc);
        radius = std::max(std::fabs(-a1 + root), std::fabs(-a1 - root)) / 2.0;
    }
    if (radius <= 0.0) {
        return 1;
    }
    if (radius >= 1.0) {
        return Equalizer::HistoryFrames;
    }
    const double frames = std::ceil(SettleTimeConstants / -std::log(radius));
    return static_cast<std::size_t>(std::min(frames, static_cast<double>(Equalizer::HistoryFrames)));
}

}  // namespace

Equalizer::Equalizer() : history_(2 * HistoryFrames, 0.0f), scratch_(HistoryFrames) {}

void Equalizer::setBands(const int32_t bands[Bands]) {
    std::lock_guard<std::mutex> lock(commitMutex_);
    for (int i = 0; i < Bands; ++i) {
        bands_[static_cast<std::size_t>(i)] = std::clamp<int32_t>(bands[i], -100, 100);
    }
}

std::array<int32_t, Equalizer::Bands> Equalizer::bands() const {
    std::lock_guard<std::mutex> lock(commitMutex_);
    return bands_;
}

Equalizer::Setting Equalizer::design(const std::array<int32_t, Bands> &bands, int sampleRate) {
    Setting s;
    s.sampleRate = sampleRate;
    const double fs = static_cast<double>(sampleRate);
    for (std::size_t i = 0; i < Bands; ++i) {
        const double f0 = CentreHz[i];
        if (bands[i] == 0 || f0 > 0.45 * fs) {
            continue;  // flat
        }
        const double a = std::pow(10.0, bands[i] * 0.2 / 40.0);
        const double w0 = 2.0 * M_PI * f0 / fs;
        const double alpha = std::sin(w0) / (2.0 * Q);
        const double a0 = 1.0 + alpha / a;
        Biquad &q = s.band[i];
        q.b0 = (1.0 + alpha * a) / a0;
        q.b1 = -2.0 * std::cos(w0) / a0;
        q.b2 = (1.0 - alpha * a) / a0;
        q.a1 = q.b1;
        q.a2 = (1.0 - alpha / a) / a0;
        s.order[static_cast<std::size_t>(s.count)] = static_cast<int>(i);
        s.settleFrames[static_cast<std::size_t>(s.count)] = settleFrames(q.a1, q.a2);
        ++s.count;
    }
    if (s.count == 0) {
        return s;
    }
    // Longest ringing first: a warm-up then runs each later band over a shorter
    // stretch of the input (the order of a cascade does not change its response).
    std::array<std::size_t, Bands> rank{};
    for (std::size_t k = 0; k < Bands; ++k) {
        rank[k] = k;
    }
    const auto count = static_cast<std::size_t>(s.count);
    std::stable_sort(rank.begin(), rank.begin() + static_cast<std::ptrdiff_t>(count),
                     [&](std::size_t x, std::size_t y) { return s.settleFrames[x] > s.settleFrames[y]; });
    const Setting unsorted = s;
    for (std::size_t k = 0; k < count; ++k) {
        s.order[k] = unsorted.order[rank[k]];
        s.settleFrames[k] = unsorted.settleFrames[rank[k]];
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
    constexpr int Points = 600;
    for (int k = 0; k <= Points; ++k) {
        peak = std::max(peak, magnitude(10.0 * std::pow(top / 10.0, static_cast<double>(k) / Points)));
    }
    for (double f0 : CentreHz) {
        if (f0 < top) {
            peak = std::max(peak, magnitude(f0));
        }
    }
    // A hair more than the grid's peak: the true peak may fall between points.
    s.inputGain = 1.0 / (peak * 1.002);
    return s;
}

bool Equalizer::sameFilters(const Setting &a, const Setting &b) {
    if (a.count != b.count || a.inputGain != b.inputGain) {
        return false;
    }
    for (std::size_t i = 0; i < Bands; ++i) {
        const Biquad &x = a.band[i];
        const Biquad &y = b.band[i];
        if (x.b0 != y.b0 || x.b1 != y.b1 || x.b2 != y.b2 || x.a1 != y.a1 || x.a2 != y.a2) {
            return false;
        }
    }
    return true;
}

bool Equalizer::commit(int sampleRate) {
    if (sampleRate <= 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(commitMutex_);
    slots_[static_cast<std::size_t>(back_)] = design(bands_, sampleRate);
    back_ = middle_.exchange(back_ | Fresh, std::memory_order_acq_rel) & 3;
    return true;
}

void Equalizer::clearMemory(Bank &bank) {
    for (auto &channel : bank.memory) {
        for (auto &band : channel) {
            band[0] = band[1] = 0.0;
        }
    }
}

void Equalizer::resetState() {
    for (Bank &bank : banks_) {
        clearMemory(bank);
    }
    historyFill_ = 0;
}

void Equalizer::takeSetting(const Setting &next) {
    Bank &live = banks_[static_cast<std::size_t>(live_)];
    if (live.setting.sampleRate != next.sampleRate) {
        // Another output rate: a new stream, nothing to fade from.
        live.setting = next;
        resetState();
        return;
    }
    if (sameFilters(live.setting, next)) {
        return;
    }
    Bank &incoming = banks_[static_cast<std::size_t>(1 - live_)];
    incoming.setting = next;
    warmUp(incoming);
    fadeLength_ = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(FadeSeconds * next.sampleRate)));
    fadeLeft_ = fadeLength_;
}

void Equalizer::warmUp(Bank &bank) {
    clearMemory(bank);
    const Setting &s = bank.setting;
    if (s.count == 0 || historyFill_ == 0) {
        return;
    }
    const std::size_t span = std::min(s.settleFrames[0], historyFill_);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        // The last `span` input frames, oldest first, at the set's input gain.
        std::size_t at = (historyPos_ + HistoryFrames - span) % HistoryFrames;
        for (std::size_t n = 0; n < span; ++n) {
            scratch_[n] = history_[2 * at + ch] * s.inputGain;
            at = (at + 1) % HistoryFrames;
        }
        for (std::size_t k = 0; k < static_cast<std::size_t>(s.count); ++k) {
            const int i = s.order[k];
            const Biquad &q = s.band[static_cast<std::size_t>(i)];
            double *m = bank.memory[ch][i];
            for (std::size_t n = span - std::min(span, s.settleFrames[k]); n < span; ++n) {
                scratch_[n] = runSection(q.b0, q.b1, q.b2, q.a1, q.a2, m, scratch_[n]);
            }
        }
    }
}

void Equalizer::record(const float *interleaved, std::size_t frames, int channels, int filtered) {
    const std::size_t stride = static_cast<std::size_t>(channels);
    // Only the last HistoryFrames can matter.
    if (frames > HistoryFrames) {
        interleaved += (frames - HistoryFrames) * stride;
        historyPos_ = (historyPos_ + frames - HistoryFrames) % HistoryFrames;
        frames = HistoryFrames;
    }
    historyFill_ = std::min(HistoryFrames, historyFill_ + frames);
    while (frames > 0) {
        const std::size_t run = std::min(frames, HistoryFrames - historyPos_);
        float *h = history_.data() + 2 * historyPos_;
        if (channels == 2) {
            std::memcpy(h, interleaved, run * 2 * sizeof(float));
        } else {
            for (std::size_t f = 0; f < run; ++f) {
                h[2 * f] = interleaved[f * stride];
                h[2 * f + 1] = filtered == 2 ? interleaved[f * stride + 1] : 0.0f;
            }
        }
        interleaved += run * stride;
        frames -= run;
        historyPos_ = (historyPos_ + run) % HistoryFrames;
    }
}

void Equalizer::process(float *interleaved, std::size_t frames, int channels) {
    if (channels <= 0) {
        channels = 0;
        frames = 0;
    }
    const int filtered = std::min(channels, 2);
    const std::size_t stride = static_cast<std::size_t>(channels);
    std::size_t done = 0;
    do {
        // A new set is taken where no cross-fade is under way; one arriving
        // during a fade waits for its end (which may fall inside this block).
        if (!fading() && (middle_.load(std::memory_order_acquire) & Fresh)) {
            front_ = middle_.exchange(front_, std::memory_order_acq_rel) & 3;
            takeSetting(slots_[static_cast<std::size_t>(front_)]);
        }
        const std::size_t n = fading() ? std::min(fadeLeft_, frames - done) : frames - done;
        if (n == 0) {
            break;
        }
        float *p = interleaved + done * stride;
        record(p, n, channels, filtered);
        if (fading()) {
            crossFade(p, n, channels, filtered);
        } else if (!bypassed()) {
            filter(banks_[static_cast<std::size_t>(live_)], p, n, channels, filtered);
        }
        done += n;
    } while (done < frames);

    // Let decayed memories drop to zero rather than crawl through denormals.
    for (Bank &bank : banks_) {
        for (auto &channel : bank.memory) {
            for (auto &band : channel) {
                for (double &v : band) {
                    if (std::fabs(v) < 1e-25) {
                        v = 0.0;
                    }
                }
            }
        }
    }
}

double Equalizer::runChain(Bank &bank, int ch, double x) {
    const Setting &s = bank.setting;
    x *= s.inputGain;
    for (int k = 0; k < s.count; ++k) {
        const int i = s.order[static_cast<std::size_t>(k)];
        const Biquad &q = s.band[static_cast<std::size_t>(i)];
        x = runSection(q.b0, q.b1, q.b2, q.a1, q.a2, bank.memory[ch][i], x);
    }
    return x;
}

void Equalizer::filter(Bank &bank, float *interleaved, std::size_t frames, int channels, int filtered) {
    const std::size_t stride = static_cast<std::size_t>(channels);
    for (int ch = 0; ch < filtered; ++ch) {
        float *p = interleaved + ch;
        for (std::size_t f = 0; f < frames; ++f, p += stride) {
            *p = static_cast<float>(runChain(bank, ch, *p));
        }
    }
}

void Equalizer::crossFade(float *interleaved, std::size_t frames, int channels, int filtered) {
    Bank &from = banks_[static_cast<std::size_t>(live_)];
    Bank &to = banks_[static_cast<std::size_t>(1 - live_)];
    const std::size_t stride = static_cast<std::size_t>(channels);
    const double length = static_cast<double>(fadeLength_);
    const std::size_t doneBefore = fadeLength_ - fadeLeft_;
    for (int ch = 0; ch < filtered; ++ch) {
        float *p = interleaved + ch;
        for (std::size_t f = 0; f < frames; ++f, p += stride) {
            // Weights that always add up to one: the mix stays within the louder set.
            const double w = static_cast<double>(doneBefore + f + 1) / length;
            const double x = *p;
            *p = static_cast<float>((1.0 - w) * runChain(from, ch, x) + w * runChain(to, ch, x));
        }
    }
    fadeLeft_ -= frames;
    if (fadeLeft_ == 0) {
        live_ = 1 - live_;
    }
}
