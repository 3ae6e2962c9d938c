// SPDX-License-Identifier: GPL-3.0-or-later
// KRM1000, the engine module: the playlist and its m3u reading, opening a
// track with its titles and lyrics, the transport and end-of-track
// sequencing, and the start-up and release of the engine library.
// Created once by the application; everything runs on the UI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <string_view>

#include "common/Clock.h"
#include "config/SettingData.h"
#include "engine/EngineState.h"
#include "engine/PlayerView.h"
#include "vbmp3/Vbmp3Calls.h"

class DebugLog;

class Krm1000 {
public:
    static constexpr const char *Version = "1000(2003-07-26 JST)";
    // The track readout has room for four digits.
    static constexpr int16_t MaxTracks = 9999;
    // Two rewind presses this close (ms) step back a track instead of restarting it.
    static constexpr int32_t RewindStepBackMs = 750;

    // The shuffle's random source: each call returns a fraction in [0, 1).
    using RandomSource = std::function<double()>;

    Krm1000(const Vbmp3Api &api, DebugLog &log, Clock &clock, SettingData &settings, EngineOptionData &engineOptions,
            PlayerView &view);
    Krm1000(const Krm1000 &) = delete;
    Krm1000 &operator=(const Krm1000 &) = delete;

    EngineState &state() { return state_; }
    const EngineState &state() const { return state_; }

    // Playlist.
    uint8_t bytPlayListNew();
    uint8_t bytPlayListAdd(std::string &spec);
    uint8_t bytPlayListNewOpen(std::string spec);

    // Track opening, titles and lyrics.
    uint8_t bytOpenPlayFile(int16_t index);
    void TitleShow();
    void LyricsCheck();

    // Transport and sequencing.
    uint8_t bytPlayStart();
    uint8_t bytPlayStop();
    uint8_t bytPlayPause();
    uint8_t bytPlayRewind();
    uint8_t bytPlayForward();
    void TrackRandomize();
    void PlayStateCheck();
    uint8_t bytPlayModeChange();

    // Start-up and release.
    uint8_t KRM1000_Init();
    void KRM1000_Free();

    // Replaces the generator behind TrackRandomize (tests); an empty source
    // restores the built-in one, which KRM1000_Init seeds from the clock.
    void setRandomSource(RandomSource source);

private:
    void logCalled(std::string_view routine);
    void resetPlayList();
    bool appendPath(std::string path);  // false when the list is full
    bool listEmpty() const { return state_.PlayList.LastIndex < 0; }
    int16_t orderAt(int16_t position) const;  // the FileList index at a play position
    uint32_t randomBelow(uint32_t bound);     // 0 .. bound-1
    uint8_t playMode() const { return engineOptions_.PlayMode; }
    void stopAndShowButtons();
    void lookForLyrics(const std::string &path);
    void makeTitles(const std::string &path);

    Vbmp3Api api_;
    Vbmp3Calls lib_;
    DebugLog &log_;
    Clock &clock_;
    SettingData &settings_;
    EngineOptionData &engineOptions_;
    PlayerView &view_;
    EngineState state_;
    bool trackOpen_ = false;  // the last open succeeded

    std::mt19937 rng_;
    RandomSource random_;
};
