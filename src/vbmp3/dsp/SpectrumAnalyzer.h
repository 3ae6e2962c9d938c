// SPDX-License-Identifier: GPL-3.0-or-later
// The spectrum of the latest 512 frames of output, per channel, for the
// analyser display.
//
// A 512-point FFT (FFTW, single precision) per channel, after one of four
// periodic windows: 0 rectangle, 1 Hanning, 2 Hamming, 3 Blackman (any other
// number is taken as 1, Hanning, the engine's default). Bin k (0..255) covers
// k x rate / 512 Hz; the bin at the Nyquist frequency is not reported.
//
// Scale: value = 2 x (level in dB relative to a full-scale sine + 60), rounded
// and clamped to 0..120. Each window is normalised by its coherent gain, so a
// full-scale sine centred on a bin reads 120 at that bin whatever the window,
// a sine at -30 dB reads 60, and anything below -60 dB (silence included) reads
// 0. A sine between two bins reads a little less at its peak bin (the window's
// scalloping loss: at most 3.9 dB rectangle, 1.4 dB Hanning, 1.8 dB Hamming,
// 1.1 dB Blackman, about 8, 3, 4 and 2 steps); a full-scale DC offset reads 120
// at bin 0.
//
// The level of each bin is read from a table of the 120 powers at which the
// formula above steps up (built from the formula itself, so the two agree to
// the bit); levelFormula() is that formula, for checking the table. An infinite
// power (an overflowing input) reads 120, a power that is not a number reads 0.
//
// Input: interleaved frames, 1 or 2 channels; with more than 512 frames the last
// 512 are used, with fewer the missing older ones count as silence. Mono fills
// both outputs with the same values; with more than two channels the first two
// are analysed.
//
// Both channels share one complex FFT (left as the real part of the input,
// right as the imaginary part), separated afterwards by the symmetry of the
// transform of a real signal: cheaper than two real FFTs.
//
// Threads: FFTW's planner is not thread-safe, so the plan is made once in the
// constructor (and destroyed in the destructor) under a mutex shared by all
// analysers; analyze() only executes the plan on the object's own buffers and
// allocates nothing. One analyser must not be used by two threads at once.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>

class SpectrumAnalyzer {
public:
    static constexpr int Size = 512;
    static constexpr int Bins = 256;

    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer &) = delete;
    SpectrumAnalyzer &operator=(const SpectrumAnalyzer &) = delete;

    void analyze(const float *interleaved, std::size_t frames, int channels, int window, int32_t left[Bins],
                 int32_t right[Bins]);

    // The value 0..120 of a bin whose power is `power` (1 = a full-scale sine):
    // through the table, and straight from the formula.
    int32_t levelOfPower(float power) const {
        const uint32_t bits = std::bit_cast<uint32_t>(power);
        if (bits > std::bit_cast<uint32_t>(std::numeric_limits<float>::max())) {
            // Negative, infinite or not a number: an overflow reads full, the rest nothing.
            return power == std::numeric_limits<float>::infinity() ? MaxLevel : 0;
        }
        // The power's exponent and top mantissa bits pick the value at the start
        // of its bucket; a bucket is narrower than a step, so at most one more follows.
        const int32_t start = bucketLevel_[bits >> BucketShift];
        return start + (start < MaxLevel && power >= thresholds_[static_cast<std::size_t>(start)] ? 1 : 0);
    }
    static int32_t levelFormula(float power);

private:
    void makeThresholds();

    static constexpr int MaxLevel = 120;
    // thresholds_[v - 1]: the least power that reads v.
    std::array<float, MaxLevel> thresholds_{};
    // Buckets of powers by their top 12 bits (exponent and 4 mantissa bits, a
    // sixteenth of an octave, less than the 0.5 dB of one step): the value at
    // each bucket's first power.
    static constexpr unsigned BucketShift = 19;
    static constexpr uint32_t Buckets = 4096;
    std::array<uint8_t, Buckets> bucketLevel_{};

    struct Plan;
    static void releasePlan(Plan *plan);
    Plan *plan_;
    // The four windows, scaled to full scale, each factor twice (a stereo pair).
    std::array<std::array<float, 2 * Size>, 4> windows_{};
};
