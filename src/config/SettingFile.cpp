// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/SettingFile.h"

#include <array>
#include <initializer_list>
#include <variant>

#include "common/PathUtil.h"
#include "config/NumberText.h"

namespace {

using FieldRef = std::variant<uint8_t SettingData::*, int32_t SettingData::*, std::string SettingData::*>;

struct Field {
    std::string_view key;  // as written in the file
    FieldRef member;
};

// In the order of the file written at exit.
constexpr std::array<Field, 27> Fields{{
    {"DebugMode", &SettingData::DebugMode},
    {"ColorSet", &SettingData::ColorSet},
    {"PositionX", &SettingData::PositionX},
    {"PositionY", &SettingData::PositionY},
    {"PlayMode", &SettingData::PlayMode},
    {"BassAssist", &SettingData::BassAssist},
    {"TrebleAssist", &SettingData::TrebleAssist},
    {"AllwaysTop", &SettingData::AllwaysTop},
    {"LastPath", &SettingData::LastPath},
    {"EasySetting", &SettingData::EasySetting},
    {"BasicSet", &SettingData::BasicSet},
    {"InputSample", &SettingData::InputSample},
    {"OutputSample", &SettingData::OutputSample},
    {"InputFrame", &SettingData::InputFrame},
    {"OutputFrame", &SettingData::OutputFrame},
    {"InputWait", &SettingData::InputWait},
    {"OutputWait", &SettingData::OutputWait},
    {"OutputChannel", &SettingData::OutputChannel},
    {"Speana", &SettingData::Speana},
    {"PeakHold", &SettingData::PeakHold},
    {"FFTFunction", &SettingData::FFTFunction},
    {"SpeanaMode", &SettingData::SpeanaMode},
    {"SpeanaInterval", &SettingData::SpeanaInterval},
    {"LyricBaseTime", &SettingData::LyricBaseTime},
    {"LyricNotTimeLine", &SettingData::LyricNotTimeLine},
    {"LyricTimeOffset", &SettingData::LyricTimeOffset},
    {"CEditor", &SettingData::CEditor},
}};

// The new file has no DebugMode line and puts FFTFunction after the analyser keys.
constexpr std::array<std::string_view, 26> CreatedOrder{
    "ColorSet",        "PositionX",   "PositionY",      "PlayMode",    "BassAssist",    "TrebleAssist",
    "AllwaysTop",      "LastPath",    "EasySetting",    "BasicSet",    "InputSample",   "OutputSample",
    "InputFrame",      "OutputFrame", "InputWait",      "OutputWait",  "OutputChannel", "Speana",
    "PeakHold",        "SpeanaMode",  "SpeanaInterval", "FFTFunction", "LyricBaseTime", "LyricNotTimeLine",
    "LyricTimeOffset", "CEditor"};

const Field *findField(std::string_view lowerKey) {
    for (const Field &f : Fields)
        if (PathUtil::lowerAscii(f.key) == lowerKey) return &f;
    return nullptr;
}

bool storeValue(const Field &f, std::string_view value, SettingData &s) {
    if (auto m = std::get_if<uint8_t SettingData::*>(&f.member)) {
        const auto v = NumberText::toByte(value);
        if (!v) return false;
        s.**m = *v;
    } else if (auto m = std::get_if<int32_t SettingData::*>(&f.member)) {
        const auto v = NumberText::toLong(value);
        if (!v) return false;
        s.**m = *v;
    } else {
        s.*std::get<std::string SettingData::*>(f.member) = std::string(value);
    }
    return true;
}

std::string lineOf(const Field &f, const SettingData &s) {
    std::string line(f.key);
    line += '=';
    if (auto m = std::get_if<uint8_t SettingData::*>(&f.member)) {
        line += std::to_string(s.**m);
    } else if (auto m = std::get_if<int32_t SettingData::*>(&f.member)) {
        line += std::to_string(s.**m);
    } else {
        // A line end inside a path would split it into lines of its own (and
        // could forge keys): such a value is not kept.
        const std::string &text = s.*std::get<std::string SettingData::*>(f.member);
        if (text.find_first_of("\r\n") == std::string::npos) line += text;
    }
    line += "\r\n";
    return line;
}

void keepOneOf(uint8_t &v, std::initializer_list<uint8_t> accepted, uint8_t otherwise) {
    for (uint8_t a : accepted)
        if (v == a) return;
    v = otherwise;
}

template <typename T>
void keepWithin(T &v, T low, T high, T otherwise) {
    if (v < low || v > high) v = otherwise;
}

}  // namespace

