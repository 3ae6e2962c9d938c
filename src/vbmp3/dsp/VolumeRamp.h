// SPDX-License-Identifier: GPL-3.0-or-later
// Soft volume of the engine's output, per side.
//
// setTarget(left, right) takes percentages (clamped to 0..100) from any thread;
// the gain is the percentage divided by 100 (so 50 halves the level, -6 dB).
// process() glides each side's gain linearly from where it stands to the target
// over 10 ms of audio, so a change never clicks. At 100 with no glide under way
// the samples pass untouched.
//
// Channels: in stereo the first channel takes the left gain and the second the
// right; mono output takes the mean of the two; beyond two channels, even
// channels follow the left gain and odd ones the right.
//
// process() is for the audio thread: no allocation, no lock.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class VolumeRamp {
public:
    explicit VolumeRamp(int sampleRate = 44100);

    // Any thread.
    void setTarget(int leftPercent, int rightPercent);
    int targetLeft() const;
    int targetRight() const;

    // Audio thread (or while it is stopped): the rate the glide time is counted in.
    void setSampleRate(int sampleRate);

    // Audio thread: jumps to the target at once (for a stream that has not
    // started sounding yet).
    void snapToTarget();

    // Audio thread: applies the gains to `frames` interleaved frames in place.
    void process(float *interleaved, std::size_t frames, int channels);

    // Audio thread: the gains reached (for tests and meters).
    double gainLeft() const { return gain_[0]; }
    double gainRight() const { return gain_[1]; }

private:
    std::atomic<std::uint32_t> target_;  // left in the low 16 bits, right above
    std::uint32_t seenTarget_;
    int sampleRate_;
    double gain_[2] = {1.0, 1.0};
    double step_[2] = {0.0, 0.0};
    std::size_t rampLeft_ = 0;
};
