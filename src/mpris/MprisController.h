// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop media controls' view of the player: maps the Player methods
// and the writable properties onto the window's buttons, play mode menu and
// volume toggle, and takes snapshots of what the properties report so that
// only real changes are signalled.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mpris/MprisHost.h"

// Everything the Player interface reports that is signalled on change.
struct MprisSnapshot {
    std::string playbackStatus = "Stopped";
    std::string loopStatus = "None";
    bool shuffle = false;
    double volume = 1.0;
    bool canPlay = false;
    bool canPause = false;
    bool canGoNext = false;
    bool canGoPrevious = false;
    MprisTrack track;
    int32_t elapsedSeconds = 0;  // reported as Position, which is never signalled
};

class MprisController {
public:
    // The transport buttons.
    static constexpr int CommandOpen = 1;
    static constexpr int CommandStop = 2;
    static constexpr int CommandPrevious = 3;
    static constexpr int CommandNext = 4;
    static constexpr int CommandPlay = 5;
    static constexpr int CommandPause = 6;

    explicit MprisController(MprisHost &host) : host_(host) {}

    // Player methods; each does nothing where its button is disabled.
    void play();       // starts when stopped, resumes when paused
    void pause();      // pauses when playing
    void playPause();  // pause or resume when playing or paused, start when stopped
    void stop();
    void next();
    void previous();
    // Opens a local file like a drop and plays it; false when it was not taken.
    bool openFile(const std::string &path);
    void raise();
    void quit();

    // Writable properties. LoopStatus is "None", "Track" or "Playlist";
    // anything else is refused (false).
    bool setLoopStatus(std::string_view status);
    void setShuffle(bool on);
    // Full or half volume: a value below the current level gives half volume,
    // one above it full volume.
    void setVolume(double volume);

    MprisSnapshot snapshot() const;
    int64_t positionMicroseconds() const;

    // Names of the Player properties that differ between two snapshots.
    static std::vector<const char *> changedProperties(const MprisSnapshot &before, const MprisSnapshot &after);
    // True when the position jumped back within the same track (a restart):
    // listeners are told with the Seeked signal.
    static bool seekedBack(const MprisSnapshot &before, const MprisSnapshot &after);

    static const char *loopStatusOf(uint8_t playMode);
    static const char *playbackStatusOf(uint8_t playState);

private:
    void click(int command);
    void choose(uint8_t playMode);

    MprisHost &host_;
};
