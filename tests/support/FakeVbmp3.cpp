// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeVbmp3.h"

#include <algorithm>
#include <cstring>

namespace {
thread_local FakeVbmp3 *g_current = nullptr;

FakeVbmp3 &fake() { return FakeVbmp3::current(); }
int record(std::string call) {
    fake().calls.push_back(std::move(call));
    return 1;
}
void copyField(char *field, std::size_t size, const std::string &text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}
}  // namespace

FakeVbmp3::FakeVbmp3() : previous_(g_current) { g_current = this; }
FakeVbmp3::~FakeVbmp3() { g_current = previous_; }
FakeVbmp3 &FakeVbmp3::current() { return *g_current; }

int FakeVbmp3::count(std::string_view call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

std::vector<std::string> FakeVbmp3::opened() const {
    std::vector<std::string> paths;
    for (const std::string &c : calls)
        if (c.rfind("open ", 0) == 0) paths.push_back(c.substr(5));
    return paths;
}

void FakeVbmp3::setLyric(int key, std::string_view text) {
    lyrics.Key = key;
    copyField(lyrics.Text[5], sizeof lyrics.Text[5], std::string(text));
}

Vbmp3Api FakeVbmp3::api() {
    Vbmp3Api a;
    a.vbmp3_init = [] { return record("init"); };
    a.vbmp3_free = [] { return record("free"); };
    a.vbmp3_setVbmp3Option = [](const Vbmp3OptionData *) { return record("setVbmp3Option"), fake().framesResult; };
    a.vbmp3_setDecodeOption = [](const DecodeOptionData *) { return record("setDecodeOption"), fake().decodeResult; };
    a.vbmp3_setKaraokeUse = [](int use) { return record("setKaraokeUse " + std::to_string(use)); };
    a.vbmp3_open = [](const char *path, TrackInfoData *info) {
        record(std::string("open ") + path);
        copyField(info->Title, sizeof info->Title, "stale");
        info->SamplingRate = 99;
        if (fake().failingOpens.count(path) != 0) return 0;
        const auto t = fake().titles.find(path);
        const bool titled = t != fake().titles.end();
        copyField(info->Title, sizeof info->Title, titled ? t->second.first : "");
        copyField(info->SecondLine, sizeof info->SecondLine, titled ? t->second.second : "");
        info->SamplingRate = 44100;
        info->LengthSeconds = 200;
        return 1;
    };
    a.vbmp3_play = [] { return record("play"); };
    a.vbmp3_stop = [] { return record("stop"); };
    a.vbmp3_pause = [] { return record("pause"); };
    a.vbmp3_restart = [] { return record("restart"); };
    a.vbmp3_close = [] { return record("close"); };
    a.vbmp3_seek = [](int s) { return record("seek " + std::to_string(s)); };
    a.vbmp3_getState = [](int *e) { return *e = fake().elapsed, fake().state; };
    a.vbmp3_getPlayBitRate = [] { return fake().bitRate; };
    a.vbmp3_clearLyrics = [] { return record("clearLyrics"); };
    a.vbmp3_setLyricsFile = [](const char *path) { return record(std::string("setLyricsFile ") + path); };
    a.vbmp3_getLyrics2 = [](LyricsData *d) { return *d = fake().lyrics, 1; };
    return a;
}
