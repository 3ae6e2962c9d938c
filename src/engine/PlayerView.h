// SPDX-License-Identifier: GPL-3.0-or-later
// What the engine module asks of the window: the title and lyrics lines, the
// window caption, the button states and the readout fields it redraws.
// The main window implements it; tests implement it with a recorder.
#pragma once

#include <string>

class PlayerView {
public:
    virtual ~PlayerView() = default;
    virtual void SetTitleLine(const std::string &text) = 0;   // Label1 caption (two lines joined by CR LF)
    virtual void SetLyricsLine(const std::string &text) = 0;  // Label2 caption
    virtual void SetWindowCaption(const std::string &text) = 0;
    virtual void ButtonEnableCheck() = 0;
    virtual void DrawTrackNumber() = 0;
    virtual void DrawAllTime() = 0;
    virtual void DrawFrequency() = 0;
};
