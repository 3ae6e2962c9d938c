// SPDX-License-Identifier: GPL-3.0-or-later
// Main window benchmarks, with the real engine library:
//  1. the tick: Timer1_Timer while a track plays with the analyser shown;
//  2. start-up: process start to the first painted frame with panel content;
//  3. the whole program playing a 3-minute 192 kbit/s MP3 for 30 s beside
//     mpg123 decoding the same file at the same pace: CPU time, peak RSS,
//     and the time from the P key to the first sound in the output;
//  4. idle: the whole program's CPU (all threads, schedstat) and wake-ups
//     over 10 s playing, paused, stopped and with no track loaded, through
//     PulseAudio when PULSE_SERVER is set (else SDL's disk driver).
// Run it under xvfb-run (2 to 4 need an X display, 3 and 4 also xdotool, lame
// and mpg123); see bench/README.md.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>

#include "WavHeader.h"
#include "engine/Krm1000.h"
#include "mainwindow/MainForm.h"
#include "vbmp3/vbmp3.h"

extern char **environ;

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

int64_t clockNs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int64_t nowNs() { return clockNs(CLOCK_MONOTONIC); }
int64_t threadCpuNs() { return clockNs(CLOCK_THREAD_CPUTIME_ID); }

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * (v.size() - 1) + 0.5))];
}

bool onPath(const char *tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// A program folder of our own: the library and the schemes, no settings yet.
std::string makeProgramFolder(const std::string &name) {
    const fs::path dir = fs::temp_directory_path() / ("corvale-bench-" + std::to_string(getpid())) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char *item : {"corvale", "libvbmp3.so", "color"})
        if (fs::exists(fs::path(CORVALE_PROGRAM_DIR) / item))
            fs::copy(fs::path(CORVALE_PROGRAM_DIR) / item, dir / item, fs::copy_options::recursive);
    return dir.string() + "/";
}

// Three minutes of something music-like (chords that change every half
// second, a little noise), 44.1 kHz stereo, encoded at 192 kbit/s.
std::string makeMusic(const std::string &folder) {
    const std::string wav = folder + "music.wav", mp3 = folder + "music.mp3";
    const uint32_t rate = 44100, frames = rate * 180;
    std::ofstream out(wav, std::ios::binary);
    WavHeader::write(out, rate, 2, frames);
    uint32_t noise = 1;
    std::vector<int16_t> block(2 * 4410);
    for (uint32_t start = 0; start < frames; start += 4410) {
        const int chord = static_cast<int>(start / (rate / 2)) % 7;
        for (uint32_t i = 0; i < 4410; ++i) {
            const double t = double(start + i) / rate;
            double s = 0;
            for (int k = 0; k < 3; ++k)
                s += std::sin(2 * M_PI * 110.0 * std::pow(2.0, (chord + 4 * k) / 12.0) * (k + 1) * t);
            noise = noise * 1664525u + 1013904223u;
            s = s * 6000 + double(int32_t(noise) >> 20);
            block[2 * i] = block[2 * i + 1] = static_cast<int16_t>(std::clamp(s, -32000.0, 32000.0));
        }
        out.write(reinterpret_cast<const char *>(block.data()), static_cast<std::streamsize>(block.size() * 2));
    }
    out.close();
    if (std::system(("lame --quiet -b 192 '" + wav + "' '" + mp3 + "'").c_str()) != 0) return {};
    fs::remove(wav);
    return mp3;
}

MainForm::Environment environment(const std::string &programDir) {
    MainForm::Environment env;
    env.programDir = programDir;
    env.expectedLibraryVersion = VBMP3_VERSION;
    return env;
}

// ---------------------------------------------------------------- 1. the tick

void benchTick(const std::string &music) {
    const std::string dir = makeProgramFolder("tick");
    MainForm form(environment(dir));
    if (!form.Form_Load()) {
        std::puts("tick: start-up failed");
        return;
    }
    form.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();  // driven by hand below
    std::string spec = music;
    form.engine()->bytPlayListNewOpen(spec);
    form.Command5_Click();
    std::vector<double> tick, paint;
    double cpuNs = 0;
    auto next = Steady::now();
    for (int i = 0; i < 1500; ++i) {
        const int64_t c0 = threadCpuNs();
        const auto t0 = Steady::now();
        form.Timer1_Timer();
        const auto t1 = Steady::now();
        QCoreApplication::processEvents();  // the paint events the flushes asked for
        const auto t2 = Steady::now();
        const int64_t c1 = threadCpuNs();
        if (i >= 100) {  // past the start of the track
            cpuNs += double(c1 - c0);
            tick.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            paint.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
        }
        next += std::chrono::milliseconds(10);
        std::this_thread::sleep_until(next);
    }
    std::printf(
        "tick: Timer1_Timer median %.1f us, p99 %.1f us (%zu ticks); event processing after it median %.1f us\n",
        percentile(tick, 0.5), percentile(tick, 0.99), tick.size(), percentile(paint, 0.5));
    // The window is repainted on some ticks only: the mean CPU time of a tick
    // with its share of the repaints is what playing costs the main thread.
    std::printf("tick: main-thread CPU per tick with the repaints, mean %.1f us\n",
                tick.empty() ? 0.0 : cpuNs / double(tick.size()) / 1000.0);
    form.close();
}

