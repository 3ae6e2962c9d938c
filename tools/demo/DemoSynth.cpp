// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoSynth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

double midiHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

struct Noise {
    uint32_t state;
    double next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }
};

void add(std::vector<float> &out, std::size_t frame, double left, double right) {
    if (2 * frame + 1 >= out.size()) return;
    out[2 * frame] += static_cast<float>(left);
    out[2 * frame + 1] += static_cast<float>(right);
}

void kick(std::vector<float> &out, std::size_t start) {
    double phase = 0.0;
    for (std::size_t i = 0; i < DemoSynth::Rate / 4; ++i) {
        const double t = static_cast<double>(i) / DemoSynth::Rate;
        const double freq = 45.0 + 90.0 * std::exp(-t * 30.0);
        phase += 2.0 * Pi * freq / DemoSynth::Rate;
        const double v = 0.9 * std::sin(phase) * std::exp(-t * 9.0);
        add(out, start + i, v, v);
    }
}

void snare(std::vector<float> &out, std::size_t start, Noise &noise) {
    for (std::size_t i = 0; i < DemoSynth::Rate / 5; ++i) {
        const double t = static_cast<double>(i) / DemoSynth::Rate;
        const double body = 0.3 * std::sin(2.0 * Pi * 190.0 * t) * std::exp(-t * 25.0);
        const double v = body + 0.35 * noise.next() * std::exp(-t * 18.0);
        add(out, start + i, v * 0.9, v);
    }
}

void hat(std::vector<float> &out, std::size_t start, Noise &noise, double level) {
    double prev = 0.0;
    for (std::size_t i = 0; i < DemoSynth::Rate / 20; ++i) {
        const double t = static_cast<double>(i) / DemoSynth::Rate;
        const double n = noise.next();
        const double v = (n - prev) * 0.5 * level * std::exp(-t * 70.0);  // a crude high-pass
        prev = n;
        add(out, start + i, v * 0.6, v);
    }
}

void tone(std::vector<float> &out, std::size_t start, std::size_t length, double hz, double level, double pan,
          double attack, double decay, int harmonics) {
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / DemoSynth::Rate;
        const double env = std::min(1.0, t / attack) * std::exp(-t * decay) *
                           std::min(1.0, static_cast<double>(length - i) / (0.01 * DemoSynth::Rate));
        double v = 0.0;
        for (int h = 1; h <= harmonics; ++h) v += std::sin(2.0 * Pi * hz * h * t) / (h * h);
        v *= level * env;
        add(out, start + i, v * (1.0 - pan), v * (1.0 + pan));
    }
}

}  // namespace

std::vector<float> DemoSynth::render(const DemoSong &song) {
    const std::size_t bars = song.chordRoots.size() * static_cast<std::size_t>(song.repeats);
    const double beat = 60.0 / song.bpm;
    const std::size_t beatFrames = static_cast<std::size_t>(beat * Rate);
    const std::size_t barFrames = 4 * beatFrames;
    std::vector<float> out(2 * (bars * barFrames + Rate), 0.0f);  // one second of tail
    Noise noise{song.melodySeed * 7919u + 17u};
    Noise melodyDice{song.melodySeed};
    static constexpr int Pentatonic[] = {0, 2, 4, 7, 9, 12, 14, 16};

    for (std::size_t bar = 0; bar < bars; ++bar) {
        const std::size_t chord = bar % song.chordRoots.size();
        const double root = song.rootMidi + song.chordRoots[chord];
        const bool minor = song.chordMinor[chord];
        const std::size_t barStart = bar * barFrames;
        const bool intro = bar < 2;
        const bool outro = bar + 1 == bars;

        // Chord pad: root, third, fifth, a whole bar long.
        for (double interval : {0.0, minor ? 3.0 : 4.0, 7.0})
            tone(out, barStart, barFrames, midiHz(root + 12 + interval), 0.10, interval == 0.0 ? -0.3 : 0.3, 0.08, 0.3,
                 3);

        for (int b = 0; b < 4; ++b) {
            const std::size_t at = barStart + static_cast<std::size_t>(b) * beatFrames;
            if (!outro || b == 0) kick(out, at);
            if (!intro && (b == 1 || b == 3)) snare(out, at, noise);
            // Bass on every eighth, root and fifth.
            for (int e = 0; e < 2; ++e) {
                const double note = root - 12 + ((b == 3 && e == 1) ? 7.0 : 0.0);
                tone(out, at + static_cast<std::size_t>(e) * beatFrames / 2, beatFrames / 2, midiHz(note), 0.35, 0.0,
                     0.005, 6.0, 4);
                if (!intro) {
                    const std::size_t off = e == 1 ? static_cast<std::size_t>(song.swing * beatFrames / 2) : 0;
                    hat(out, at + static_cast<std::size_t>(e) * beatFrames / 2 + off, noise, e == 0 ? 0.5 : 0.8);
                }
            }
            // Melody: a pentatonic note on most beats once the intro is over.
            if (!intro && !outro && melodyDice.next() > -0.6) {
                const int step = static_cast<int>((melodyDice.next() + 1.0) * 3.99);
                const double note = song.rootMidi + 24 + Pentatonic[std::clamp(step, 0, 7)];
                tone(out, at, beatFrames, midiHz(note), 0.16, 0.4 * std::sin(static_cast<double>(bar)), 0.01, 3.0, 2);
            }
        }
    }

    float peak = 0.0f;
    for (float v : out) peak = std::max(peak, std::fabs(v));
    if (peak > 0.0f) {
        const float gain = 0.89f / peak;  // about -1 dBFS
        for (float &v : out) v *= gain;
    }
    return out;
}
