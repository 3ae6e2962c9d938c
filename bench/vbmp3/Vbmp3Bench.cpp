// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmarks of the engine library (not tests: they measure, they assert nothing).
//
//   Vbmp3Bench [workdir] [decode]      (decode: only the decode floor)
//
// 1. Decode floor: a 3-minute 192 kbit/s MP3 (made with lame) decoded through
//    the whole chain on the render path (decode, rate conversion, equalizer,
//    a spectrum every 10 ms of audio), against `mpg123 -t` on the same file.
// 2. Real-time playback: CPU time of the process while the library plays the
//    file for 30 s through SDL's disk driver (to /dev/null).
// 3. Latencies on the audio handed to the device (default options, disk
//    driver): from play to the first frame of the track, from pause and stop to
//    the last, from setPitch and reload to the first changed frame.
// With PULSE_SERVER set, 2 and 3 run again through the native PulseAudio
// output, and 2 also counts the wake-ups (context switches) of each of the
// library's threads while playing and while paused.
#include "WavHeader.h"
#include "vbmp3/Engine.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Three minutes of a music-like signal: chords of decaying notes over noise.
bool makeTestMp3(const std::string &wav, const std::string &mp3) {
    if (std::filesystem::exists(mp3)) return true;
    const int rate = 44100;
    const int seconds = 180;
    std::ofstream out(wav, std::ios::binary);
    WavHeader::write(out, rate, 2, uint32_t(rate) * seconds);
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    const double notes[] = {220.0, 277.18, 329.63, 440.0, 554.37, 659.25, 880.0};
    std::vector<int16_t> block(2 * rate / 4);
    for (int q = 0; q < seconds * 4; ++q) {
        const double a = notes[q % 7];
        const double b = notes[(q * 3 + 2) % 7] * 1.5;
        for (int i = 0; i < rate / 4; ++i) {
            const double t = double(q * (rate / 4) + i) / rate;
            const double env = std::exp(-double(i) / rate * 6.0);
            const double l =
                0.3 * env * std::sin(2 * M_PI * a * t) + 0.2 * std::sin(2 * M_PI * b * t) + 0.05 * noise(rng);
            const double r =
                0.3 * env * std::sin(2 * M_PI * a * 1.01 * t) + 0.2 * std::sin(2 * M_PI * b * t) + 0.05 * noise(rng);
            block[2 * std::size_t(i)] = int16_t(std::lround(l * 32767 * 0.8));
            block[2 * std::size_t(i) + 1] = int16_t(std::lround(r * 32767 * 0.8));
        }
        out.write(reinterpret_cast<const char *>(block.data()), std::streamsize(block.size() * 2));
    }
    out.close();
    const std::string cmd = "lame --quiet -b 192 '" + wav + "' '" + mp3 + "'";
    return std::system(cmd.c_str()) == 0;
}

double mpg123Seconds(const std::string &mp3) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execlp("mpg123", "mpg123", "-q", "-t", mp3.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1.0;
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double decodeFloor(const std::string &mp3, bool convert, bool spectrum = true) {
    Engine engine(Engine::Output::Render);
    if (convert) {
        engine.setDecodeOptions({0, 0, 32000});
        const int32_t bands[10] = {20, 15, 10, 0, 0, 0, 0, 5, 10, 15};
        engine.setEqualizer(bands);
        engine.reload();
    }
    TrackInfoData info{};
    if (!engine.open(mp3.c_str(), &info)) return -1.0;
    engine.play();
    const double before = cpuSeconds(RUSAGE_SELF);
    const std::size_t per10ms = std::size_t(engine.outputRate() / 100);
    std::vector<float> out(per10ms * 2);
    int32_t l[256];
    int32_t r[256];
    int seconds = 0;
    while (engine.state(&seconds) == VBMP3_STATE_PLAYING) {
        engine.render(out.data(), per10ms);
        if (spectrum) engine.spectrum(l, r);
    }
    return cpuSeconds(RUSAGE_SELF) - before;
}

// Context switches (voluntary + involuntary) of each thread of this process
// but the calling one, by thread name.
std::vector<std::pair<std::string, long>> threadSwitches() {
    std::vector<std::pair<std::string, long>> out;
    const std::string self = std::to_string(gettid());
    for (const auto &task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self) continue;
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        std::ifstream status(task.path() / "status");
        std::string line;
        long n = 0;
        while (std::getline(status, line))
            if (line.find("ctxt_switches:") != std::string::npos)
                n += std::atol(line.substr(line.find(':') + 1).c_str());
        out.emplace_back(name + "/" + task.path().filename().string(), n);
    }
    return out;
}

