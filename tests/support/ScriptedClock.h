// SPDX-License-Identifier: GPL-3.0-or-later
// A millisecond clock the test sets by hand.
#pragma once

#include "common/Clock.h"

class ScriptedClock : public Clock {
public:
    int32_t now = 100000;
    int32_t timeGetTime() override { return now; }
};
