// SPDX-License-Identifier: GPL-3.0-or-later
// The engine through its render path: positions and levels are exact functions of the frames
// rendered. Track joins and idling, which depend on the device, go through SDL's drivers.
#include "vbmp3/Decoder.h"
#include "vbmp3/Engine.h"

#include "AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <thread>

namespace {

class EngineRenderTest : public ::testing::Test {
protected:
    std::vector<float> render(double seconds) {
        const auto frames = static_cast<std::size_t>(std::lround(seconds * engine.outputRate()));
        std::vector<float> out(frames * 2);
        engine.render(out.data(), frames);
        return out;
    }

    std::string wav(const std::string &name, const fixtures::Tone &t, uint32_t lie = 0) {
        return dir.write(name, fixtures::wavBytes(t, lie));
    }
    // An MP3 or MP2 of the tone; "" when the encoder is missing.
    std::string encoded(const std::string &name, const fixtures::Tone &t, const std::string &tool,
                        const std::string &args) {
        return fixtures::encode(tool, args, wav(name + ".src.wav", t), dir.file(name));
    }
    double seconds() { return engine.heardFrames() / engine.decodeRate(); }
    int state() { return engine.state(nullptr); }
    int elapsed() {
        int s = -1;
        engine.state(&s);
        return s;
    }
    // Renders in 10 ms steps until the track reports state 0; returns the
    // seconds of output rendered (and the output, when asked).
    double renderToEnd(double limit = 30.0, std::vector<float> *all = nullptr) {
        double done = 0.0;
        for (; state() == VBMP3_STATE_PLAYING && done < limit; done += 0.01) {
            const std::vector<float> piece = render(0.01);
            if (all) all->insert(all->end(), piece.begin(), piece.end());
        }
        return done;
    }

    TempDir dir;
    Engine engine{Engine::Output::Render};
    TrackInfoData info{};
};

}  // namespace

TEST_F(EngineRenderTest, OneKilohertzPeaksAtItsBin) {
    const fixtures::Tone t;
    const std::string mp3 = encoded("tone.mp3", t, "lame", "-b 128");
    // The other formats decode to the same samples (the decoder's format table).
    const std::string files[] = {
        wav("pcm16.wav", t),
        mp3.empty() ? "" : dir.write("tone.rmp", fixtures::riffWrapMp3(TempDir::read(mp3), 44100, 2, 128)),
        encoded("tone.mp2", t, "twolame", "-b 192")};
    for (const std::string &path : files) {
        SCOPED_TRACE(path);
        if (path.empty()) continue;  // no encoder
        ASSERT_TRUE(engine.open(path.c_str(), &info));
        EXPECT_EQ(info.SamplingRate, 44100);
        ASSERT_TRUE(engine.play());
        render(0.4);
        int32_t left[256], right[256];
        ASSERT_TRUE(engine.spectrum(left, right));
        // 1000 Hz lies between bins 11 (947 Hz) and 12 (1034 Hz) at 44.1 kHz.
        EXPECT_EQ(std::max_element(left, left + 256) - left, 12);
        EXPECT_EQ(std::max_element(right, right + 256) - right, 12);
        EXPECT_GE(left[12], 100);  // a -6 dB sine reads about 108
    }
}

