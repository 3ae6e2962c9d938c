// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes as an m3u list beside a few audio files: open the list as the player
// does (with a stand-in engine library), check the playlist it made, then
// step through it and shuffle it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzWorkDir.h"
#include "common/AudioFileTypes.h"
#include "common/Clock.h"
#include "common/PathUtil.h"
#include "engine/Krm1000.h"
#include "log/DebugLog.h"

namespace {

// Files the seed lists name (relative to the list, absolute, with Windows
// separators, in a sub-folder, with Japanese names).
void makeFixtures() {
    static bool made = false;
    if (made) return;
    for (const char *name : {"a.mp3", "b.WAV", "sub/c.mp2", "sub/d.rmp", "\xE6\x97\xA5\xE6\x9C\xAC.mp3", "sp ace.mp1",
                             "a.txt", "nested.m3u"})
        FuzzWorkDir::write(std::string("list/") + name, "");
    made = true;
}

int fakeOpen(const char *path, TrackInfoData *info) {
    const std::string name = PathUtil::fileName(path);
    std::strncpy(info->Title, name.c_str(), sizeof info->Title - 1);
    info->SamplingRate = 44100;
    info->LengthSeconds = 1;
    return 1;
}

class NullView : public PlayerView {
public:
    void SetTitleLine(const std::string &) override {}
    void SetLyricsLine(const std::string &) override {}
    void SetWindowCaption(const std::string &) override {}
    void ButtonEnableCheck() override {}
    void DrawTrackNumber() override {}
    void DrawAllTime() override {}
    void DrawFrequency() override {}
};

class FixedClock : public Clock {
public:
    int32_t timeGetTime() override { return 1000; }
};

void checkList(const PlayListData &pl) {
    FUZZ_CHECK(pl.LastIndex >= 0 && pl.LastIndex < Krm1000::MaxTracks);
    FUZZ_CHECK(pl.TrackCount == pl.LastIndex + 1);
    const auto count = static_cast<std::size_t>(pl.LastIndex + 1);
    FUZZ_CHECK(pl.FileList.size() >= count && pl.PlayOrder.size() >= count);
    for (std::size_t i = 0; i < count; ++i) {
        FUZZ_CHECK(AudioFileTypes::isAudioPath(pl.FileList[i]));
        FUZZ_CHECK(PathUtil::fileExists(pl.FileList[i]));
    }
    std::vector<int16_t> order(pl.PlayOrder.begin(), pl.PlayOrder.begin() + static_cast<std::ptrdiff_t>(count));
    std::sort(order.begin(), order.end());
    for (std::size_t i = 0; i < count; ++i) FUZZ_CHECK(order[i] == static_cast<int16_t>(i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    constexpr std::size_t MaxBytes = 64 * 1024;
    if (size > MaxBytes) return 0;
    makeFixtures();
    const std::string list =
        FuzzWorkDir::write("list/fuzz.m3u", std::string_view(reinterpret_cast<const char *>(data), size));

    Vbmp3Api api;
    api.vbmp3_open = fakeOpen;
    DebugLog log;
    FixedClock clock;
    SettingData settings;
    EngineOptionData options;
    options.PlayMode = size % 2 == 0 ? PlayModes::RepeatAll : PlayModes::Random;
    NullView view;
    Krm1000 engine(api, log, clock, settings, options, view);
    engine.setRandomSource([n = 0u]() mutable { return static_cast<double>(n++ % 7) / 7.0; });

    if (engine.bytPlayListNewOpen(list) != 0) {
        FUZZ_CHECK(engine.state().PlayList.LastIndex < 0);
        return 0;
    }
    const PlayListData &pl = engine.state().PlayList;
    checkList(pl);
    for (int i = 0; i < std::min<int>(pl.TrackCount + 1, 5); ++i) FUZZ_CHECK(engine.bytPlayForward() == 0);
    engine.TrackRandomize();
    checkList(pl);
    FUZZ_CHECK(engine.bytPlayRewind() == 0);
    return 0;
}
