// SPDX-License-Identifier: GPL-3.0-or-later
// Loads an m3u of 9999 existing files (relative lines) with bytPlayListNewOpen
// and shuffles 9999 entries with TrackRandomize; prints the median times.
// Runs on the real file system in a temporary folder, without the engine
// library (an empty function table).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/SteadyClock.h"
#include "engine/Krm1000.h"
#include "log/DebugLog.h"

namespace {

class QuietView : public PlayerView {
public:
    void SetTitleLine(const std::string &) override {}
    void SetLyricsLine(const std::string &) override {}
    void SetWindowCaption(const std::string &) override {}
    void ButtonEnableCheck() override {}
    void DrawTrackNumber() override {}
    void DrawAllTime() override {}
    void DrawFrequency() override {}
};

template <typename F>
double medianMs(int runs, F &&work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    std::string tmpl = (fs::temp_directory_path() / "corvale-engine-bench-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) return 1;
    const fs::path root(tmpl);
    fs::create_directories(root / "music");
    std::ofstream list(root / "list.m3u", std::ios::binary);
    for (int i = 0; i < Krm1000::MaxTracks; ++i) {
        const std::string name = "track " + std::to_string(i) + ".mp3";
        std::ofstream(root / "music" / name).put('\0');
        list << "music\\" << name << "\r\n";
    }
    list.close();

    Vbmp3Api api;  // no library: every call is skipped
    DebugLog log;
    SteadyClock clock;
    SettingData settings;
    EngineOptionData options;
    QuietView view;
    Krm1000 engine(api, log, clock, settings, options, view);
    engine.KRM1000_Init();

    const std::string listPath = (root / "list.m3u").string();
    const double loadMs = medianMs(21, [&] { engine.bytPlayListNewOpen(listPath); });
    const int loaded = engine.state().PlayList.TrackCount;
    const double shuffleMs = medianMs(201, [&] { engine.TrackRandomize(); });

    std::printf("bytPlayListNewOpen, m3u of %d existing files (relative lines): median %.2f ms (goal < 100 ms)\n",
                loaded, loadMs);
    std::printf("TrackRandomize of %d entries: median %.3f ms (goal < 2 ms)\n", loaded, shuffleMs);
    fs::remove_all(root);
    return loaded == Krm1000::MaxTracks ? 0 : 1;
}
