// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/Krc1000.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "common/PathUtil.h"
#include "common/TextCodec.h"
#include "common/TextFile.h"
#include "config/ColorSchemeFile.h"
#include "config/SettingFile.h"
#include "vbmp3/Vbmp3Calls.h"

namespace {

// The lines of a text file, decoded (UTF-8, else CP932), without a leading
// byte-order mark; nothing when the file cannot be read.
std::optional<std::vector<std::string>> readTextLines(const std::string &path) {
    const auto bytes = TextFile::readAll(path);
    if (!bytes) return std::nullopt;
    std::string text = TextCodec::toUtf8(*bytes);
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    return TextCodec::splitLines(text);
}

// Replaces the file as a whole (temporary file, flush, rename): 0, or 255
// with the old file untouched.
template <typename MakeText>
uint8_t writeWhole(const std::string &path, MakeText makeText) {
    try {
        return TextFile::writeAtomic(path, makeText()) ? 0 : 255;
    } catch (...) {
        return 255;
    }
}

}  // namespace

Krc1000::Krc1000(DebugLog &log, std::string appPath) : log_(log), appPath_(std::move(appPath)) {
    settings_.LastPath = appPath_;
}

std::string Krc1000::settingsPath() const { return appPath_ + SettingFile::FileName; }

uint8_t Krc1000::bytSettingRead() {
    try {
        SettingFile::setDefaults(settings_, appPath_);
        const std::string path = settingsPath();
        readFailure_ = path;
        // A folder that cannot be written (an installed copy with no per-user
        // folder to fall back on): run with the settings of a new file; the
        // write at exit fails and says so.
        SettingData read = settings_;
        if (PathUtil::fileExists(path) || bytSettingMake() == 0) {
            if (beforeSettingsRead_) beforeSettingsRead_(path);
            const auto lines = readTextLines(path);
            if (!lines) return 255;
            std::size_t badLine = 0;
            if (!SettingFile::applyLines(*lines, read, &badLine)) return failedAtLine(path, badLine);
        } else {
            SettingFile::applyLines(TextCodec::splitLines(SettingFile::createdText(appPath_)), read);
        }
        SettingFile::applyChecks(read);
        settings_ = std::move(read);
        readFailure_.clear();

        log_.setDebugMode(settings_.DebugMode);
        if (settings_.DebugMode != 255) log_.ensureWindowLoaded();
        log_.WriteDebugLog("KRC1000 Called  - bytSettingRead");

        engineOptions_.PlayMode = settings_.PlayMode;
        engineOptions_.InputSample = settings_.InputSample;
        engineOptions_.OutputSample = settings_.OutputSample;
        engineOptions_.InputFrame = settings_.InputFrame;
        engineOptions_.OutputFrame = settings_.OutputFrame;
        engineOptions_.InputWait = settings_.InputWait;
        engineOptions_.OutputWait = settings_.OutputWait;
        engineOptions_.OutputChannel = settings_.OutputChannel;
        return 0;
    } catch (...) {
        return 255;
    }
}

uint8_t Krc1000::bytSettingMake() {
    log_.WriteDebugLog("KRC1000 Called  - bytSettingMake");
    return writeWhole(settingsPath(), [this] { return SettingFile::createdText(appPath_); });
}

uint8_t Krc1000::bytSettingWrite() {
    log_.WriteDebugLog("KRC1000 Called  - bytSettingWrite");
    return writeWhole(settingsPath(), [this] { return SettingFile::writtenText(settings_); });
}

uint8_t Krc1000::KRC1000_Init(const Vbmp3Api &api) {
    log_.WriteDebugLog("KRC1000 Called  - KRC1000_Init");
    const Vbmp3Calls lib(api, &log_);
    lib.vbmp3_setLyricsTime(settings_.LyricBaseTime);
    lib.vbmp3_setFftWindow(settings_.FFTFunction);
    lib.vbmp3_setNotTagLyricsLine(settings_.LyricNotTimeLine == 0 ? 1 : 0);
    lib.vbmp3_setLyricsAdjustTime(settings_.LyricTimeOffset);
    // Every call is tried; any that could not be made fails the start.
    return lib.missedCalls() == 0 ? 0 : 255;
}

uint8_t Krc1000::bytLoadColorSet() {
    log_.WriteDebugLog("KRC1000 Called  - bytLoadColorSet");
    uint8_t result;
    try {
        result = loadColorSetFiles();
    } catch (...) {
        result = 255;
    }
    if (result != 0) log_.WriteDebugLog("KRC1000 Failed  - bytLoadColorSet");
    return result;
}

uint8_t Krc1000::loadColorSetFiles() {
    colorSets_.fill(ColorSetData{});
    colorMenuIndexes_.assign(1, 0);

    const std::string folder = appPath_ + "color";
    readFailure_ = folder;
    if (!PathUtil::folderExists(folder) && ::mkdir(folder.c_str(), 0755) != 0) return 255;

    colorSets_[0] = ColorSchemeFile::builtIn();

    const auto names = ColorSchemeFile::listSchemeFiles(folder);
    if (!names) return 255;
    const int count = std::min<int>(static_cast<int>(names->size()), ColorSetCount - 1);
    for (int i = 1; i <= count; ++i) colorSets_[i].FilePath = folder + "/" + (*names)[i - 1];

    for (int i = 1; i <= count; ++i) {
        readFailure_ = colorSets_[i].FilePath;
        const auto lines = readTextLines(colorSets_[i].FilePath);
        if (!lines) return 255;
        std::size_t badLine = 0;
        if (!ColorSchemeFile::applyLines(*lines, colorSets_[i], &badLine))
            return failedAtLine(colorSets_[i].FilePath, badLine);
        if (!colorSets_[i].colortitle.empty()) colorMenuIndexes_.push_back(i);
    }
    readFailure_.clear();
    return 0;
}

uint8_t Krc1000::failedAtLine(const std::string &path, std::size_t line) {
    readFailure_ = path + " (" + std::to_string(line) + " 行目)";
    return 255;
}

void Krc1000::applyColorSet(int index) {
    if (index < 0 || index >= ColorSetCount) index = 0;
    currentColor_ = colorSets_[index];
}
