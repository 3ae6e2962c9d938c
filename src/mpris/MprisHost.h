// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop media controls need from the player window: its state,
// which transport buttons are enabled, and the actions behind them. The main
// window implements it; tests implement it with a fake.
#pragma once

#include <cstdint>
#include <string>

// The open track as the window shows it.
struct MprisTrack {
    bool present = false;   // a playlist is loaded and a track is open
    int trackNumber = 0;    // 1-based place in the playlist
    std::string tagTitle;   // title field of the track information (may name a WAVE format)
    std::string tagArtist;  // artist field, may be empty
    std::string path;       // local path, as the playlist holds it
    int32_t lengthSeconds = 0;

    bool operator==(const MprisTrack &) const = default;
};

class MprisHost {
public:
    virtual ~MprisHost() = default;

    // False once the window has begun to close: no actions, state "Stopped".
    virtual bool available() const = 0;
    // PlayStates: playing, paused or stopped.
    virtual uint8_t playState() const = 0;
    // Transport button n (1 open, 2 stop, 3 previous, 4 next, 5 play, 6 pause).
    virtual bool commandEnabled(int n) const = 0;
    // Clicks button n; the caller has checked that it is enabled.
    virtual void invokeCommand(int n) = 0;

    // PlayModes: none, repeat one, repeat all, random repeat.
    virtual uint8_t playMode() const = 0;
    // False while the window's menu is out of use.
    virtual bool playModeChangeable() const = 0;
    // Chooses a play mode through the play mode menu.
    virtual void choosePlayMode(uint8_t mode) = 0;

    virtual bool halfVolume() const = 0;
    // The window's half-volume toggle.
    virtual void toggleHalfVolume() = 0;

    virtual MprisTrack currentTrack() const = 0;
    virtual int32_t elapsedSeconds() const = 0;

    virtual void raiseWindow() = 0;
    virtual void quit() = 0;
    // Hands a local file to the window like a file dropped on it; false when
    // the window takes no drop now (it is playing).
    virtual bool openFile(const std::string &path) = 0;
};
