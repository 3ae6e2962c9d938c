// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/SpectrumAnalyzer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

// A tone on a bin reads its level in dB above -60 (full scale 120) with every
// window, below -60 dB nothing; mono fills both sides; each side of a stereo
// input shows its own tone only; fewer frames than the transform still peak.
TEST(SpectrumAnalyzerTest, EachSideShowsItsOwnTonesLevel) {
    const double bin = 44100.0 / 512;
    struct Row {
        int window, channels;
        std::size_t frames;
        double leftHz, leftDb, rightHz, rightDb;
        int leftBin, leftLevel, rightBin, rightLevel;  // level -1: not checked
    };
    const Row rows[] = {
        {2, 2, 2048, 40 * bin, -30, 0, 0, 40, 60, 0, 0},
        {0, 2, 2048, 40 * bin, -62, 0, 0, 0, 0, 0, 0},
        {0, 1, 2048, 40 * bin, 0, 0, 0, 40, 120, 40, 120},
        {1, 1, 2048, 40 * bin, 0, 0, 0, 40, 120, 40, 120},
        {2, 1, 2048, 40 * bin, 0, 0, 0, 40, 120, 40, 120},
        {3, 1, 2048, 40 * bin, 0, 0, 0, 40, 120, 40, 120},
        {3, 2, 512, 1000, 0, 58 * bin, -30, 12, -1, 58, 60},
        {1, 2, 512, 0, 0, 0, 0, 0, 0, 0, 0},
        {7, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0, 1, 100, 20 * bin, 0, 0, 0, 20, -1, 20, -1},
    };
    SpectrumAnalyzer fft;
    for (const Row &row : rows) {
        SCOPED_TRACE(&row - rows);
        std::vector<float> v(row.frames * std::size_t(row.channels) + 1);
        for (std::size_t i = 0; i < row.frames; ++i) {
            for (int c = 0; c < row.channels; ++c) {
                const double hz = c ? row.rightHz : row.leftHz;
                const double db = c ? row.rightDb : row.leftDb;
                v[i * std::size_t(row.channels) + std::size_t(c)] =
                    hz ? float(std::pow(10.0, db / 20.0) * std::sin(2.0 * M_PI * hz * double(i) / 44100 + 0.3)) : 0;
            }
        }
        int32_t l[256], r[256];
        fft.analyze(row.frames ? v.data() : nullptr, row.frames, row.channels, row.window, l, r);
        for (const auto &[bins, peakBin, level] :
             {std::tuple(l, row.leftBin, row.leftLevel), std::tuple(r, row.rightBin, row.rightLevel)}) {
            const int32_t *top = std::max_element(bins, bins + 256);
            EXPECT_TRUE(level == 0 || top - bins == peakBin);
            EXPECT_TRUE(level < 0 || std::abs(*top - level) <= 1) << *top;
        }
        EXPECT_TRUE(row.channels == 1 || row.rightLevel <= 0 || l[row.rightBin] == 0);
    }
}

// The table that replaces the logarithm reads exactly what the formula reads,
// over a dense sweep from far below -60 dB to far above full scale, and at every
// float within a few ulps of each of the 120 steps.
TEST(SpectrumAnalyzerTest, LevelTableMatchesTheFormulaToTheBit) {
    SpectrumAnalyzer fft;
    std::size_t mismatches = 0;
    int steps = 0;
    for (float prev = 1e-9f, p = prev; p < 1e4f; prev = p, p *= 1.0001f) {
        const bool step = SpectrumAnalyzer::levelFormula(p) != SpectrumAnalyzer::levelFormula(prev);
        steps += step;
        for (uint32_t bits = std::bit_cast<uint32_t>(p) - (step ? 2000 : 0); bits <= std::bit_cast<uint32_t>(p); ++bits)
            mismatches += fft.levelOfPower(std::bit_cast<float>(bits)) !=
                          SpectrumAnalyzer::levelFormula(std::bit_cast<float>(bits));
    }
    EXPECT_EQ(steps, 120);
    EXPECT_EQ(mismatches, 0u);
    for (float p : {0.0f, -1.0f, std::numeric_limits<float>::max(), std::nanf("")})
        EXPECT_EQ(fft.levelOfPower(p), SpectrumAnalyzer::levelFormula(p)) << p;
    EXPECT_EQ(fft.levelOfPower(std::numeric_limits<float>::infinity()), 120);  // overflow reads full
}
