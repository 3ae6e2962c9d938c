// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "engine/PlayerView.h"

class RecorderView : public PlayerView {
public:
    std::string titleLine, lyricsLine, caption;
    int lyricsUpdates = 0;
    int buttonChecks = 0;
    std::vector<std::string> draws;

    void SetTitleLine(const std::string &text) override { titleLine = text; }
    void SetLyricsLine(const std::string &text) override {
        lyricsLine = text;
        ++lyricsUpdates;
    }
    void SetWindowCaption(const std::string &text) override { caption = text; }
    void ButtonEnableCheck() override { ++buttonChecks; }
    void DrawTrackNumber() override { draws.push_back("TrackNumber"); }
    void DrawAllTime() override { draws.push_back("AllTime"); }
    void DrawFrequency() override { draws.push_back("Frequency"); }
};
