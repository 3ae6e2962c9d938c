#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/TextCodec.h"
#include "config/SettingFile.h"
#include "support/TempDir.h"

namespace {

SettingData readText(const std::string &text, bool *ok = nullptr) {
    SettingData s;
    SettingFile::setDefaults(s, "/app/");
    const bool converted = SettingFile::applyLines(TextCodec::splitLines(text), s);
    if (ok) *ok = converted;
    SettingFile::applyChecks(s);
    return s;
}

struct CheckCase {
    const char *line;
    std::function<int(const SettingData &)> field;
    int expected;
};

TEST(SettingFile, ChecksBringValuesIntoRange) {
    using S = const SettingData &;
    const CheckCase cases[] = {
        {"DebugMode=1", [](S s) { return s.DebugMode; }, 255},
        {"DebugMode=127", [](S s) { return s.DebugMode; }, 127},
        {"DebugMode=0", [](S s) { return s.DebugMode; }, 0},
        {"AllwaysTop=7", [](S s) { return s.AllwaysTop; }, 255},
        {"PeakHold=7", [](S s) { return s.PeakHold; }, 0},
        {"Speana=7", [](S s) { return s.Speana; }, 0},
        {"PlayMode=2", [](S s) { return s.PlayMode; }, 2},
        {"PlayMode=3", [](S s) { return s.PlayMode; }, 255},
        {"BassAssist=0", [](S s) { return s.BassAssist; }, 0},
        {"TrebleAssist=1", [](S s) { return s.TrebleAssist; }, 255},
        {"EasySetting=1", [](S s) { return s.EasySetting; }, 0},
        {"BasicSet=9", [](S s) { return s.BasicSet; }, 4},
        {"BasicSet=3", [](S s) { return s.BasicSet; }, 3},
        {"InputSample=3", [](S s) { return s.InputSample; }, 0},
        {"OutputSample=8000", [](S s) { return s.OutputSample; }, 48000},
        {"OutputSample=11025", [](S s) { return s.OutputSample; }, 11025},
        {"OutputSample=48001", [](S s) { return s.OutputSample; }, 48000},
        {"InputFrame=0", [](S s) { return s.InputFrame; }, 30},
        {"InputFrame=10", [](S s) { return s.InputFrame; }, 20},  // raised to OutputFrame
        {"OutputFrame=101", [](S s) { return s.OutputFrame; }, 20},
        {"InputWait=51", [](S s) { return s.InputWait; }, 5},
        {"OutputWait=51", [](S s) { return s.OutputWait; }, 0},
        {"OutputChannel=2", [](S s) { return s.OutputChannel; }, 0},
        {"SpeanaMode=2", [](S s) { return s.SpeanaMode; }, 0},
        {"SpeanaInterval=0", [](S s) { return s.SpeanaInterval; }, 10},
        {"SpeanaInterval=81", [](S s) { return s.SpeanaInterval; }, 10},
        {"SpeanaInterval=1", [](S s) { return s.SpeanaInterval; }, 1},
        {"SpeanaInterval=80", [](S s) { return s.SpeanaInterval; }, 80},
        {"FFTFunction=4", [](S s) { return s.FFTFunction; }, 1},
        {"FFTFunction=3", [](S s) { return s.FFTFunction; }, 3},
        {"LyricBaseTime=2", [](S s) { return s.LyricBaseTime; }, 1},
        {"LyricNotTimeLine=1", [](S s) { return s.LyricNotTimeLine; }, 0},
        {"LyricTimeOffset=-1001", [](S s) { return s.LyricTimeOffset; }, 0},
        {"LyricTimeOffset=-1000", [](S s) { return s.LyricTimeOffset; }, -1000},
        {"PositionX=-300", [](S s) { return s.PositionX; }, -300},
        {"ColorSet=200", [](S s) { return s.ColorSet; }, 200},
        {"colorset=  7  ", [](S s) { return s.ColorSet; }, 7},
        {"ColorSet=2.5", [](S s) { return s.ColorSet; }, 2},
        {"ColorSet=3.5", [](S s) { return s.ColorSet; }, 4},
        {"ColorSet=&H10", [](S s) { return s.ColorSet; }, 16},
        {"PositionY=1e3", [](S s) { return s.PositionY; }, 1000},
        {"BASSASSIST=0", [](S s) { return s.BassAssist; }, 0},    // keys in any case
        {"BassAssist =0", [](S s) { return s.BassAssist; }, 255}, // blank makes the key unknown
        {"BassAssist", [](S s) { return s.BassAssist; }, 255},    // no "=": ignored
    };
    for (const CheckCase &c : cases) {
        bool ok = false;
        const SettingData s = readText(std::string(c.line) + "\r\n", &ok);
        EXPECT_TRUE(ok) << c.line;
        EXPECT_EQ(c.field(s), c.expected) << c.line;
    }
}

TEST(SettingFile, ValuesThatDoNotConvertFailTheRead) {
    for (const char *line : {"ColorSet=abc", "ColorSet=256", "ColorSet=-1", "ColorSet=", "ColorSet=1e3",
                             "PositionX=2147483648", "LyricTimeOffset=x", "DebugMode=0=0"}) {
        SettingData s;
        EXPECT_FALSE(SettingFile::applyLines({"PlayMode=1", line}, s)) << line;
    }
}

TEST(SettingFile, KeysValuesAndLineEnds) {
    bool ok = false;
    // LF-only and CR-only line ends, an empty line, a later duplicate, a value holding "=".
    const SettingData s = readText("PlayMode=1\n\nPlayMode=2\rLastPath=/a=b/\r\nCEditor=/no/such/editor\n", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(s.PlayMode, 2);
    EXPECT_EQ(s.LastPath, "/a=b/");
    EXPECT_EQ(s.CEditor, "");  // names no existing file

    TempDir dir;
    const std::string editor = dir.write("editor", "#!/bin/sh\n");
    EXPECT_EQ(readText("CEditor=" + editor + "\r\n").CEditor, editor);
}

TEST(SettingFile, LyricFieldsKeepTheirValueWhenNotNamed) {
    SettingData s;
    s.LyricBaseTime = 0;
    s.LyricTimeOffset = 0;
    SettingFile::setDefaults(s, "/app/");
    ASSERT_TRUE(SettingFile::applyLines({"PlayMode=1"}, s));
    SettingFile::applyChecks(s);
    EXPECT_EQ(s.LyricBaseTime, 0);
    EXPECT_EQ(s.LyricNotTimeLine, 0);
    EXPECT_EQ(s.LyricTimeOffset, 0);
    EXPECT_EQ(s.LastPath, "/app/");
    EXPECT_EQ(s.HalfVolume, 255);
}

TEST(SettingFile, CreatedTextIsTheDefaultFile) {
    const std::string expected =
        "ColorSet=0\r\nPositionX=0\r\nPositionY=0\r\nPlayMode=255\r\nBassAssist=255\r\nTrebleAssist=255\r\n"
        "AllwaysTop=255\r\nLastPath=/home/u/Corvale/\r\nEasySetting=0\r\nBasicSet=4\r\nInputSample=0\r\n"
        "OutputSample=48000\r\nInputFrame=30\r\nOutputFrame=20\r\nInputWait=5\r\nOutputWait=0\r\n"
        "OutputChannel=0\r\nSpeana=0\r\nPeakHold=255\r\nSpeanaMode=0\r\nSpeanaInterval=10\r\n"
        "FFTFunction=1\r\nLyricBaseTime=1\r\nLyricNotTimeLine=0\r\nLyricTimeOffset=0\r\nCEditor=\r\n";
    EXPECT_EQ(SettingFile::createdText("/home/u/Corvale/"), expected);
    EXPECT_EQ(TextCodec::splitLines(expected).size(), 26u);
}

TEST(SettingFile, WrittenTextHas26Or27LinesInOrder) {
    SettingData s;
    s.ColorSet = 3;
    s.PositionX = -300;
    s.PositionY = 1200;
    s.PlayMode = 2;
    s.BassAssist = 0;
    s.LastPath = "/音楽/";
    s.OutputSample = 44100;
    s.FFTFunction = 3;
    s.LyricBaseTime = 1;
    s.LyricTimeOffset = -250;
    s.CEditor = "/usr/bin/editor";
    const std::string body =
        "ColorSet=3\r\nPositionX=-300\r\nPositionY=1200\r\nPlayMode=2\r\nBassAssist=0\r\nTrebleAssist=255\r\n"
        "AllwaysTop=255\r\nLastPath=/音楽/\r\nEasySetting=0\r\nBasicSet=4\r\nInputSample=0\r\n"
        "OutputSample=44100\r\nInputFrame=30\r\nOutputFrame=20\r\nInputWait=5\r\nOutputWait=0\r\n"
        "OutputChannel=0\r\nSpeana=0\r\nPeakHold=255\r\nFFTFunction=3\r\nSpeanaMode=0\r\nSpeanaInterval=10\r\n"
        "LyricBaseTime=1\r\nLyricNotTimeLine=0\r\nLyricTimeOffset=-250\r\nCEditor=/usr/bin/editor\r\n";
    EXPECT_EQ(SettingFile::writtenText(s), body);
    EXPECT_EQ(TextCodec::splitLines(body).size(), 26u);
    s.DebugMode = 127;
    EXPECT_EQ(SettingFile::writtenText(s), "DebugMode=127\r\n" + body);
    s.DebugMode = 0;
    EXPECT_EQ(SettingFile::writtenText(s), "DebugMode=0\r\n" + body);
}

TEST(SettingFile, PathWithLineEndIsNotWrittenIntoTheFile) {
    SettingData s;
    s.LastPath = "/tmp/x\r\nDebugMode=0";
    const std::string text = SettingFile::writtenText(s);
    EXPECT_NE(text.find("\r\nLastPath=\r\n"), std::string::npos);
    EXPECT_EQ(text.find("DebugMode"), std::string::npos);
}

}  // namespace
