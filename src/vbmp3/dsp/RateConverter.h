// SPDX-License-Identifier: GPL-3.0-or-later
// Converts audio pulled at the track's rate to the output rate, with a playback
// speed ("pitch", like a turntable: tempo and pitch together) that may change at
// any moment.
//
// The resampler is libsamplerate's sinc converter (SRC_SINC_FASTEST unless
// another quality is asked for), driven through src_process with our own input
// block rather than through its callback interface: when the source has nothing
// to give (a decoder underrun) process() simply returns fewer frames and the
// converter keeps its state, whereas the callback interface would take an empty
// pull for the end of the input and flush the filter with zeros.
//
// Ratio: output frames per input frame = outRate / (inRate x pitch / 100); pitch
// 200 halves the frame count. A new pitch is read at the start of the next
// process() call; libsamplerate moves from the old ratio to the new one linearly
// across the frames of that call, so the change has no click.
//
// Pass-through: after reset() with equal rates the converter copies the input
// untouched (no filtering, no cost) for as long as the pitch stays at 100. The
// first other pitch switches to the sinc converter for good (until the next
// reset()): it is primed with the last 1024 input frames at ratio 1 and the
// output of that priming is dropped, so the converted audio continues exactly
// where the copied audio ended, without a gap or a click. Later returns to
// pitch 100 stay in the converter (ratio 1), never switching back mid-stream.
//
// Threads: setPitchPercent() and pitchPercent() may be called from any thread
// (an atomic). Everything else belongs to the thread that calls process() (the
// audio callback), or to a moment when that thread is not running: setRates()
// and reset() do not allocate and may run on the audio thread too. process()
// never allocates, locks or logs; all buffers are made in the constructor.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class RateConverter {
public:
    // Pulls up to `frames` interleaved frames into dst; returns the frames given.
    // Returning fewer (0 included) means "nothing more for now".
    using PullFn = std::size_t (*)(void *context, float *dst, std::size_t frames);

    enum class Quality { Fastest, Medium, Best };

    // Throws std::runtime_error when libsamplerate cannot make a converter.
    explicit RateConverter(int channels, Quality quality = Quality::Fastest);
    ~RateConverter();
    RateConverter(const RateConverter &) = delete;
    RateConverter &operator=(const RateConverter &) = delete;

    // Sets the track's rate and the output rate (Hz, positive) and resets.
    void setRates(double inRate, double outRate);

    // Playback speed in percent, clamped to 50..300. Any thread.
    void setPitchPercent(int percent);
    int pitchPercent() const;

    // Produces up to `frames` output frames into out (interleaved, channels()
    // wide), pulling input as needed. Returns the frames produced: fewer than
    // asked when the source ran dry. With inputEnded true an empty pull is the
    // end of the track: the converter then flushes the last frames it holds and
    // afterwards returns 0 until reset().
    std::size_t process(float *out, std::size_t frames, PullFn pull, void *context, bool inputEnded = false);

    // The same with any callable `std::size_t pull(float *dst, std::size_t frames)`.
    template <class Pull>
    std::size_t processWith(float *out, std::size_t frames, Pull &pull, bool inputEnded = false) {
        return process(
            out, frames,
            [](void *c, float *d, std::size_t n) -> std::size_t { return (*static_cast<Pull *>(c))(d, n); }, &pull,
            inputEnded);
    }

    // Forgets all held audio and the counters (for a seek or a new track). Keeps
    // rates and pitch.
    void reset();

    // Input frames taken from the source since reset(), including the few the
    // converter holds back as look-ahead.
    std::uint64_t consumedFrames() const { return consumed_; }

    // The input position (frames since reset(), fractional) of the next output
    // frame: the track time of what has been produced. This is the figure to turn
    // into the position handed to the device.
    double positionFrames() const { return position_; }

    // True while the sinc converter is in the path (not the pass-through copy).
    bool converting() const { return converting_; }

    // True after an end of input has been flushed completely.
    bool drained() const { return drained_; }

    int channels() const { return channels_; }

    // The output/input frame ratio for the current rates and pitch.
    double targetRatio() const;

private:
    void startConverting();
    void remember(const float *frames, std::size_t count);

    static constexpr std::size_t BlockFrames = 1024;  // input block and priming history

    const int channels_;
    struct State;
    std::unique_ptr<State> state_;
    std::unique_ptr<float[]> input_;    // BlockFrames frames pulled, not yet used
    std::unique_ptr<float[]> history_;  // last BlockFrames frames copied (ring)
    std::unique_ptr<float[]> scratch_;  // output of the priming, dropped
    std::size_t inputStart_ = 0;
    std::size_t inputCount_ = 0;
    std::size_t historyWrite_ = 0;
    std::size_t historyCount_ = 0;
    std::size_t primingLeft_ = 0;  // output frames still to drop
    double inRate_ = 44100.0;
    double outRate_ = 44100.0;
    double lastRatio_ = 1.0;  // mirror of the converter's reached ratio
    std::atomic<int> pitch_{100};
    std::uint64_t consumed_ = 0;
    double position_ = 0.0;
    bool converting_ = false;
    bool drained_ = false;
};
