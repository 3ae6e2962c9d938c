// SPDX-License-Identifier: GPL-3.0-or-later
// gapcheck: the join between two tracks cut from one signal.
//
//   gapcheck make DIR [CUT]
//     Writes DIR/a.wav and DIR/b.wav: a 44.1 kHz stereo sweep (300 Hz to
//     3 kHz over 8 s) cut in two CUT samples (default 777) after 4 s.
//   gapcheck analyse OUT.raw [CUT]
//     OUT.raw is what the player sent to the device (SDL's disk driver:
//     32-bit float stereo at 44.1 kHz). Finds where each half of the signal
//     lies in it and prints how far the second half was moved against the
//     first (positive: time inserted at the join, negative: audio lost), the
//     audio missing at the end of the first half and at the start of the
//     second, and the silence at the join.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "WavHeader.h"

namespace {

constexpr int Rate = 44100;
constexpr int Total = 8 * Rate;
constexpr int DefaultCut = 777;  // samples after 4 s: not on an MPEG frame boundary
constexpr double F0 = 300, F1 = 3000;

double original(int n) {
    const double t = double(n) / Rate, T = double(Total) / Rate;
    return 0.5 * std::sin(2 * M_PI * (F0 * t + (F1 - F0) * t * t / (2 * T)));
}

bool writeWav(const std::string &path, int from, int to) {
    std::ofstream out(path, std::ios::binary);
    const uint32_t frames = uint32_t(to - from);
    WavHeader::write(out, Rate, 2, frames);
    for (int n = from; n < to; ++n) {
        const int16_t s = static_cast<int16_t>(std::lround(original(n) * 32767));
        out.write(reinterpret_cast<const char *>(&s), 2);
        out.write(reinterpret_cast<const char *>(&s), 2);
    }
    return bool(out);
}

// Normalised correlation of y[at..] with the original from sample n, len long.
double match(const std::vector<float> &y, long at, int n, int len) {
    if (at < 0 || at + len > long(y.size()) || n < 0 || n + len > Total) return 0;
    double xy = 0, xx = 0, yy = 0;
    for (int k = 0; k < len; ++k) {
        const double a = original(n + k), b = y[std::size_t(at + k)];
        xy += a * b;
        xx += a * a;
        yy += b * b;
    }
    return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
}

// The offset o (y[o + n] ~ original(n)) that best lines up a 50 ms piece of
// the original from sample n, searched within [lo, hi].
long locate(const std::vector<float> &y, int n, long lo, long hi, double *score) {
    const int len = Rate / 20;
    std::vector<double> piece(len);
    for (int k = 0; k < len; ++k) piece[std::size_t(k)] = original(n + k);
    long best = lo;
    double bestScore = -1;
    for (long o = std::max(0L, lo); o <= hi; ++o) {
        const long at = o + n;
        if (at < 0 || at + len > long(y.size())) continue;
        double xy = 0, yy = 0;
        for (int k = 0; k < len; ++k) {
            xy += piece[std::size_t(k)] * y[std::size_t(at + k)];
            yy += double(y[std::size_t(at + k)]) * y[std::size_t(at + k)];
        }
        const double s = yy > 0 ? xy / std::sqrt(yy) : 0;
        if (s > bestScore) {
            bestScore = s;
            best = o;
        }
    }
    *score = match(y, best + n, n, len);
    return best;
}

int analyse(const char *path, int cut) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> y(bytes.size() / 8);
    for (std::size_t i = 0; i < y.size(); ++i) std::memcpy(&y[i], &bytes[i * 8], 4);  // left channel

    long first = 0;
    while (first < long(y.size()) && std::fabs(y[std::size_t(first)]) < 1e-3f) ++first;
    if (first >= long(y.size())) {
        std::puts("error: the output holds no sound");
        return 1;
    }
    const double ms = 1000.0 / Rate;
    double scoreA = 0, scoreB = 0;
    // The first half, 0.1 s in (clear of any start-up fade).
    const long oA = locate(y, Rate / 10, first - Rate / 5, first + Rate / 5, &scoreA);
    // The second half, 0.1 s after the cut, within half a second of where it belongs.
    const long oB = locate(y, cut + Rate / 10, oA - Rate / 2, oA + Rate / 2, &scoreB);
    if (scoreA < 0.9 || scoreB < 0.9) {
        std::printf("error: the signal was not found in the output (match %.2f, %.2f)\n", scoreA, scoreB);
        return 1;
    }
    // Walk 1 ms blocks: how far the first half plays on, where the second starts.
    const int block = Rate / 1000;
    int endA = cut - 200 * block;
    while (endA + block <= cut && match(y, oA + endA, endA, block) > 0.95) endA += block;
    int startB = cut + 200 * block;
    while (startB - block >= cut && match(y, oB + startB - block, startB - block, block) > 0.95) startB -= block;
    // Silence around the join (the first half's last sample to the second's first).
    const long quietFrom = oA + cut - Rate / 20;
    long quietRun = 0, run = 0;
    for (long i = quietFrom; i < oB + cut + Rate / 20 && i < long(y.size()); ++i) {
        run = std::fabs(y[std::size_t(i)]) < 1e-3f ? run + 1 : 0;
        quietRun = std::max(quietRun, run);
    }
    std::printf("shift_ms=%.2f dropped_end_ms=%.2f dropped_start_ms=%.2f silence_ms=%.2f match=%.3f,%.3f\n",
                double(oB - oA) * ms, double(cut - endA) * ms, double(startB - cut) * ms, double(quietRun) * ms, scoreA,
                scoreB);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    const int cut = 4 * Rate + (argc == 4 ? std::atoi(argv[3]) : DefaultCut);
    if (argc >= 3 && std::strcmp(argv[1], "make") == 0) {
        const std::string dir = argv[2];
        return writeWav(dir + "/a.wav", 0, cut) && writeWav(dir + "/b.wav", cut, Total) ? 0 : 1;
    }
    if (argc >= 3 && std::strcmp(argv[1], "analyse") == 0) return analyse(argv[2], cut);
    std::fprintf(stderr, "usage: gapcheck make DIR [CUT] | gapcheck analyse OUT.raw [CUT]\n");
    return 2;
}
