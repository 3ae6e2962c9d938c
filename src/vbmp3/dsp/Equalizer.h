// SPDX-License-Identifier: GPL-3.0-or-later
// Ten-band graphic equalizer of the engine's output.
//
// Bands: peaking filters (RBJ cookbook biquads, one octave wide, Q = 1.414)
// centred on 31, 62, 125, 250, 500, 1000, 2000, 4000, 8000 and 16000 Hz. A band
// value is a gain in units of 0.2 dB (30 is +6 dB), clamped to -100..100
// (-20..+20 dB). A band whose centre lies above 0.45 x the output rate stays
// flat (a 16 kHz band at 32 kHz or below, 8 kHz at 16 kHz or below, ...).
//
// Headroom: the input is lowered by the largest boost of the whole response
// (the peak of the ten bands together, evaluated over the audible range, which
// is more than the largest single band where neighbouring boosts overlap), so a
// full-scale sine never leaves the equalizer above full scale. Cuts lower
// nothing. All bands at 0 is an exact pass-through: the samples are not touched.
//
// Handing over: setBands() stores the values, commit(rate) computes the filters
// for that output rate and hands them to the audio thread through a lock-free
// triple buffer (the committing side serialises itself with a mutex the audio
// thread never takes).
//
// Changing: process() picks a new set up and runs it beside the old one,
// cross-fading linearly from the old set's output to the new one's over 10 ms.
// Each set carries its own headroom, so the mix of the two never exceeds the
// louder of them: a change neither clicks nor clips, whatever the two settings
// (gliding the coefficients instead would pass through filters whose boost the
// headroom of neither end covers). The new set does not start cold: its filter
// memories are first brought to where they would stand had it been running, by
// running it over the last input (up to 16384 frames are kept, enough for the
// slow ring of the 31 Hz band at full boost). A set that arrives during a
// cross-fade waits for it to end, so the latest change is complete within 20 ms
// of the audio processed after the commit. A commit for another output rate than
// the one in use takes effect at once with cleared filter memories (the engine
// commits so when a new track starts).
//
// process() never allocates, locks or logs (the warm-up of a new set is bounded
// work on buffers made by the constructor). It filters the first two channels of
// each frame (mono or stereo output); further channels pass untouched. Filter
// arithmetic is double precision, so the 31 Hz band stays clean.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class Equalizer {
public:
    static constexpr int Bands = 10;
    static constexpr std::array<double, Bands> CentreHz = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    // Input frames kept to warm a new filter set up.
    static constexpr std::size_t HistoryFrames = 16384;

    Equalizer();

    // Stores ten band values (clamped to -100..100); nothing is heard until commit().
    void setBands(const int32_t bands[Bands]);
    std::array<int32_t, Bands> bands() const;

    // Prepares the filters for the given output rate (Hz, > 0) and hands them to
    // the audio thread. Any thread. Returns false for a rate of 0 or less.
    bool commit(int sampleRate);

    // Audio thread: filters `frames` interleaved frames in place.
    void process(float *interleaved, std::size_t frames, int channels);

    // Audio thread: clears the filter memories and the kept input (a seek, a new
    // track), so nothing of the old audio rings on.
    void resetState();

    // Audio thread: true while nothing is filtered (flat, no change under way).
    bool bypassed() const { return !fading() && banks_[live_].setting.count == 0; }

private:
    struct Biquad {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    };
    struct Setting {
        std::array<Biquad, Bands> band{};
        // The bands to run, in running order: the longest ringing first.
        std::array<int, Bands> order{};
        // Frames of input that bring order[k]'s memories to rest (falling).
        std::array<std::size_t, Bands> settleFrames{};
        int count = 0;
        double inputGain = 1.0;
        int sampleRate = 0;
    };
    // One filter set and its memories.
    struct Bank {
        Setting setting;
        double memory[2][Bands][2] = {};
    };

    static Setting design(const std::array<int32_t, Bands> &bands, int sampleRate);
    static bool sameFilters(const Setting &a, const Setting &b);
    static void clearMemory(Bank &bank);
    void takeSetting(const Setting &next);
    void warmUp(Bank &bank);
    static double runChain(Bank &bank, int ch, double x);
    void record(const float *interleaved, std::size_t frames, int channels, int filtered);
    void filter(Bank &bank, float *interleaved, std::size_t frames, int channels, int filtered);
    void crossFade(float *interleaved, std::size_t frames, int channels, int filtered);
    bool fading() const { return fadeLeft_ > 0; }

    // Committing side.
    mutable std::mutex commitMutex_;
    std::array<int32_t, Bands> bands_{};
    int back_ = 0;

    // Triple buffer: slot index in the low bits, Fresh when not yet taken.
    static constexpr int Fresh = 4;
    std::array<Setting, 3> slots_{};
    std::atomic<int> middle_{1};

    // Audio side.
    int front_ = 2;
    std::array<Bank, 2> banks_{};
    int live_ = 0;  // the bank heard; the other one fades in
    std::size_t fadeLength_ = 0;
    std::size_t fadeLeft_ = 0;
    std::vector<float> history_;   // the last input (first two channels, interleaved), a ring
    std::size_t historyPos_ = 0;   // where the next frame goes
    std::size_t historyFill_ = 0;  // frames of it that belong to this stream
    std::vector<double> scratch_;
};