// ---------------------------------------------------------------- 2. start-up

// The watched process: prints the clock when the first frame with panel
// content (after the first tick) has been painted, then ends.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(MainForm &form) : form_(form) {}
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && form_.TickNow() != 0 && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                std::printf("%lld\n", static_cast<long long>(nowNs()));
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    MainForm &form_;
    bool seen_ = false;
};

int startupChild(int argc, char **argv) {
    QApplication app(argc, argv);
    MainForm form(environment(argv[2]));
    FirstPaint watch(form);
    form.installEventFilter(&watch);
    if (!form.Form_Load()) return 1;
    return app.exec();
}

pid_t spawn(const std::vector<std::string> &args, int stdoutFd = -1) {
    std::vector<char *> argv;
    for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void benchStartup(const char *self) {
    const std::string dir = makeProgramFolder("startup");
    std::vector<double> ms;
    for (int run = 0; run < 15; ++run) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        const int64_t t0 = nowNs();
        const pid_t pid = spawn({self, "--startup-child", dir}, fds[1]);
        close(fds[1]);
        char buf[64] = {};
        const ssize_t n = read(fds[0], buf, sizeof buf - 1);
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (n > 0 && run > 0) ms.push_back(double(std::atoll(buf) - t0) / 1e6);  // the first run warms the caches
    }
    std::printf("start-up: process start to first painted frame median %.0f ms, max %.0f ms (%zu runs)\n",
                percentile(ms, 0.5), percentile(ms, 1.0), ms.size());
}

// ---------------------------------------------------------------- 3. the whole program

double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = s.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> fields;
    std::size_t p = close + 2;
    while (p < s.size()) {
        const std::size_t e = s.find(' ', p);
        fields.push_back(s.substr(p, e - p));
        if (e == std::string::npos) break;
        p = e + 1;
    }
    if (fields.size() < 13) return 0;
    return double(std::atoll(fields[11].c_str()) + std::atoll(fields[12].c_str())) / double(sysconf(_SC_CLK_TCK));
}

long peakRssKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