TEST_F(EngineRenderTest, TransportSeekPauseRestartStop) {
    ASSERT_TRUE(engine.open(wav("t.wav", {.seconds = 5.0}).c_str(), &info));
    const auto play = [&] { return engine.play(); };
    const auto pause = [&] { return engine.pause(); };
    const auto restart = [&] { return engine.restart(); };
    struct Step {
        const char *what;
        std::function<bool()> action;
        double render, heard;  // heard < 0: not checked
        int state, elapsed;
    };
    const Step steps[] = {
        {"pause while stopped: nothing changes", pause, 0, -1, VBMP3_STATE_STOPPED, 0},
        {"play", play, 1.25, 1.25, VBMP3_STATE_PLAYING, 1},
        {"play while playing: nothing changes", play, 0, 1.25, VBMP3_STATE_PLAYING, 1},
        {"pause: a short fade, then silence", pause, 0.5, 1.25, VBMP3_STATE_PAUSED, 1},
        {"restart", restart, 0.5, 1.75, VBMP3_STATE_PLAYING, 1},
        {"seek: at once, before any audio of the new place", [&] { return engine.seek(3); }, 0, -1, VBMP3_STATE_PLAYING,
         3},
        {"play on", play, 0.25, 3.25, VBMP3_STATE_PLAYING, 3},
        {"seek while paused", [&] { return engine.pause() && engine.seek(1); }, 0, -1, VBMP3_STATE_PAUSED, 1},
        {"restart there", restart, 0.5, 1.5, VBMP3_STATE_PLAYING, 1},
        {"stop", [&] { return engine.stop(); }, 0, -1, VBMP3_STATE_STOPPED, 0},
        {"seek while stopped, play", [&] { return engine.seek(2) && engine.play(); }, 0.5, 2.5, VBMP3_STATE_PLAYING, 2},
        {"seek beyond the end: the track ends", [&] { return engine.seek(100); }, 1.0, -1, VBMP3_STATE_STOPPED, 0},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(step.action());
        const std::vector<float> out = render(step.render);
        EXPECT_EQ(std::pair(state(), elapsed()), std::pair(step.state, step.elapsed));
        EXPECT_NEAR(step.heard < 0 ? 0.0 : seconds(), std::max(step.heard, 0.0), 0.01);
        const bool fades = step.state == VBMP3_STATE_PAUSED && !out.empty();
        EXPECT_EQ(fades ? fixtures::peak(out.data() + 2 * 441, out.size() / 2 - 441, 2) : 0.0f, 0.0f);
    }
}

TEST_F(EngineRenderTest, TheEndReachesStateZeroAtTheLastFrame) {
    ASSERT_TRUE(engine.setBufferOptions({1, 1, 0, 50}));  // the smallest buffers
    const std::string path = wav("end.wav", {});
    ASSERT_TRUE(engine.open(path.c_str(), &info) && engine.play());
    const double played = renderToEnd();
    // State 0 comes within the 10 ms step that hands over the last frame.
    EXPECT_GE(played, 1.0 - 1e-9);
    EXPECT_LE(played, 1.011);
    EXPECT_EQ(elapsed(), 0);  // back at the start
    int32_t l[256], r[256];
    engine.spectrum(l, r);
    EXPECT_EQ(*std::max_element(l, l + 256), 0);
    // Play after the end starts again from the beginning, with pitch 300 too;
    // the file deleted while it plays goes on to its end.
    ASSERT_TRUE(engine.setPitch(300) && engine.play());
    render(0.1);
    std::filesystem::remove(path);
    EXPECT_NEAR(0.1 + renderToEnd(), 1.0 / 3.0, 0.015);
}