void SettingFile::setDefaults(SettingData &s, const std::string &appPath) {
    SettingData d;
    d.LyricBaseTime = s.LyricBaseTime;
    d.LyricNotTimeLine = s.LyricNotTimeLine;
    d.LyricTimeOffset = s.LyricTimeOffset;
    d.HalfVolume = 255;
    d.LastPath = appPath;
    s = std::move(d);
}

bool SettingFile::applyLines(const std::vector<std::string> &lines, SettingData &s, std::size_t *badLine) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const Field *f = findField(PathUtil::lowerAscii(std::string_view(line).substr(0, eq)));
        if (f != nullptr && !storeValue(*f, std::string_view(line).substr(eq + 1), s)) {
            if (badLine != nullptr) *badLine = i + 1;
            return false;
        }
    }
    return true;
}

void SettingFile::applyChecks(SettingData &s) {
    keepOneOf(s.DebugMode, {0, 127, 255}, 255);
    keepOneOf(s.AllwaysTop, {0, 255}, 255);
    keepOneOf(s.PlayMode, {0, 1, 2, 255}, 255);
    keepOneOf(s.BassAssist, {0, 255}, 255);
    keepOneOf(s.TrebleAssist, {0, 255}, 255);
    keepOneOf(s.EasySetting, {0, 255}, 0);
    if (s.BasicSet > 4) s.BasicSet = 4;
    if (s.InputSample > 2) s.InputSample = 0;
    keepWithin<int32_t>(s.OutputSample, 11025, 48000, 48000);
    keepWithin<uint8_t>(s.InputFrame, 1, 100, 30);
    keepWithin<uint8_t>(s.OutputFrame, 1, 100, 20);
    if (s.InputFrame < s.OutputFrame) s.InputFrame = s.OutputFrame;
    keepWithin<uint8_t>(s.InputWait, 0, 50, 5);
    keepWithin<uint8_t>(s.OutputWait, 0, 50, 0);
    keepOneOf(s.OutputChannel, {0, 1}, 0);
    keepOneOf(s.Speana, {0, 255}, 0);
    keepOneOf(s.PeakHold, {0, 255}, 0);
    keepOneOf(s.SpeanaMode, {0, 1}, 0);
    keepWithin<uint8_t>(s.SpeanaInterval, 1, 80, 10);
    if (s.FFTFunction > 3) s.FFTFunction = 1;
    keepOneOf(s.LyricBaseTime, {0, 1}, 1);
    keepOneOf(s.LyricNotTimeLine, {0, 255}, 0);
    keepWithin<int32_t>(s.LyricTimeOffset, -1000, 1000, 0);
    if (!PathUtil::fileExists(s.CEditor)) s.CEditor.clear();
}

std::string SettingFile::createdText(const std::string &appPath) {
    SettingData d;
    setDefaults(d, appPath);
    d.LyricBaseTime = 1;
    d.LyricNotTimeLine = 0;
    d.LyricTimeOffset = 0;
    std::string text;
    for (std::string_view key : CreatedOrder) text += lineOf(*findField(PathUtil::lowerAscii(key)), d);
    return text;
}

std::string SettingFile::writtenText(const SettingData &s) {
    std::string text;
    for (const Field &f : Fields) {
        if (f.key == "DebugMode" && s.DebugMode == 255) continue;
        text += lineOf(f, s);
    }
    return text;
}