std::string run(const std::string &command) {
    std::string out;
    if (FILE *p = popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

void benchWholeProgram(const std::string &music) {
    const std::string dir = makeProgramFolder("whole");
    const std::string out = dir + "out.raw";
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    const pid_t player = spawn({dir + "corvale", music});
    unsetenv("SDL_DISKAUDIOFILE");

    // The disk output: when it appears, and the first sample that is not silence.
    std::atomic<bool> stop{false};
    std::atomic<int64_t> firstSoundNs{0};
    std::thread watcher([&] {
        std::ifstream in;
        std::vector<float> buf(4096);
        while (!stop && firstSoundNs == 0) {
            if (!in.is_open()) {
                in.open(out, std::ios::binary);
                if (!in.is_open()) {
                    std::this_thread::sleep_for(std::chrono::microseconds(500));
                    continue;
                }
            }
            in.clear();
            in.read(reinterpret_cast<char *>(buf.data()), static_cast<std::streamsize>(buf.size() * sizeof(float)));
            const std::size_t got = static_cast<std::size_t>(in.gcount()) / sizeof(float);
            for (std::size_t i = 0; i < got; ++i) {
                if (std::fabs(buf[i]) > 1e-4f) {
                    // The disk driver writes each period as it plays it, but
                    // not while the idle device is held: the first sound is
                    // when its period reached the file.
                    firstSoundNs = nowNs();
                    break;
                }
            }
            if (got == 0) std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });

    const std::string wid = run("timeout 20 xdotool search --sync --onlyvisible --class corvale | head -n 1");
    run("xdotool windowfocus --sync " + wid + " 2>/dev/null");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // let start-up settle
    const double playerCpu0 = cpuSeconds(player);
    const int64_t pressed = nowNs();
    run("xdotool key p");

    // mpg123 decodes the same file at the same pace into a pipe we read at
    // 44100 frames of 16-bit stereo a second.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    const pid_t mpg = spawn({"mpg123", "-q", "-s", music}, fds[1]);
    close(fds[1]);
    const auto begin = Steady::now();
    std::vector<char> chunk(17640);  // 0.1 s
    for (int i = 0; i < 300; ++i) {
        std::size_t need = chunk.size();
        while (need > 0) {
            const ssize_t n = read(fds[0], chunk.data(), need);
            if (n <= 0) break;
            need -= static_cast<std::size_t>(n);
        }
        std::this_thread::sleep_until(begin + std::chrono::milliseconds(100 * (i + 1)));
    }
    const double playerCpu = cpuSeconds(player) - playerCpu0;
    const double mpgCpu = cpuSeconds(mpg);
    const long rss = peakRssKb(player), mpgRss = peakRssKb(mpg);
    kill(mpg, SIGKILL);
    close(fds[0]);
    waitpid(mpg, nullptr, 0);

    run("xdotool key q");
    int status = 0;
    waitpid(player, &status, 0);
    stop = true;
    watcher.join();

    std::printf("whole program, 30 s of a 3-minute 192 kbit/s MP3, analyser shown:\n");
    std::printf("  corvale CPU %.2f s, mpg123 CPU %.2f s: ratio %.2f\n", playerCpu, mpgCpu,
                mpgCpu > 0 ? playerCpu / mpgCpu : 0.0);
    std::printf("  peak RSS corvale %.1f MB (mpg123 %.1f MB)\n", rss / 1024.0, mpgRss / 1024.0);
    if (firstSoundNs != 0)
        std::printf("  P key to first sound in the output %.0f ms\n", double(firstSoundNs - pressed) / 1e6);
    else
        std::printf("  no sound found in the output\n");
}

// CPU nanoseconds (schedstat) and context switches of all threads of pid.
std::pair<double, long> threadTotals(pid_t pid) {
    double ns = 0;
    long switches = 0;
    std::error_code ec;
    for (const auto &task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        double run = 0;
        std::ifstream(task.path() / "schedstat") >> run;
        ns += run;
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line))
            if (line.find("ctxt_switches:") != std::string::npos)
                switches += std::atol(line.c_str() + line.find(':') + 1);
    }
    return {ns, switches};
}

void benchIdle(const std::string &music) {
    const std::string dir = makeProgramFolder("idle");
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    const bool pulse = std::getenv("PULSE_SERVER") != nullptr;
    if (pulse) {
        unsetenv("SDL_AUDIODRIVER");
    } else {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    }
    std::printf("whole program over 10 s in each state (%s), all threads: CPU, wake-ups:\n",
                pulse ? "PulseAudio" : "disk driver");
    auto measure = [](pid_t pid, const char *state) {
        const auto [ns0, sw0] = threadTotals(pid);
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const auto [ns1, sw1] = threadTotals(pid);
        std::printf("  %-10s %6.0f ms, %5.0f wake-ups a second\n", state, (ns1 - ns0) / 1e6, double(sw1 - sw0) / 10.0);
    };
    auto window = [](pid_t) {
        const std::string wid = run("timeout 20 xdotool search --sync --onlyvisible --class corvale | head -n 1");
        run("xdotool windowfocus --sync " + wid + " 2>/dev/null");
        std::this_thread::sleep_for(std::chrono::seconds(2));
    };
    pid_t player = spawn({dir + "corvale", music});
    window(player);
    run("xdotool key p");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    measure(player, "playing");
    run("xdotool key i");  // pause
    std::this_thread::sleep_for(std::chrono::seconds(1));
    measure(player, "paused");
    run("xdotool key s");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    measure(player, "stopped");
    run("xdotool key q");
    waitpid(player, nullptr, 0);
    player = spawn({dir + "corvale"});
    window(player);
    measure(player, "no track");
    run("xdotool key q");
    waitpid(player, nullptr, 0);
    unsetenv("SDL_DISKAUDIOFILE");
}

}  // namespace

// Arguments: the parts to run (tick, startup, whole, idle); all of them by default.
int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], "--startup-child") == 0) return startupChild(argc, argv);
    auto wanted = [&](const char *part) {
        if (argc == 1) return true;
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], part) == 0) return true;
        return false;
    };

    const bool display = std::getenv("DISPLAY") != nullptr;
    setenv("QT_QPA_PLATFORM", display ? "xcb" : "offscreen", 1);
    setenv("QT_XCB_NO_MITSHM", "1", 1);  // as the program itself runs
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!onPath("lame")) {
        std::puts("lame is needed to make the test file");
        return 1;
    }
    const std::string work = makeProgramFolder("media");
    const std::string music = makeMusic(work);
    if (music.empty()) return 1;

    if (wanted("tick")) {
        int qargc = 1;
        QApplication app(qargc, argv);
        benchTick(music);
    }
    if (!display) {
        std::puts("start-up and whole-program runs need an X display: run under xvfb-run");
        return 0;
    }
    if (wanted("startup")) benchStartup(argv[0]);
    if (!wanted("whole")) {
    } else if (onPath("xdotool") && onPath("mpg123")) {
        benchWholeProgram(music);
    } else {
        std::puts("whole-program run needs xdotool and mpg123");
    }
    if (wanted("idle") && onPath("xdotool")) benchIdle(music);
    fs::remove_all(fs::path(work).parent_path());
    return 0;
}
