// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/TextCodec.h"
#include "config/Krc1000.h"
#include "config/SettingFile.h"
#include "support/TempDir.h"

namespace {

class Krc1000Settings : public ::testing::Test {
protected:
    std::string iniPath() const { return dir.file("corvale.ini"); }
    std::string ini() const { return TempDir::read(iniPath()); }

    TempDir dir;
    DebugLog log;
    Krc1000 krc{log, dir.path()};
};

SettingData defaultsFor(const std::string &appPath) {
    SettingData d;
    SettingFile::setDefaults(d, appPath);
    d.LyricBaseTime = 1;
    return d;
}

TEST_F(Krc1000Settings, MissingFileIsCreatedThenRead) {
    ASSERT_EQ(krc.bytSettingRead(), 0);
    EXPECT_EQ(ini(), SettingFile::createdText(dir.path()));
    EXPECT_EQ(krc.settings(), defaultsFor(dir.path()));
}

TEST_F(Krc1000Settings, WriteThenReadGivesTheSameFileAndRecord) {
    TempDir other;
    const std::string editor = other.write("エディタ", "#!/bin/sh\n");
    // No value is a default, so a field that is lost or swapped shows.
    const std::string body =
        "ColorSet=2\r\nPositionX=-300\r\nPositionY=4500\r\nPlayMode=1\r\nBassAssist=0\r\nTrebleAssist=0\r\n"
        "AllwaysTop=0\r\nLastPath=/music/a=b/日本語/\r\nEasySetting=255\r\nBasicSet=2\r\nInputSample=1\r\n"
        "OutputSample=22050\r\nInputFrame=50\r\nOutputFrame=40\r\nInputWait=10\r\nOutputWait=3\r\n"
        "OutputChannel=1\r\nSpeana=255\r\nPeakHold=0\r\nFFTFunction=3\r\nSpeanaMode=1\r\nSpeanaInterval=80\r\n"
        "LyricBaseTime=0\r\nLyricNotTimeLine=255\r\nLyricTimeOffset=-1000\r\nCEditor=" +
        editor + "\r\n";
    dir.write("corvale.ini", "DebugMode=127\r\n" + body);
    ASSERT_EQ(krc.bytSettingRead(), 0);
    krc.settings().HalfVolume = 0;
    ASSERT_EQ(krc.bytSettingWrite(), 0);
    EXPECT_EQ(ini(), "DebugMode=127\r\n" + body);  // 27 lines, in order

    DebugLog log2;
    Krc1000 again(log2, dir.path());
    ASSERT_EQ(again.bytSettingRead(), 0);
    SettingData expected = krc.settings();
    expected.HalfVolume = 255;  // never stored: every run starts at full volume
    EXPECT_EQ(again.settings(), expected);
    EXPECT_EQ(again.engineOptions(), (EngineOptionData{1, 1, 22050, 50, 40, 10, 3, 1}));

    again.settings().DebugMode = 255;
    ASSERT_EQ(again.bytSettingWrite(), 0);
    EXPECT_EQ(ini(), body);  // 26 lines without DebugMode
    // Only the settings file is in the folder: no temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(Krc1000Settings, ValueThatDoesNotConvertFailsAndLeavesTheFile) {
    for (const char *line : {"ColorSet=256", "DebugMode=0=0"}) {
        const std::string text = std::string("PlayMode=1\r\n") + line + "\r\n";
        dir.write("corvale.ini", text);
        EXPECT_EQ(krc.bytSettingRead(), 255) << line;
        EXPECT_EQ(krc.readFailure(), iniPath() + " (2 行目)");
        EXPECT_EQ(ini(), text);
        EXPECT_EQ(krc.settings().PlayMode, 255) << "the record stays at its defaults";
    }
    // A path in CP932 ("/音楽/").
    dir.write("corvale.ini", "LastPath=/\x89\xb9\x8a\x79/\r\n");
    ASSERT_EQ(krc.bytSettingRead(), 0);
    EXPECT_EQ(krc.settings().LastPath, "/音楽/");
}

// The program runs with the defaults; the write at exit fails and says so.
TEST_F(Krc1000Settings, FileThatCannotBeCreatedOrWritten) {
    std::filesystem::create_directory(iniPath());
    EXPECT_EQ(krc.bytSettingRead(), 0);
    EXPECT_EQ(krc.settings(), defaultsFor(dir.path()));
    EXPECT_EQ(krc.bytSettingWrite(), 255);
}

// Each entry of the fake engine table records its call.
std::vector<std::pair<std::string, int>> engineCalls;
Vbmp3Api recordingTable() {
    Vbmp3Api api;
    api.vbmp3_setLyricsTime = [](int v) { return engineCalls.emplace_back("time", v), 1; };
    api.vbmp3_setFftWindow = [](int v) { return engineCalls.emplace_back("fft", v), 1; };
    api.vbmp3_setNotTagLyricsLine = [](int v) { return engineCalls.emplace_back("untimed", v), 1; };
    api.vbmp3_setLyricsAdjustTime = [](int v) { return engineCalls.emplace_back("offset", v), 1; };
    return api;
}

TEST_F(Krc1000Settings, InitHandsTheLyricAndFftSettingsToTheEngine) {
    krc.settings().LyricNotTimeLine = 0;
    krc.settings().LyricTimeOffset = -40;
    EXPECT_EQ(krc.KRC1000_Init(recordingTable()), 0);
    EXPECT_EQ(engineCalls[2], std::make_pair(std::string("untimed"), 1));
    EXPECT_EQ(engineCalls[3], std::make_pair(std::string("offset"), -40));
    Vbmp3Api api = recordingTable();  // a missing entry fails the init; the others are still called
    api.vbmp3_setFftWindow = nullptr;
    engineCalls.clear();
    EXPECT_EQ(krc.KRC1000_Init(api), 255);
    EXPECT_EQ(engineCalls.size(), 3u);
}

}  // namespace
