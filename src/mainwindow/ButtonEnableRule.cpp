// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ButtonEnableRule.h"

#include "engine/EngineState.h"

ButtonEnableRule::States ButtonEnableRule::apply(const States &current, int16_t trackCount, int16_t trackNumber,
                                                 uint8_t playState, uint8_t playMode) {
    States s = current;
    if (trackCount == 0) return s;
    bool &open = s[0], &stop = s[1], &previous = s[2], &next = s[3], &play = s[4], &pause = s[5];

    next = trackCount != 1;
    const bool stopped = playState == PlayStates::Stopped;
    if (stopped) {
        open = true;
        stop = false;
        play = true;
        pause = false;
    } else {
        open = false;
        stop = true;
        previous = true;
        play = false;
        pause = true;
    }
    if (playMode == 1 || playMode == 2) {
        previous = true;
        next = true;
    } else {
        if (trackNumber == 1) {
            if (stopped) previous = false;
        } else {
            previous = true;
        }
        if (trackNumber == trackCount) next = false;
    }
    return s;
}