// WAV files that the fuzzer turned up: float samples that are not numbers, and
// a header whose sample rate would size the track's buffers in gigabytes.
TEST_F(EngineRenderTest, NonNumbersPlayAsSilenceAndAbsurdRatesAreRefused) {
    const fixtures::Tone t{.rate = 22050, .sample = fixtures::Sample::Float32, .seconds = 0.3};
    std::vector<float> frames = fixtures::toneFrames(t);
    const float inf = std::numeric_limits<float>::infinity();
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 1e30f, -1e30f};
    std::copy(std::begin(bad), std::end(bad), frames.begin() + 1000);
    const std::string broken = dir.write("broken.wav", fixtures::wavBytes(t, 0, &frames));
    const auto decoder = Decoder::openFile(broken, 0);
    ASSERT_TRUE(decoder);
    std::vector<float> block(8192 * 2);
    ASSERT_GT(decoder->read(block.data(), 8192), 600u);
    // Silence, or kept within 18 dB of full scale; the rest as it was.
    EXPECT_EQ(std::vector<float>(block.begin() + 999, block.begin() + 1005),
              (std::vector<float>{frames[999], 0.0f, 0.0f, 0.0f, 8.0f, -8.0f}));

    // Through the whole chain, and the next track still sounds.
    const std::string clean = dir.write("clean.wav", fixtures::wavBytes({.rate = 22050, .seconds = 0.3}));
    for (const std::string &path : {broken, clean}) {
        ASSERT_TRUE(engine.open(path.c_str(), &info) && engine.play());
        std::vector<float> out;
        renderToEnd(2.0, &out);
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return std::isfinite(v); }));
        EXPECT_NEAR(path == clean ? fixtures::peak(out.data(), out.size() / 2, 2) : 0.5f, 0.5f, 0.05f);
    }

    std::string wav = fixtures::wavBytes({.seconds = 0.1});
    for (const uint32_t rate : {1163416640u, 384000u}) {  // the latter the highest rate recorders use
        std::memcpy(wav.data() + 24, &rate, 4);
        const std::string path = dir.write("rate.wav", wav);
        EXPECT_EQ(bool(Decoder::openFile(path, 0)), rate == 384000u) << rate;
        EXPECT_TRUE(rate == 384000u || !engine.open(path.c_str(), &info));
    }
}

TEST_F(EngineRenderTest, LyricsFollowThePositionHeard) {
    ASSERT_TRUE(engine.open(wav("song.wav", {.seconds = 4.0}).c_str(), &info));
    const std::string lyrics = "[ti:Song]\r\n[00:01.00]one\r\n[00:02.00]two\r\nuntimed\r\n[00:03.50]three\r\n";
    ASSERT_TRUE(engine.setLyricsFile(dir.write("song.lrc", lyrics).c_str()));
    LyricsData d{};
    const auto line = [&] {
        return engine.lyrics(&d) ? std::to_string(d.LineCount) + ":" + std::to_string(d.Key) + " " + d.Text[5] : "none";
    };
    EXPECT_EQ(line(), "0:0 ") << "lyrics are off until vbmp3_setKaraokeUse(1)";
    ASSERT_TRUE(engine.setKaraokeUse(1) && engine.play());
    render(1.1);
    EXPECT_EQ(line(), "4:1 one");
    render(1.8);  // 2.9 s: the untimed line shares 2.0..3.5 with "two"
    EXPECT_EQ(line(), "4:3 untimed");
    ASSERT_TRUE(engine.setLyricsAdjustMs(500));  // every line half a second later
    EXPECT_EQ(line(), "4:2 two");
    EXPECT_FALSE(engine.setLyricsAdjustMs(1001));
    // Pitch 200: the lyrics follow the track's own time.
    ASSERT_TRUE(engine.setLyricsAdjustMs(0) && engine.setPitch(200));
    render(0.35);  // 2.9 + 0.7 = 3.6 s of the track
    EXPECT_EQ(line(), "4:4 three");
    EXPECT_FALSE(engine.setLyricsFile(dir.file("missing.lrc").c_str()));
}

namespace {

// The RMS difference between x (frames from..to) and the output from `offset` on,
// over the left channel or both.
double rms(const std::vector<float> &out, const std::vector<float> &x, long offset, std::size_t from, std::size_t to,
           int channels = 2) {
    double err = 0.0;
    for (std::size_t i = from; i < to; ++i)
        for (int c = 0; c < channels; ++c) {
            const double d = out[2 * (std::size_t(offset) + i) + std::size_t(c)] - x[i];
            err += d * d;
        }
    return std::sqrt(err / double(std::size_t(channels) * (to - from)));
}

// Where x (from `from` for `count` frames) lies in the output: the offset within [lo, hi] with the least error.
long bestOffset(const std::vector<float> &out, const std::vector<float> &x, std::size_t from, std::size_t count,
                long lo, long hi) {
    long best = lo;
    double least = 1e300;
    for (long o = lo; o <= hi; ++o) {
        if (o + long(from) < 0 || std::size_t(o) + from + count > out.size() / 2) continue;
        if (const double e = rms(out, x, o, from, from + count, 1); e < least) {
            least = e;
            best = o;
        }
    }
    return best;
}

}  // namespace

