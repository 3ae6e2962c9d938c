// SPDX-License-Identifier: GPL-3.0-or-later
// The settings record kept in corvale.ini, and the engine module's copy of
// the options it needs. Flags use 0 for on and 255 for off.
#pragma once

#include <cstdint>
#include <string>

struct SettingData {
    uint8_t DebugMode = 255;  // 0 log to window and file, 127 window only, 255 off
    uint8_t AllwaysTop = 255;
    uint8_t Speana = 0;
    uint8_t PeakHold = 255;
    uint8_t ColorSet = 0;
    uint8_t HalfVolume = 255;  // never stored
    int32_t PositionX = 0;
    int32_t PositionY = 0;
    uint8_t PlayMode = 255;  // 255 none, 0 repeat one, 1 repeat all, 2 random
    uint8_t BassAssist = 255;
    uint8_t TrebleAssist = 255;
    uint8_t EasySetting = 0;
    uint8_t BasicSet = 4;
    uint8_t InputSample = 0;
    int32_t OutputSample = 48000;
    uint8_t InputFrame = 30;
    uint8_t OutputFrame = 20;
    uint8_t InputWait = 5;
    uint8_t OutputWait = 0;
    uint8_t OutputChannel = 0;
    uint8_t SpeanaMode = 0;
    uint8_t SpeanaInterval = 10;
    uint8_t FFTFunction = 1;
    uint8_t LyricBaseTime = 0;
    uint8_t LyricNotTimeLine = 0;
    int32_t LyricTimeOffset = 0;
    std::string CEditor;
    std::string LastPath;

    bool operator==(const SettingData &) const = default;
};

struct EngineOptionData {
    uint8_t PlayMode = 255;
    uint8_t InputSample = 0;
    int32_t OutputSample = 48000;
    uint8_t InputFrame = 30;
    uint8_t OutputFrame = 20;
    uint8_t InputWait = 5;
    uint8_t OutputWait = 0;
    uint8_t OutputChannel = 0;

    bool operator==(const EngineOptionData &) const = default;
};
