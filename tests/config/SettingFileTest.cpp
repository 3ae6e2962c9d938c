// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

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

// The line read, and the line that the record then writes for that key.
struct CheckCase {
    const char *read;
    const char *written;
};

TEST(SettingFile, ChecksBringValuesIntoRange) {
    const CheckCase cases[] = {
        {"DebugMode=1", nullptr},                  // no line: logging off
        {"PlayMode=1\nPlayMode=2", "PlayMode=2"},  // the later line wins
        {"PlayMode=3", "PlayMode=255"},
        {"BasicSet=9", "BasicSet=4"},
        {"OutputSample=8000", "OutputSample=48000"},
        {"OutputSample=11025", "OutputSample=11025"},
        {"OutputSample=48001", "OutputSample=48000"},
        {"InputFrame=10", "InputFrame=20"},  // raised to OutputFrame
        {"OutputFrame=101", "OutputFrame=20"},
        {"SpeanaInterval=0", "SpeanaInterval=10"},
        {"SpeanaInterval=81", "SpeanaInterval=10"},
        {"SpeanaInterval=80", "SpeanaInterval=80"},
        {"LyricTimeOffset=-1001", "LyricTimeOffset=0"},
        {"LyricTimeOffset=-1000", "LyricTimeOffset=-1000"},
        {"colorset=  7  ", "ColorSet=7"},
        {"BassAssist =0", "BassAssist=255"},      // a blank makes the key unknown
        {"CEditor=/no/such/editor", "CEditor="},  // names no existing file
    };
    for (const CheckCase &c : cases) {
        bool ok = false;
        const SettingData s = readText(std::string(c.read) + "\r\n", &ok);
        EXPECT_TRUE(ok) << c.read;
        const std::string written = "\r\n" + SettingFile::writtenText(s);
        if (c.written == nullptr) {
            EXPECT_EQ(written.find("DebugMode"), std::string::npos) << c.read;
        } else {
            EXPECT_NE(written.find("\r\n" + std::string(c.written) + "\r\n"), std::string::npos) << c.read;
        }
    }
}

TEST(SettingFile, PathWithLineEndIsNotWrittenIntoTheFile) {
    SettingData s;
    s.LastPath = "/tmp/x\r\nDebugMode=0";
    const std::string text = SettingFile::writtenText(s);
    EXPECT_NE(text.find("\r\nLastPath=\r\n"), std::string::npos);
    EXPECT_EQ(text.find("DebugMode"), std::string::npos);
}

}  // namespace
