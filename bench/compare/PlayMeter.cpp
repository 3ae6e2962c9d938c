// SPDX-License-Identifier: GPL-3.0-or-later
// playmeter: measures one player while it plays into a PulseAudio null sink.
//
//   playmeter measure --monitor SOURCE --pidfile F --markfile M --csv OUT [--seconds 30] [--xpid PID]
//     Records SOURCE (the sink's monitor) with parec, prints "ready" once the
//     recording runs, then waits for the player's pid (F) and the moment it was
//     told to play (M, CLOCK_REALTIME nanoseconds, as `date +%s%N` prints).
//     It samples the CPU time (the run time of every live thread, from
//     schedstat, plus the utime + stime of the children they reaped) and the
//     peak RSS (VmHWM) of the player's whole process tree every
//     100 ms until SECONDS after the first non-silent sample, and prints
//       cpu=<CPU seconds in the SECONDS after the first sound> rss_kb=<peak>
//       ttfs_ms=<first sound - play moment> sound=<0|1> xcpu=<the same for PID>
//     PID is the X server the player draws on (its own Xvfb): its CPU over the
//     same window.
//     OUT gets the samples: seconds from the first sound, CPU seconds so far,
//     RSS in kB.
//
//   playmeter summary RESULTS PLOTLIST
//     RESULTS has lines "player<TAB>run<TAB>cpu<TAB>rss_kb<TAB>ttfs_ms<TAB>csv<TAB>xcpu".
//     Prints a Markdown table of the medians per player, each also as a ratio
//     to mpg123's medians, and writes PLOTLIST: "player<TAB>csv" of the run
//     nearest each player's median CPU, for cpuplot.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int Rate = 44100;
constexpr int Silence = 64;  // about -54 dBFS in 16-bit samples

int64_t realtimeNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::string option(int argc, char **argv, const char *name, const char *fallback = "") {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
    return fallback;
}

// Empty when the file cannot be read (a /proc file of a process that has just
// ended fails in the middle of the read).
std::string readFile(const std::string &path) {
    try {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    } catch (const std::exception &) {
        return {};
    }
}

// Fields of /proc/<pid>/stat after the command name; empty when gone.
std::vector<std::string> statFields(const std::string &pid) {
    const std::string s = readFile("/proc/" + pid + "/stat");
    const std::size_t close = s.rfind(')');
    std::vector<std::string> fields;
    if (close == std::string::npos) return fields;
    std::istringstream in(s.substr(close + 2));
    std::string f;
    while (in >> f) fields.push_back(f);
    return fields;
}

// The pid and its descendants, alive now.
std::vector<std::string> processTree(const std::string &root) {
    std::multimap<std::string, std::string> children;
    for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
        const auto fields = statFields(name);
        if (fields.size() > 1) children.emplace(fields[1], name);
    }
    std::vector<std::string> tree{root};
    for (std::size_t i = 0; i < tree.size(); ++i) {
        auto range = children.equal_range(tree[i]);
        for (auto it = range.first; it != range.second; ++it) tree.push_back(it->second);
    }
    return tree;
}

long peakRssKb(const std::string &pid) {
    std::istringstream in(readFile("/proc/" + pid + "/status"));
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

struct Sample {
    int64_t ns;
    double cpu;
    long rssKb;
    double xcpu = 0;
};

// Run time of the process's live threads in seconds, from schedstat (exact,
// where utime and stime are counted in clock ticks: a thread that wakes
// 100 times a second for a few microseconds each time is mostly asleep when
// the tick comes and is undercounted). Negative when schedstat is missing.
double threadsRunSeconds(const std::string &pid) {
    double total = 0;
    bool any = false;
    std::error_code ec;
    for (const auto &task : std::filesystem::directory_iterator("/proc/" + pid + "/task", ec)) {
        const std::string s = readFile(task.path().string() + "/schedstat");
        if (s.empty()) continue;
        total += double(std::atoll(s.c_str())) / 1e9;
        any = true;
    }
    return any ? total : -1;
}

Sample sampleTree(const std::string &root) {
    Sample s{realtimeNs(), 0, 0};
    const double tick = double(sysconf(_SC_CLK_TCK));
    for (const std::string &pid : processTree(root)) {
        const auto f = statFields(pid);
        if (f.size() < 15) continue;
        // utime, stime, cutime, cstime: fields 14-17 of the whole line.
        const double own = threadsRunSeconds(pid);
        s.cpu += own >= 0 ? own : double(std::atoll(f[11].c_str()) + std::atoll(f[12].c_str())) / tick;
        s.cpu += double(std::atoll(f[13].c_str()) + std::atoll(f[14].c_str())) / tick;
        s.rssKb += peakRssKb(pid);
    }
    return s;
}

// CPU seconds at moment ns, interpolated between samples.
double cpuAt(const std::vector<Sample> &samples, int64_t ns) {
    if (samples.empty()) return 0;
    if (ns <= samples.front().ns) return samples.front().cpu;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i].ns >= ns) {
            const Sample &a = samples[i - 1], &b = samples[i];
            const double f = double(ns - a.ns) / double(std::max<int64_t>(1, b.ns - a.ns));
            return a.cpu + f * (b.cpu - a.cpu);
        }
    }
    return samples.back().cpu;
}