// One signal cut in two at an odd sample and played as two tracks through a
// device (SDL's disk driver), with the engine module's calls at the end of the
// first: stop, close, open, play. Lined up against the original, the second
// track goes on exactly where the first ended, at full level.
TEST_F(EngineRenderTest, TracksJoinWithoutAGap) {
    constexpr std::size_t Cut = 17641;
    const fixtures::Tone t{.seconds = 36000.0 / 44100 + 1e-9, .hz = 300, .amplitude = 0.4, .sweepToHz = 3000};
    const std::vector<float> all = fixtures::toneFrames(t);
    const std::size_t Frames = all.size() / 2;  // 36000
    std::vector<float> whole(Frames);           // as the 16-bit file holds it
    for (std::size_t i = 0; i < Frames; ++i) whole[i] = float(std::lround(all[2 * i] * 32767.0)) / 32768.0f;
    const std::vector<float> head(all.begin(), all.begin() + 2 * Cut), tail(all.begin() + 2 * Cut, all.end());
    const std::string a = dir.write("a.wav", fixtures::wavBytes(t, 0, &head));
    const std::string b = dir.write("b.wav", fixtures::wavBytes(t, 0, &tail));
    struct Row {
        const char *kind;
        std::string first, second;  // second empty: the first again (repeat one)
        long slack;                 // samples the join may be off
        double maxError;            // RMS difference from the original
    };
    std::vector<Row> rows = {{"wav", a, b, 0, 1e-6}, {"repeat", a, "", 0, 1e-6}};
    if (!fixtures::encode("lame", "-b 256", a, dir.file("a.mp3")).empty() &&
        !fixtures::encode("lame", "-b 256", b, dir.file("b.mp3")).empty())
        rows.push_back({"mp3", dir.file("a.mp3"), dir.file("b.mp3"), 2, 0.02});
    for (const Row &row : rows) {
        SCOPED_TRACE(row.kind);
        // What should be heard: the first part, then the second (or the first again).
        std::vector<float> x(whole.begin(), whole.begin() + long(Cut));
        const std::size_t from = row.second.empty() ? 0 : Cut;
        const std::size_t to = row.second.empty() ? Cut : Frames;
        x.insert(x.end(), whole.begin() + long(from), whole.begin() + long(to));
        const std::size_t total = x.size();
        const std::string raw = dir.file(std::string(row.kind) + ".raw");
        {
            fixtures::AudioDriver disk("disk", raw);
            Engine engine{Engine::Output::Device};
            // The deepest ring: the end comes 0.58 s ahead of the last frame,
            // time enough for this thread on a busy machine.
            ASSERT_TRUE(engine.setBufferOptions({100, 20, 5, 0}));
            ASSERT_TRUE(engine.open(row.first.c_str(), &info) && engine.play());
            const auto stopped = [&] { return engine.state(nullptr) == VBMP3_STATE_STOPPED; };
            ASSERT_TRUE(fixtures::waitUntil(stopped));
            // The engine module's calls at the end of a track.
            engine.stop();
            if (!row.second.empty()) {
                engine.close();
                ASSERT_TRUE(engine.open(row.second.c_str(), &info));
            }
            ASSERT_TRUE(engine.play());
            ASSERT_TRUE(fixtures::waitUntil(stopped));
            ASSERT_TRUE(fixtures::waitUntilSettled(raw));
        }
        const std::string bytes = TempDir::read(raw);
        std::vector<float> out(bytes.size() / 4);
        std::memcpy(out.data(), bytes.data(), out.size() * 4);
        std::size_t first = 0;
        while (first < out.size() / 2 && out[2 * first] == 0.0f) ++first;
        ASSERT_LT(first, out.size() / 2);
        // The start (after the fade-in), then the join and the end against it.
        const long start = bestOffset(out, x, 2000, 2000, long(first) - 1200, long(first) + 64);
        const long join = bestOffset(out, x, Cut - 1000, 2000, start - 40, start + 40);
        const long end = bestOffset(out, x, total - 3000, 2000, start - 40, start + 40);
        EXPECT_LE(std::max(std::abs(join - start), std::abs(end - start)), row.slack);
        EXPECT_LE(std::max(rms(out, x, start, Cut - 300, Cut + 300), rms(out, x, start, 200, total - 200)),
                  row.maxError);
    }
}

