// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris/MprisController.h"

#include <cmath>

#include "engine/EngineState.h"

namespace {

constexpr double FullVolume = 1.0;
constexpr double HalfVolume = 0.5;

}  // namespace

void MprisController::click(int command) {
    if (host_.available() && host_.commandEnabled(command)) host_.invokeCommand(command);
}

void MprisController::play() {
    if (!host_.available()) return;
    const uint8_t state = host_.playState();
    if (state == PlayStates::Paused)
        click(CommandPause);
    else if (state == PlayStates::Stopped)
        click(CommandPlay);
}

void MprisController::pause() {
    if (host_.available() && host_.playState() == PlayStates::Playing) click(CommandPause);
}

void MprisController::playPause() {
    if (!host_.available()) return;
    click(host_.playState() == PlayStates::Stopped ? CommandPlay : CommandPause);
}

void MprisController::stop() { click(CommandStop); }
void MprisController::next() { click(CommandNext); }
void MprisController::previous() { click(CommandPrevious); }

bool MprisController::openFile(const std::string &path) {
    if (!host_.available() || path.empty() || !host_.openFile(path)) return false;
    click(CommandPlay);
    return true;
}

void MprisController::raise() {
    if (host_.available()) host_.raiseWindow();
}

void MprisController::quit() {
    if (host_.available()) host_.quit();
}

void MprisController::choose(uint8_t playMode) {
    if (!host_.available() || !host_.playModeChangeable() || host_.playMode() == playMode) return;
    host_.choosePlayMode(playMode);
}

bool MprisController::setLoopStatus(std::string_view status) {
    if (status == "None") {
        choose(PlayModes::None);
    } else if (status == "Track") {
        choose(PlayModes::RepeatOne);
    } else if (status == "Playlist") {
        // Random repeat loops over the list too: keep it.
        if (host_.available() && host_.playMode() != PlayModes::Random) choose(PlayModes::RepeatAll);
    } else {
        return false;
    }
    return true;
}

void MprisController::setShuffle(bool on) {
    if (!host_.available()) return;
    if (on)
        choose(PlayModes::Random);
    else if (host_.playMode() == PlayModes::Random)
        choose(PlayModes::RepeatAll);
}

void MprisController::setVolume(double volume) {
    if (!host_.available() || std::isnan(volume)) return;
    const bool half = host_.halfVolume();
    const double current = half ? HalfVolume : FullVolume;
    if ((!half && volume < current) || (half && volume > current)) host_.toggleHalfVolume();
}

const char *MprisController::loopStatusOf(uint8_t playMode) {
    switch (playMode) {
    case PlayModes::RepeatOne: return "Track";
    case PlayModes::RepeatAll:
    case PlayModes::Random: return "Playlist";
    default: return "None";
    }
}

const char *MprisController::playbackStatusOf(uint8_t playState) {
    switch (playState) {
    case PlayStates::Playing: return "Playing";
    case PlayStates::Paused: return "Paused";
    default: return "Stopped";
    }
}

MprisSnapshot MprisController::snapshot() const {
    MprisSnapshot s;
    if (!host_.available()) return s;
    const uint8_t state = host_.playState();
    const uint8_t mode = host_.playMode();
    s.playbackStatus = playbackStatusOf(state);
    s.loopStatus = loopStatusOf(mode);
    s.shuffle = mode == PlayModes::Random;
    s.volume = host_.halfVolume() ? HalfVolume : FullVolume;
    s.canPlay = host_.commandEnabled(state == PlayStates::Stopped ? CommandPlay : CommandPause);
    s.canPause = state != PlayStates::Stopped && host_.commandEnabled(CommandPause);
    s.canGoNext = host_.commandEnabled(CommandNext);
    s.canGoPrevious = host_.commandEnabled(CommandPrevious);
    s.track = host_.currentTrack();
    s.elapsedSeconds = host_.elapsedSeconds();
    return s;
}

int64_t MprisController::positionMicroseconds() const {
    if (!host_.available()) return 0;
    return static_cast<int64_t>(host_.elapsedSeconds()) * 1000000;
}

std::vector<const char *> MprisController::changedProperties(const MprisSnapshot &before, const MprisSnapshot &after) {
    std::vector<const char *> names;
    auto check = [&names](bool differs, const char *name) {
        if (differs) names.push_back(name);
    };
    check(before.playbackStatus != after.playbackStatus, "PlaybackStatus");
    check(before.loopStatus != after.loopStatus, "LoopStatus");
    check(before.shuffle != after.shuffle, "Shuffle");
    check(before.volume != after.volume, "Volume");
    check(!(before.track == after.track), "Metadata");
    check(before.canPlay != after.canPlay, "CanPlay");
    check(before.canPause != after.canPause, "CanPause");
    check(before.canGoNext != after.canGoNext, "CanGoNext");
    check(before.canGoPrevious != after.canGoPrevious, "CanGoPrevious");
    return names;
}

bool MprisController::seekedBack(const MprisSnapshot &before, const MprisSnapshot &after) {
    return after.track.present && after.track == before.track && after.playbackStatus != "Stopped" &&
           before.playbackStatus != "Stopped" && after.elapsedSeconds < before.elapsedSeconds;
}
