#include "vbmp3/dsp/SpectrumAnalyzer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

std::vector<float> sine(double hz, double amplitude, double rate, std::size_t frames, int channels) {
    std::vector<float> v(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        v[i * static_cast<std::size_t>(channels)] =
            static_cast<float>(amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate + 0.3));
    }
    return v;
}

int peakBin(const int32_t *bins) {
    return static_cast<int>(std::max_element(bins, bins + 256) - bins);
}

} // namespace

// A tone on bin 40 reads its level in dB above -60 (full scale 120) with every
// window; a mono input fills both sides; below -60 dB reads nothing.
TEST(SpectrumAnalyzerTest, ToneOnABinReadsItsLevelWithEveryWindow) {
    struct Row { double db; int window; int channels; int level; };
    const Row rows[] = {{-30, 2, 2, 60}, {-62, 0, 2, 0}, {0, 0, 1, 120}, {0, 1, 1, 120}, {0, 2, 1, 120}, {0, 3, 1, 120}};
    SpectrumAnalyzer fft;
    int32_t l[256], r[256];
    for (const Row &row : rows) {
        SCOPED_TRACE(row.window);
        const std::vector<float> v = sine(40 * 44100.0 / 512, std::pow(10.0, row.db / 20.0), 44100, 2048, row.channels);
        fft.analyze(v.data(), 2048, row.channels, row.window, l, r);
        EXPECT_NEAR(*std::max_element(l, l + 256), row.level, 1);
        if (row.level > 0) {
            EXPECT_EQ(peakBin(l), 40);
        }
        if (row.channels == 1) {
            EXPECT_TRUE(std::equal(l, l + 256, r));
        }
    }
    EXPECT_EQ(l[100], 0); // (window 3) far from the tone a tapered window leaves next to nothing
}

// Each side shows its own tone only, at its own level.
TEST(SpectrumAnalyzerTest, OneKilohertzPeaksAtItsBinOnItsOwnSide) {
    SpectrumAnalyzer fft;
    int32_t l[256], r[256];
    std::vector<float> both = sine(1000, 1.0, 44100, 512, 2);
    const double hz = 58 * 44100.0 / 512;
    for (std::size_t i = 0; i < 512; ++i) {
        both[2 * i + 1] = static_cast<float>(std::pow(10.0, -30.0 / 20.0) * std::sin(2.0 * M_PI * hz * i / 44100));
    }
    fft.analyze(both.data(), 512, 2, 3, l, r);
    EXPECT_EQ(peakBin(l), 12); // 1000 / (44100 / 512) = 11.6
    EXPECT_EQ(peakBin(r), 58);
    EXPECT_NEAR(r[58], 60, 1);
    EXPECT_EQ(l[58], 0);
    EXPECT_EQ(r[12], 0);
}

TEST(SpectrumAnalyzerTest, SilenceNoInputAndShortInput) {
    SpectrumAnalyzer fft;
    int32_t l[256], r[256];
    const std::vector<float> silence(1024, 0.0f);
    fft.analyze(silence.data(), 512, 2, 1, l, r);
    EXPECT_EQ(*std::max_element(l, l + 256), 0);
    EXPECT_EQ(*std::max_element(r, r + 256), 0);
    fft.analyze(nullptr, 0, 2, 7, l, r); // nothing at all, unknown window
    EXPECT_EQ(*std::max_element(l, l + 256), 0);
    const std::vector<float> shortTone = sine(20 * 48000.0 / 512, 1.0, 48000, 100, 1); // fewer than 512 frames
    fft.analyze(shortTone.data(), 100, 1, 0, l, r);
    EXPECT_EQ(peakBin(l), 20);
}

// The table that replaces the logarithm reads exactly what the formula reads,
// over a dense sweep from far below -60 dB to far above full scale and at
// every float within a few ulps of each of the 120 steps.
TEST(SpectrumAnalyzerTest, LevelTableMatchesTheFormulaToTheBit) {
    SpectrumAnalyzer fft;
    std::size_t mismatches = 0;
    auto check = [&](float p) {
        if (fft.levelOfPower(p) != SpectrumAnalyzer::levelFormula(p) && ++mismatches < 10) {
            ADD_FAILURE() << "power " << p << ": table " << fft.levelOfPower(p) << ", formula "
                          << SpectrumAnalyzer::levelFormula(p);
        }
    };
    for (float p : {0.0f, -0.0f, -1.0f, 1e-30f, std::numeric_limits<float>::max(), std::nanf("")}) {
        check(p);
    }
    int steps = 0;
    float prev = 1e-9f;
    for (float p = prev; p < 1e4f; prev = p, p *= 1.0001f) {
        check(p);
        if (SpectrumAnalyzer::levelFormula(p) == SpectrumAnalyzer::levelFormula(prev)) {
            continue;
        }
        // Bisect the bit patterns for the first float of the new value.
        uint32_t low = std::bit_cast<uint32_t>(prev), high = std::bit_cast<uint32_t>(p);
        while (high - low > 1) {
            const uint32_t mid = low + (high - low) / 2;
            (SpectrumAnalyzer::levelFormula(std::bit_cast<float>(mid)) == SpectrumAnalyzer::levelFormula(p) ? high
                                                                                                            : low) = mid;
        }
        ++steps;
        for (uint32_t bits = high - 4; bits <= high + 4; ++bits) {
            check(std::bit_cast<float>(bits));
        }
    }
    EXPECT_EQ(steps, 120);
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(fft.levelOfPower(std::numeric_limits<float>::infinity()), 120); // overflow reads full
}