// Paused or stopped, nothing wakes: not the decoder thread, not the device
// callback; the process spends next to no CPU. Play brings the sound back.
TEST_F(EngineRenderTest, NothingRunsWhilePausedOrStopped) {
    struct Totals {
        uint64_t cpuNs = 0, wakeups = 0;  // over all threads of this process: run time, times gone to sleep
    };
    const auto totals = [] {
        Totals t;
        for (const auto &task : std::filesystem::directory_iterator("/proc/self/task")) {
            uint64_t n = 0;
            std::ifstream(task.path() / "schedstat") >> n;
            t.cpuNs += n;
            std::ifstream status(task.path() / "status");
            for (std::string key; status >> key;)
                if (key == "voluntary_ctxt_switches:" && status >> n) t.wakeups += n;
        }
        return t;
    };
    fixtures::AudioDriver dummy("dummy");
    Engine engine{Engine::Output::Device};
    const std::string path = wav("t.wav", {.seconds = 5.0});
    ASSERT_TRUE(engine.open(path.c_str(), &info));
    const std::pair<const char *, std::function<bool()>> rows[] = {
        {"pause", [&] { return engine.pause(); }},
        {"stop", [&] { return engine.stop(); }},
        {"stop, then another track once the device stopped",
         [&] {
             if (!engine.stop() || !fixtures::waitUntil([&] { return !engine.deviceRunning(); })) return false;
             // The worker takes the track over, fills its ring (it may be woken
             // more than once while it does) and stays asleep.
             const uint64_t before = engine.workerSleeps();
             uint64_t seen = before;
             return engine.open(path.c_str(), &info) && fixtures::waitUntil([&] {
                        std::this_thread::sleep_for(std::chrono::milliseconds(50));
                        const uint64_t now = engine.workerSleeps();
                        const bool settled = now > before && now == seen;
                        seen = now;
                        return settled;
                    });
         }},
    };
    for (const auto &[name, action] : rows) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(engine.play());
        const uint64_t calls = engine.chain().calls();
        ASSERT_TRUE(fixtures::waitUntil([&] { return engine.chain().calls() > calls + 5; }));
        EXPECT_TRUE(engine.deviceRunning());
        ASSERT_TRUE(action());
        ASSERT_TRUE(fixtures::waitUntil([&] { return !engine.deviceRunning(); }));
        const uint64_t sleeps = engine.workerSleeps(), idleCalls = engine.chain().calls();
        const Totals before = totals();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const Totals after = totals();
        EXPECT_EQ(engine.workerSleeps(), sleeps);
        EXPECT_EQ(engine.chain().calls(), idleCalls);
        EXPECT_LT(after.cpuNs - before.cpuNs, 20'000'000u);  // 20 ms in 300: nothing busy
        EXPECT_LE(after.wakeups - before.wakeups, 3u);       // this thread's sleep: SDL's thread is held too
    }
    ASSERT_TRUE(engine.play());
    EXPECT_TRUE(fixtures::waitUntil([&] { return engine.heardFrames() > 0.2 * 44100 && engine.deviceRunning(); }));
}