void printWakeups(const char *what, const std::vector<std::pair<std::string, long>> &a,
                  const std::vector<std::pair<std::string, long>> &b, double seconds) {
    std::printf("  wake-ups per second %s:", what);
    for (const auto &[name, n] : b) {
        long before = 0;
        for (const auto &[n0, v] : a)
            if (n0 == name) before = v;
        std::printf(" %s %.0f;", name.substr(0, name.find('/')).c_str(), double(n - before) / seconds);
    }
    std::printf("\n");
}

// driver: an SDL driver, or empty for the native PulseAudio output.
double realTimeCpu(const std::string &mp3, double seconds, bool tick, const char *driver = "disk") {
    if (*driver) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
    Engine engine(Engine::Output::Device);
    TrackInfoData info{};
    engine.open(mp3.c_str(), &info);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // device up
    const double before = cpuSeconds(RUSAGE_SELF);
    const auto start = Clock::now();
    engine.play();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto switches = threadSwitches();
    const auto counted = Clock::now();
    int32_t l[256];
    int32_t r[256];
    int elapsed = 0;
    // The player's tick: state, bit rate and spectrum every 10 ms.
    while (Clock::now() - start < std::chrono::duration<double>(seconds)) {
        if (tick) {
            engine.state(&elapsed);
            engine.playBitRate();
            engine.spectrum(l, r);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(tick ? 10 : 100));
    }
    const double cpu = cpuSeconds(RUSAGE_SELF) - before;
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    if (!tick) {
        printWakeups("playing", switches, threadSwitches(),
                     std::chrono::duration<double>(Clock::now() - counted).count());
        engine.pause();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const auto paused = threadSwitches();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        printWakeups("paused", paused, threadSwitches(), 5.0);
    }
    return cpu / wall;
}

// Polls until pred() holds; returns the milliseconds waited (the poll costs
// about 0.1 ms of resolution).
template <class Pred>
double waitMs(Pred pred, Clock::time_point from) {
    while (!pred()) {
        if (Clock::now() - from > std::chrono::seconds(2)) return -1.0;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// Ten seconds of a steady 1 kHz tone, so that a change of level shows at once.
std::string makeToneWav(const std::string &path) {
    const int rate = 44100;
    const uint32_t frames = rate * 10;
    std::ofstream out(path, std::ios::binary);
    auto put16 = [&](uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); };
    WavHeader::write(out, rate, 2, frames);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto v = int16_t(std::lround(16000.0 * std::sin(2 * M_PI * 1000.0 * i / rate)));
        put16(uint16_t(v));
        put16(uint16_t(v));
    }
    return path;
}

