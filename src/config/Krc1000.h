// SPDX-License-Identifier: GPL-3.0-or-later
// KRC1000, the configuration module: the settings record and its file
// corvale.ini, the engine's copy of its start-up options, and the colour
// scheme table with the current scheme. Created once by the application.
// Every byte result is 0 for success and 255 for failure.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/ColorSetData.h"
#include "config/SettingData.h"
#include "log/DebugLog.h"
#include "vbmp3/Vbmp3Api.h"

class Krc1000 {
public:
    static constexpr const char *Version = "1002(2004-07-07 JST)";
    static constexpr int ColorSetCount = 100;

    Krc1000(DebugLog &log, std::string appPath);  // appPath ends in '/'

    SettingData &settings() { return settings_; }
    const SettingData &settings() const { return settings_; }
    EngineOptionData &engineOptions() { return engineOptions_; }
    const EngineOptionData &engineOptions() const { return engineOptions_; }

    // Reads corvale.ini (creating it with the defaults when missing), checks
    // every value, turns the log on as DebugMode says and fills the engine
    // options. A value that does not convert, or a file that cannot be read,
    // gives 255 and leaves the record at its defaults. A missing file that
    // cannot be made (a folder that cannot be written) leaves the defaults in
    // use and gives 0: the write at exit reports the failure.
    uint8_t bytSettingRead();
    // Writes the 26 default lines; the old file, if any, is replaced as a whole.
    uint8_t bytSettingMake();
    // Writes the record; on failure the old file stays as it was.
    uint8_t bytSettingWrite();

    // Hands the lyric and FFT settings to the engine; 255 when the library
    // lacks one of the four functions (the others are still called).
    uint8_t KRC1000_Init(const Vbmp3Api &api);

    // Fills the scheme table: entry 0 the built-in scheme, entries 1 to 99 the
    // first 99 scheme files of AppPath + "color/" sorted by name. Creates the
    // folder when missing.
    uint8_t bytLoadColorSet();
    const std::array<ColorSetData, ColorSetCount> &colorSets() const { return colorSets_; }
    // Table indexes that get a menu item (a title), ascending; 0 first.
    const std::vector<int> &colorMenuIndexes() const { return colorMenuIndexes_; }

    ColorSetData &currentColor() { return currentColor_; }
    const ColorSetData &currentColor() const { return currentColor_; }
    // Copies table entry index into the current scheme (an index outside the
    // table counts as 0).
    void applyColorSet(int index);

    // After a failed bytSettingRead or bytLoadColorSet: the file (with the
    // line, when one did not convert) that stopped it, for the message.
    const std::string &readFailure() const { return readFailure_; }

    const std::string &appPath() const { return appPath_; }
    std::string settingsPath() const;

    // Runs between the settings file's existence test and its reading (tests
    // use it to take the file away at that moment).
    void setBeforeSettingsRead(std::function<void(const std::string &path)> hook) {
        beforeSettingsRead_ = std::move(hook);
    }

private:
    uint8_t loadColorSetFiles();
    uint8_t failedAtLine(const std::string &path, std::size_t line);  // 255

    DebugLog &log_;
    std::string appPath_;
    SettingData settings_;
    EngineOptionData engineOptions_;
    std::array<ColorSetData, ColorSetCount> colorSets_{};
    std::vector<int> colorMenuIndexes_{0};
    ColorSetData currentColor_;
    std::function<void(const std::string &)> beforeSettingsRead_;
    std::string readFailure_;
};
