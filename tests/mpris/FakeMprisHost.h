// SPDX-License-Identifier: GPL-3.0-or-later
// A scripted player window: the test sets state and buttons; actions are
// recorded and change the state the way the window would.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "mpris/MprisHost.h"

class FakeMprisHost : public MprisHost {
public:
    bool isAvailable = true, menuEnabled = true, half = false, acceptsFiles = true;
    uint8_t state = 255, mode = 255;
    std::array<bool, 7> enabled{};  // [1]..[6]
    MprisTrack track;
    int32_t elapsed = 0;
    std::vector<int> commands;
    std::vector<uint8_t> modesChosen;
    std::vector<std::string> opened;
    int volumeToggles = 0, quits = 0;

    // Stopped at track 1 of `count`, buttons as the window sets them.
    void loadList(int count) {
        state = 255;
        enabled = {false, true, false, false, count > 1, true, false};
        track = {true, 1, "Song", "Artist", "/music/a song.mp3", 61};
    }

    bool available() const override { return isAvailable; }
    uint8_t playState() const override { return state; }
    bool commandEnabled(int n) const override { return enabled.at(static_cast<std::size_t>(n)); }
    void invokeCommand(int n) override {
        commands.push_back(n);
        if (n == 5) state = 0;
        if (n == 6) state = state == 0 ? 127 : 0;
        if (n == 2) state = 255;
        enabled[1] = enabled[5] = state == 255;
        enabled[2] = enabled[6] = state != 255;
    }
    uint8_t playMode() const override { return mode; }
    bool playModeChangeable() const override { return menuEnabled; }
    void choosePlayMode(uint8_t m) override { modesChosen.push_back(mode = m); }
    bool halfVolume() const override { return half; }
    void toggleHalfVolume() override { ++volumeToggles, half = !half; }
    MprisTrack currentTrack() const override { return track; }
    int32_t elapsedSeconds() const override { return elapsed; }
    void raiseWindow() override {}
    void quit() override { ++quits; }
    bool openFile(const std::string &path) override {
        if (acceptsFiles) opened.push_back(path);
        return acceptsFiles;
    }
};