void latencies(const std::string &wav, int rounds, const char *driver = "disk") {
    if (*driver) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
    Engine engine(Engine::Output::Device);
    TrackInfoData info{};
    engine.open(wav.c_str(), &info);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const PlaybackChain &chain = engine.chain();
    const OutputTimeline &tl = chain.timeline();
    // The last frames handed over carry moving track audio of `key`.
    auto soundingOf = [&](uint64_t key) {
        const uint64_t h = tl.handedFrames();
        if (h == 0) return false;
        const auto at = tl.trackPositionAt(key, h - 1);
        const auto before = tl.trackPositionAt(key, h > 64 ? h - 64 : 0);
        return at && before && *at != *before;
    };
    auto sounding = [&] { return soundingOf(engine.currentKey()); };
    auto speed = [&] {
        const uint64_t h = tl.handedFrames();
        const auto a = tl.trackPositionAt(engine.currentKey(), h - 1);
        const auto b = tl.trackPositionAt(engine.currentKey(), h - 33);
        return (a && b) ? (*a - *b) / 32.0 : 0.0;
    };
    auto level = [&] {
        std::vector<float> f(2 * 64);
        if (!chain.history().copyEndingAt(tl.handedFrames(), f.data(), 64)) return 0.0f;
        float p = 0.0f;
        for (float v : f) p = std::max(p, std::fabs(v));
        return p;
    };
    std::vector<double> play, pause, stop, pitch, reload;
    // A random wait before each measured call, so that calls fall anywhere in
    // the device's period.
    std::mt19937 rng(3);
    auto jitter = [&] { std::this_thread::sleep_for(std::chrono::microseconds(rng() % 15000)); };
    for (int i = 0; i < rounds; ++i) {
        jitter();
        auto t = Clock::now();
        engine.play();
        play.push_back(waitMs(sounding, t));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        jitter();
        t = Clock::now();
        engine.setPitch(200);
        pitch.push_back(waitMs([&] { return speed() > 1.05; }, t));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        engine.setPitch(100);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const float loud = level();
        engine.setSoftVolume(10, 10);
        jitter();
        t = Clock::now();
        engine.reload();
        reload.push_back(waitMs([&] { return level() < loud * 0.97f; }, t));
        engine.setSoftVolume(100, 100);
        engine.reload();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        jitter();
        t = Clock::now();
        engine.pause();
        pause.push_back(waitMs([&] { return !sounding(); }, t));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        engine.restart();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const uint64_t key = engine.currentKey();
        jitter();
        t = Clock::now();
        engine.stop();
        stop.push_back(waitMs([&] { return !soundingOf(key); }, t));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    auto report = [](const char *what, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        std::printf("  %-22s median %5.1f ms, worst %5.1f ms\n", what, v[v.size() / 2], v.back());
    };
    std::printf(
        "Latencies on the audio handed to the device (%s, %d rounds, device buffer %zu frames = %.1f ms, "
        "to be added for what is heard):\n",
        *driver ? driver : "PulseAudio", rounds, engine.deviceBufferFrames(),
        1000.0 * double(engine.deviceBufferFrames()) / engine.outputRate());
    report("play -> first frame", play);
    report("pause -> last frame", pause);
    report("stop -> last frame", stop);
    report("setPitch -> changed", pitch);
    report("reload -> changed", reload);
}

}  // namespace

int main(int argc, char **argv) {
    const std::string dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    const std::string wav = dir + "/vbmp3-bench.wav";
    const std::string mp3 = dir + "/vbmp3-bench-192k.mp3";
    if (!makeTestMp3(wav, mp3)) {
        std::fprintf(stderr, "cannot make the test MP3 (is lame installed?)\n");
        return 1;
    }
    std::filesystem::remove(wav);

    const double ref = mpg123Seconds(mp3);
    const double chain = decodeFloor(mp3, false);
    const double converted = decodeFloor(mp3, true);
    const double bare = decodeFloor(mp3, false, false);
    std::printf("Decode floor, 3 min 192 kbit/s MP3 (CPU seconds):\n");
    std::printf("  mpg123 -t                          %6.3f\n", ref);
    std::printf("  engine, 44.1 kHz, flat, spectrum   %6.3f  (%.2f x mpg123)\n", chain, ref > 0 ? chain / ref : 0.0);
    std::printf("  engine, 44.1 kHz, flat, no spectrum %6.3f  (%.2f x mpg123)\n", bare, ref > 0 ? bare / ref : 0.0);
    std::printf("  engine, to 32 kHz, EQ on, spectrum %6.3f  (%.2f x mpg123)\n", converted,
                ref > 0 ? converted / ref : 0.0);

    if (argc > 2 && std::string(argv[2]) == "decode") return 0;
    std::printf("Real-time playback for 30 s through the disk driver:\n");
    std::fflush(stdout);
    const double rt = realTimeCpu(mp3, 30.0, false);
    std::printf("  CPU: %.2f %% of one core\n", rt * 100.0);
    const double rtTick = realTimeCpu(mp3, 30.0, true);
    std::printf("  the same with the player's 10 ms tick (state, bit rate, spectrum): %.2f %%\n", rtTick * 100.0);

    const std::string tone = makeToneWav(dir + "/vbmp3-bench-tone.wav");
    latencies(tone, 20);
    if (std::getenv("PULSE_SERVER")) {
        std::printf("Real-time playback for 30 s through PulseAudio (native output):\n");
        std::fflush(stdout);
        const double pulse = realTimeCpu(mp3, 30.0, false, "");
        std::printf("  CPU: %.2f %% of one core\n", pulse * 100.0);
        std::printf("Real-time playback for 30 s through SDL's PulseAudio driver (the output before):\n");
        std::fflush(stdout);
        const double sdlPulse = realTimeCpu(mp3, 30.0, false, "pulseaudio");
        std::printf("  CPU: %.2f %% of one core\n", sdlPulse * 100.0);
        latencies(tone, 20, "");
    }
    return 0;
}
