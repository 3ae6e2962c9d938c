// SPDX-License-Identifier: GPL-3.0-or-later
// Which transport buttons make sense for the playlist, the player state and
// the play mode. Index 0 is Command1 (open) ... index 5 is Command6 (pause).
#pragma once

#include <array>
#include <cstdint>

class ButtonEnableRule {
public:
    using States = std::array<bool, 6>;

    // Returns the new states; buttons the rule leaves alone keep their state in
    // current. playState: 255 stopped, else playing or paused. playMode: 255
    // none, 0 repeat one, 1 repeat all, 2 random repeat.
    static States apply(const States &current, int16_t trackCount, int16_t trackNumber, uint8_t playState,
                        uint8_t playMode);
};
