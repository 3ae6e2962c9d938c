// A scripted player window for the media controls: state and button states
// are set by the test; actions are recorded and change the state the way the
// window would.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "mpris/MprisHost.h"

class FakeMprisHost : public MprisHost {
public:
    bool isAvailable = true;
    uint8_t state = 255;
    std::array<bool, 7> enabled{};  // [1]..[6]
    uint8_t mode = 255;
    bool menuEnabled = true;
    bool half = false;
    MprisTrack track;
    int32_t elapsed = 0;
    bool acceptsFiles = true;

    std::vector<int> commands;
    std::vector<uint8_t> modesChosen;
    std::vector<std::string> opened;
    int volumeToggles = 0, raises = 0, quits = 0;

    // Stopped with a playlist of `count` tracks at track 1, buttons as the window sets them.
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
        const bool stopped = state == 255;
        enabled[1] = stopped;
        enabled[2] = !stopped;
        enabled[5] = stopped;
        enabled[6] = !stopped;
    }
    uint8_t playMode() const override { return mode; }
    bool playModeChangeable() const override { return menuEnabled; }
    void choosePlayMode(uint8_t m) override {
        modesChosen.push_back(m);
        mode = m;
    }
    bool halfVolume() const override { return half; }
    void toggleHalfVolume() override {
        ++volumeToggles;
        half = !half;
    }
    MprisTrack currentTrack() const override { return track; }
    int32_t elapsedSeconds() const override { return elapsed; }
    void raiseWindow() override { ++raises; }
    void quit() override { ++quits; }
    bool openFile(const std::string &path) override {
        if (!acceptsFiles) return false;
        opened.push_back(path);
        return true;
    }
};