// Reads the monitor recording and notes when its first sound was played.
class Recorder {
public:
    explicit Recorder(const std::string &monitor) {
        int fds[2];
        if (pipe(fds) != 0) return;
        const std::string dev = "--device=" + monitor;
        const char *argv[] = {"parec",        dev.c_str(),         "--raw", "--format=s16le", "--rate=44100",
                              "--channels=2", "--latency-msec=10", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        if (posix_spawnp(&pid_, "parec", &actions, nullptr, const_cast<char **>(argv), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        fd_ = fds[0];
        thread_ = std::thread([this] { loop(); });
    }
    ~Recorder() {
        if (pid_ > 0) kill(pid_, SIGTERM);
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) close(fd_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    bool running() const { return running_; }
    int64_t firstSoundNs() const { return firstSound_; }

private:
    void loop() {
        std::vector<int16_t> buf(2 * 441);  // 10 ms
        while (true) {
            const ssize_t n = read(fd_, buf.data(), buf.size() * sizeof(int16_t));
            if (n <= 0) return;
            const int64_t arrived = realtimeNs();
            running_ = true;
            const std::size_t samples = static_cast<std::size_t>(n) / sizeof(int16_t);
            if (firstSound_ != 0) continue;
            for (std::size_t i = 0; i < samples; ++i) {
                if (std::abs(int(buf[i])) > Silence) {
                    // The sample was played (samples - i) / 2 frames before the chunk arrived.
                    firstSound_ = arrived - int64_t(double(samples - i) / 2 * 1e9 / Rate);
                    break;
                }
            }
        }
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<int64_t> firstSound_{0};
};

std::string waitForFile(const std::string &path, int64_t deadlineNs) {
    while (realtimeNs() < deadlineNs) {
        std::string text = readFile(path);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        if (!text.empty()) return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

int measure(int argc, char **argv) {
    const std::string monitor = option(argc, argv, "--monitor", "nullsink.monitor");
    const std::string pidFile = option(argc, argv, "--pidfile"), markFile = option(argc, argv, "--markfile");
    const std::string csv = option(argc, argv, "--csv");
    const double seconds = std::atof(option(argc, argv, "--seconds", "30").c_str());
    Recorder recorder(monitor);
    const int64_t start = realtimeNs();
    while (!recorder.running() && realtimeNs() < start + 10'000'000'000)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!recorder.running()) {
        std::puts("error=no-recording");
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);

    const std::string pid = waitForFile(pidFile, realtimeNs() + 60'000'000'000);
    const std::string mark = waitForFile(markFile, realtimeNs() + 60'000'000'000);
    if (pid.empty() || mark.empty()) {
        std::puts("error=no-player");
        return 1;
    }
    const int64_t markNs = std::atoll(mark.c_str());
    const std::string xpid = option(argc, argv, "--xpid");
    std::vector<Sample> samples, xsamples;
    const int64_t window = int64_t(seconds * 1e9);
    while (true) {
        samples.push_back(sampleTree(pid));
        if (!xpid.empty()) xsamples.push_back(sampleTree(xpid));
        const int64_t now = samples.back().ns, sound = recorder.firstSoundNs();
        if (sound != 0 && now > sound + window + 200'000'000) break;
        if (sound == 0 && now > markNs + window) break;  // it never sounded: the window from the play moment
        if (!std::filesystem::exists("/proc/" + pid)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const int64_t sound = recorder.firstSoundNs();
    const int64_t from = sound != 0 ? sound : markNs;
    long rss = 0;
    for (const Sample &s : samples) rss = std::max(rss, s.rssKb);
    if (!csv.empty()) {
        std::ofstream out(csv);
        for (const Sample &s : samples) out << double(s.ns - from) / 1e9 << '\t' << s.cpu << '\t' << s.rssKb << '\n';
    }
    std::printf("cpu=%.3f rss_kb=%ld ttfs_ms=%.1f sound=%d xcpu=%.3f\n",
                cpuAt(samples, from + window) - cpuAt(samples, from), rss,
                sound != 0 ? double(sound - markNs) / 1e6 : -1.0, sound != 0 ? 1 : 0,
                cpuAt(xsamples, from + window) - cpuAt(xsamples, from));
    return 0;
}

double median(std::vector<double> v) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Runs {
    std::vector<double> cpu, rssMb, ttfs, xcpu, sum;
    std::vector<std::string> csv;
};

std::string ratio(double v, double ref) {
    if (!(ref > 0) || std::isnan(v)) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f x", v / ref);
    return buf;
}

int summary(const char *resultsPath, const char *plotListPath) {
    std::ifstream in(resultsPath);
    std::vector<std::string> order;
    std::map<std::string, Runs> runs;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string player, run, cpu, rss, ttfs, csv, xcpu;
        if (!std::getline(fields, player, '\t') || !std::getline(fields, run, '\t') ||
            !std::getline(fields, cpu, '\t') || !std::getline(fields, rss, '\t') || !std::getline(fields, ttfs, '\t'))
            continue;
        std::getline(fields, csv, '\t');
        std::getline(fields, xcpu, '\t');
        if (!runs.count(player)) order.push_back(player);
        Runs &r = runs[player];
        r.cpu.push_back(std::atof(cpu.c_str()));
        r.rssMb.push_back(std::atof(rss.c_str()) / 1024.0);
        if (std::atof(ttfs.c_str()) >= 0) r.ttfs.push_back(std::atof(ttfs.c_str()));
        r.csv.push_back(csv);
        r.xcpu.push_back(std::atof(xcpu.c_str()));
        r.sum.push_back(r.cpu.back() + r.xcpu.back());
    }
    const Runs *floor = runs.count("mpg123") ? &runs["mpg123"] : nullptr;
    const double refCpu = floor ? median(floor->cpu) : NAN, refRss = floor ? median(floor->rssMb) : NAN,
                 refTtfs = floor ? median(floor->ttfs) : NAN, refSum = floor ? median(floor->sum) : NAN;
    std::printf(
        "| Player | Runs | CPU s / 30 s (min-max) | x mpg123 | X server CPU s | Player + X s | x mpg123 | "
        "Peak RSS MB | x mpg123 | First sound ms | x mpg123 |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
    std::ofstream plot(plotListPath);
    for (const std::string &player : order) {
        const Runs &r = runs[player];
        const double cpu = median(r.cpu), rss = median(r.rssMb), ttfs = median(r.ttfs);
        const auto [lo, hi] = std::minmax_element(r.cpu.begin(), r.cpu.end());
        char ttfsText[32] = "no sound";
        if (!std::isnan(ttfs)) std::snprintf(ttfsText, sizeof ttfsText, "%.0f", ttfs);
        const double sum = median(r.sum);
        std::printf("| %s | %zu | %.2f (%.2f-%.2f) | %s | %.2f | %.2f | %s | %.1f | %s | %s | %s |\n", player.c_str(),
                    r.cpu.size(), cpu, *lo, *hi, ratio(cpu, refCpu).c_str(), median(r.xcpu), sum,
                    ratio(sum, refSum).c_str(), rss, ratio(rss, refRss).c_str(), ttfsText,
                    ratio(ttfs, refTtfs).c_str());
        std::size_t nearest = 0;
        for (std::size_t i = 1; i < r.cpu.size(); ++i)
            if (std::fabs(r.cpu[i] - cpu) < std::fabs(r.cpu[nearest] - cpu)) nearest = i;
        plot << player << '\t' << r.csv[nearest] << '\n';
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc >= 2 && std::strcmp(argv[1], "measure") == 0) return measure(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "summary") == 0) return summary(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: playmeter measure --monitor SOURCE --pidfile F --markfile M --csv OUT [--seconds 30] "
                 "[--xpid PID]\n"
                 "       playmeter summary RESULTS PLOTLIST\n");
    return 2;
}
