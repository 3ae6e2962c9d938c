// SPDX-License-Identifier: GPL-3.0-or-later
// A tiny synthesizer for the bundled demo songs: drums, bass, chord pad and a
// melody, rendered to interleaved stereo floats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DemoSong {
    double bpm = 120.0;
    int rootMidi = 48;             // key of the song
    std::vector<int> chordRoots;   // per bar, semitones above rootMidi
    std::vector<bool> chordMinor;  // per bar
    int repeats = 1;               // how often the chord pattern plays
    uint32_t melodySeed = 1;
    double swing = 0.0;  // 0..0.3, delays the off-beat hi-hats
};

class DemoSynth {
public:
    static constexpr int Rate = 44100;

    // Interleaved stereo, peak-normalised to about -1 dBFS.
    static std::vector<float> render(const DemoSong &song);

    // Seconds per bar of 4 beats.
    static double barSeconds(const DemoSong &song) { return 240.0 / song.bpm; }
};
