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

TEST_F(Krc1000Settings, MissingFileIsCreatedThenRead) {
    ASSERT_EQ(krc.bytSettingRead(), 0);
    EXPECT_EQ(ini(), SettingFile::createdText(dir.path()));
    EXPECT_EQ(TextCodec::splitLines(ini()).size(), 26u);
    SettingData defaults;
    SettingFile::setDefaults(defaults, dir.path());
    defaults.LyricBaseTime = 1;
    EXPECT_EQ(krc.settings(), defaults);
    EXPECT_EQ(krc.engineOptions(), EngineOptionData{});
    EXPECT_EQ(log.debugMode(), 255);
    EXPECT_EQ(log.list().size(), 0u);
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
        "LyricBaseTime=0\r\nLyricNotTimeLine=255\r\nLyricTimeOffset=-1000\r\nCEditor=" + editor + "\r\n";
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
    const EngineOptionData engine{1, 1, 22050, 50, 40, 10, 3, 1};
    EXPECT_EQ(again.engineOptions(), engine);

    again.settings().DebugMode = 255;
    ASSERT_EQ(again.bytSettingWrite(), 0);
    EXPECT_EQ(ini(), body);  // 26 lines without DebugMode
    // Only the settings file is in the folder: no temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(Krc1000Settings, ValueThatDoesNotConvertFailsAndLeavesTheFile) {
    for (const char *line : {"ColorSet=256", "PositionX=2147483648", "DebugMode=0=0"}) {
        const std::string text = std::string("PlayMode=1\r\n") + line + "\r\n";
        dir.write("corvale.ini", text);
        EXPECT_EQ(krc.bytSettingRead(), 255) << line;
        EXPECT_EQ(ini(), text);
        EXPECT_EQ(krc.settings().PlayMode, 255) << "the record stays at its defaults";
    }
    // A path in CP932 ("/音楽/").
    dir.write("corvale.ini", "LastPath=/\x89\xb9\x8a\x79/\r\n");
    ASSERT_EQ(krc.bytSettingRead(), 0);
    EXPECT_EQ(krc.settings().LastPath, "/音楽/");
}

// Unknown keys and broken text are skipped; a broken value fails the read.
TEST_F(Krc1000Settings, BinaryGarbageAndHugeLines) {
    std::string garbage;
    uint32_t x = 12345;
    for (int i = 0; i < 64 * 1024; ++i) garbage.push_back(static_cast<char>((x = x * 1103515245u + 12345u) >> 24));
    const std::string huge(10 * 1024 * 1024, '7');
    const std::pair<std::string, int> cases[] = {{garbage + "\r\nPlayMode=2\r\n", 0}, {"PositionX=" + garbage + "\r\n", 255},
                                                 {huge + "\r\nPlayMode=2\r\n", 0}, {"PositionY=" + huge + "\r\n", 255}};
    for (const auto &[text, result] : cases) {
        dir.write("corvale.ini", text);
        ASSERT_EQ(krc.bytSettingRead(), result);
        if (result == 0) {
            EXPECT_EQ(krc.settings().PlayMode, 2);
        }
    }
}

TEST_F(Krc1000Settings, FileVanishingBeforeTheReadFails) {
    dir.write("corvale.ini", "PlayMode=1\r\n");
    krc.setBeforeSettingsRead([](const std::string &path) { std::filesystem::remove(path); });
    EXPECT_EQ(krc.bytSettingRead(), 255);
    EXPECT_FALSE(std::filesystem::exists(iniPath()));
}

TEST_F(Krc1000Settings, FileThatCannotBeCreatedOrWritten) {
    std::filesystem::create_directory(iniPath());
    EXPECT_EQ(krc.bytSettingRead(), 255);
    EXPECT_EQ(krc.bytSettingMake(), 255);
    EXPECT_EQ(krc.bytSettingWrite(), 255);
    EXPECT_TRUE(std::filesystem::is_directory(iniPath()));

    DebugLog log2;
    Krc1000 nowhere(log2, dir.file("missing/folder/"));
    EXPECT_EQ(nowhere.bytSettingRead(), 255);
    EXPECT_EQ(nowhere.bytSettingWrite(), 255);
}

// A fake engine table: each entry records its call.
struct EngineCalls {
    static std::vector<std::pair<std::string, int>> &log() {
        static std::vector<std::pair<std::string, int>> calls;
        return calls;
    }
    static int record(const char *name, int v) {
        log().emplace_back(name, v);
        return 1;
    }
    static Vbmp3Api table() {
        Vbmp3Api api;
        api.vbmp3_setLyricsTime = [](int v) { return record("vbmp3_setLyricsTime", v); };
        api.vbmp3_setFftWindow = [](int v) { return record("vbmp3_setFftWindow", v); };
        api.vbmp3_setNotTagLyricsLine = [](int v) { return record("vbmp3_setNotTagLyricsLine", v); };
        api.vbmp3_setLyricsAdjustTime = [](int v) { return record("vbmp3_setLyricsAdjustTime", v); };
        return api;
    }
};

TEST_F(Krc1000Settings, InitHandsTheLyricAndFftSettingsToTheEngine) {
    krc.settings().LyricBaseTime = 1;
    krc.settings().FFTFunction = 2;
    krc.settings().LyricNotTimeLine = 0;
    krc.settings().LyricTimeOffset = -40;
    EngineCalls::log().clear();
    EXPECT_EQ(krc.KRC1000_Init(EngineCalls::table()), 0);
    const std::vector<std::pair<std::string, int>> expected{{"vbmp3_setLyricsTime", 1},
                                                            {"vbmp3_setFftWindow", 2},
                                                            {"vbmp3_setNotTagLyricsLine", 1},
                                                            {"vbmp3_setLyricsAdjustTime", -40}};
    EXPECT_EQ(EngineCalls::log(), expected);

    // A missing entry fails the init; the other three calls are still made.
    Vbmp3Api api = EngineCalls::table();
    api.vbmp3_setFftWindow = nullptr;
    EngineCalls::log().clear();
    EXPECT_EQ(krc.KRC1000_Init(api), 255);
    EXPECT_EQ(EngineCalls::log().size(), 3u);
}

}  // namespace
