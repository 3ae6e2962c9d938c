// SPDX-License-Identifier: GPL-3.0-or-later
// The engine module's state: the playlist, the open track and the player
// state. The drawing module and the debug window read it through a const
// reference; only the engine module changes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vbmp3/vbmp3.h"

// The player state (EngineState::PlayState).
struct PlayStates {
    static constexpr uint8_t Playing = 0;
    static constexpr uint8_t Paused = 127;
    static constexpr uint8_t Stopped = 255;
};

// The play modes (the PlayMode setting and EngineOptionData::PlayMode).
struct PlayModes {
    static constexpr uint8_t None = 255;
    static constexpr uint8_t RepeatOne = 0;
    static constexpr uint8_t RepeatAll = 1;
    static constexpr uint8_t Random = 2;
};

struct PlayListData {
    int16_t TrackCount = 0;
    int16_t LastIndex = -1;
    int16_t TrackNumber = 0;
    int16_t PlayPosition = 0;
    std::vector<std::string> FileList{std::string()};  // always at least one element
    std::vector<int16_t> PlayOrder{0};
};

struct EngineState {
    PlayListData PlayList;
    TrackInfoData TrackInfo{};
    std::string TitleText;
    std::string DisplayText;
    uint8_t LyricsCleared = 255;
    LyricsData LyricsInfo{};
    int32_t LastLyricsKey = 0;
    uint8_t PlayState = PlayStates::Stopped;
    int32_t LastRewindTime = 0;  // from the clock when the engine module starts
    bool Rewound = false;        // LastRewindTime holds a press that restarted a track
    int32_t ElapsedSeconds = 0;
    int32_t BitRate = 0;
};
