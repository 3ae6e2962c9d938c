// SPDX-License-Identifier: GPL-3.0-or-later
// The real millisecond clock, and the monotonic nanoseconds it counts from.
#pragma once

#include "common/Clock.h"

class SteadyClock : public Clock {
public:
    int32_t timeGetTime() override;

    // Nanoseconds on the monotonic clock (not wrapping).
    static int64_t steadyNs();
};
