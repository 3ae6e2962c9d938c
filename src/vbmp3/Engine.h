// SPDX-License-Identifier: GPL-3.0-or-later
// The engine behind the vbmp3_ functions: one instance per vbmp3_init.
//
// The threading contract is written at the top of Engine.cpp. In short: the
// player's thread calls the public functions (never concurrently: the C layer
// serialises them) and never waits on audio; one worker thread decodes and
// manages the sound device; the device's callback runs PlaybackChain.
//
// Output::Render is the internal render path for tests, fuzzing and
// benchmarks: no device is opened and no worker thread runs; render() pulls
// the output through the same PlaybackChain as fast as it can be computed,
// decoding on the calling thread where a device would have heard an underrun.
#pragma once

#include "vbmp3/PlaybackChain.h"
#include "vbmp3/RingFiller.h"
#include "vbmp3/TrackSession.h"
#include "vbmp3/WakeSignal.h"
#include "vbmp3/dsp/LyricsTimeline.h"
#include "vbmp3/dsp/SpectrumAnalyzer.h"
#include "vbmp3/vbmp3.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class SoundOutput;

class Engine {
public:
    enum class Output { Device, Render };

    explicit Engine(Output output = Output::Device);
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    bool setBufferOptions(const Vbmp3OptionData &o);
    bool setDecodeOptions(const DecodeOptionData &o);
    bool setKaraokeUse(int use);
    bool setLyricsTimeBase(int base);
    bool setFftWindow(int window);
    bool setProcessUntimed(int process);
    bool setLyricsAdjustMs(int ms);

    bool open(const char *path, TrackInfoData *info);
    bool play();
    bool stop();
    bool pause();
    bool restart() { return play(); }
    bool close();
    bool seek(int seconds);
    int state(int *elapsedSeconds);
    int playBitRate();
    bool spectrum(int32_t left[256], int32_t right[256]);

    bool clearLyrics();
    bool setLyricsFile(const char *path);
    bool lyrics(LyricsData *d);

    bool setPitch(int percent);
    bool setEqualizer(const int32_t bands[10]);
    bool setSoftVolume(int left, int right);
    bool reload();

    // Render path (Output::Render), called on the player's thread: fills
    // `frames` stereo frames at outputRate(), waiting for the decoder instead of
    // underrunning.
    std::size_t render(float *out, std::size_t frames);
    // The output rate of the open track (0 with none).
    int outputRate() const;
    // The position heard, in frames of the track's decode rate, and that rate.
    double heardFrames();
    int decodeRate() const;
    // Frames of the device buffer (0 on the render path).
    std::size_t deviceBufferFrames() const;

    // Times the decoder thread went to sleep, and whether the device runs
    // (for tests and benchmarks: neither moves while nothing plays).
    uint64_t workerSleeps() const { return signal_.sleeps(); }
    bool deviceRunning() const;

    // What the audio thread handed over (for benchmarks and diagnostics).
    const PlaybackChain &chain() const { return chain_; }
    // The output-timeline key of the open track's current seek generation.
    uint64_t currentKey() const;

    // The device callback size for an OutputFrame value.
    static std::size_t bufferFramesFor(int outputFrame);

private:
    struct Command {
        enum Kind { Attach, Detach, DetachAsTail, CutTail } kind;
        TrackSession *session;
    };
    // Player's thread.
    std::unique_ptr<TrackSession> makeSession(const std::string &path, TrackInfoData *info);
    void syncEnded();
    void settleEnd();
    void cutTail();
    void requestSeek(int64_t frame);
    double decodedFrames();
    void send(Command command);
    void carryOut(const Command &c);
    void kick();

    // Worker thread.
    void workerMain();
    void attach(TrackSession *s);
    void detach();
    void detachAsTail();
    void serviceTail();
    void idleDevice(int *waitMs);
    void openDevice(int rate);
    void closeDevice();
    bool decodeSome(int *waitMs);
    void freeRetired(bool all);
    static void deviceCallback(void *context, float *out, std::size_t frames);
    static void notifyRead(void *context);

    const Output output_;

    // Options (player's thread; the worker reads the atomic ones).
    Vbmp3OptionData bufferOptions_{30, 20, 5, 0};
    DecodeOptionData decodeOptions_{0, 0, 48000};
    std::atomic<int> inputWaitMs_{5};
    std::atomic<std::size_t> bufferFrames_{bufferFramesFor(20)};
    bool karaoke_ = false;
    int lyricsTimeBase_ = 1;
    int fftWindow_ = 1;
    std::array<int32_t, 10> stagedBands_{};
    int stagedLeft_ = 100;
    int stagedRight_ = 100;

    // Player's thread: the loaded track.
    TrackSession *current_ = nullptr;
    std::string path_;  // of current_
    // The end of current_ has been reported while its last frames still play:
    // a stop leaves them alone, a close hands them on as the tail, a play
    // starts the track again behind them.
    bool atEnd_ = false;
    bool tailSent_ = false;  // a tail may still be sounding
    uint32_t nextSessionId_ = 0;
    int64_t parked_ = 0;  // position while stopped / before audio is heard
    int lastKbps_ = 0;
    LyricsTimeline lyrics_;
    SpectrumAnalyzer analyzer_;
    std::vector<float> spectrumFrames_;

    // Shared with the audio thread.
    PlaybackChain chain_;
    std::mutex equalizerMutex_;  // orders equalizer commits (never the audio thread)

    // Worker.
    std::mutex mutex_;  // guards commands_ and quit_
    WakeSignal signal_;
    std::deque<Command> commands_;
    bool quit_ = false;
    std::unique_ptr<TrackSession> active_;
    std::unique_ptr<TrackSession> tail_;
    bool reopenPending_ = false;  // active_ waits for the tail before the device reopens
    std::vector<std::unique_ptr<TrackSession>> retired_;
    RingFiller filler_;
    std::unique_ptr<SoundOutput> sound_;  // Output::Device only
    std::thread worker_;
};
