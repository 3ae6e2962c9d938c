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
// thread never takes). process() picks a new set up at its start and moves the
// coefficients and the input gain linearly to it over 20 ms, so a change is
// click-free and complete within 20 ms of the audio processed after the call.
// A commit for another output rate than the one in use takes effect at once
// with cleared filter memories (the engine commits so when a new track starts).
//
// process() never allocates, locks or logs. It filters the first two channels
// of each frame (mono or stereo output); further channels pass untouched.
// Filter arithmetic is double precision, so the 31 Hz band stays clean.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

class Equalizer {
public:
    static constexpr int kBands = 10;
    static constexpr std::array<double, kBands> kCentreHz = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};

    Equalizer();

    // Stores ten band values (clamped to -100..100); nothing is heard until commit().
    void setBands(const int32_t bands[kBands]);
    std::array<int32_t, kBands> bands() const;

    // Prepares the filters for the given output rate (Hz, > 0) and hands them to
    // the audio thread. Any thread. Returns false for a rate of 0 or less.
    bool commit(int sampleRate);

    // Audio thread: filters `frames` interleaved frames in place.
    void process(float *interleaved, std::size_t frames, int channels);

    // Audio thread: clears the filter memories (a seek, a new track), so nothing
    // of the old audio rings on.
    void resetState();

    // Audio thread: true while nothing is filtered (flat, no change under way).
    bool bypassed() const { return bypass_; }

private:
    struct Biquad {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    };
    struct Setting {
        std::array<Biquad, kBands> band{};
        double inputGain = 1.0;
        int sampleRate = 0;
        bool flat = true;
    };

    static Setting design(const std::array<int32_t, kBands> &bands, int sampleRate);
    void takeSetting(const Setting &next);
    void filterFrames(float *interleaved, std::size_t frames, int channels, int filtered);

    // Committing side.
    mutable std::mutex commitMutex_;
    std::array<int32_t, kBands> bands_{};
    int back_ = 0;

    // Triple buffer: slot index in the low bits, kFresh when not yet taken.
    static constexpr int kFresh = 4;
    std::array<Setting, 3> slots_{};
    std::atomic<int> middle_{1};

    // Audio side.
    int front_ = 2;
    Setting current_{};
    Setting target_{};
    std::array<Biquad, kBands> step_{};
    double gainStep_ = 0.0;
    std::size_t rampLeft_ = 0;
    std::uint32_t activeMask_ = 0;     // bands to run (non-flat now or in the target)
    bool bypass_ = true;
    double memory_[2][kBands][2] = {};
};
