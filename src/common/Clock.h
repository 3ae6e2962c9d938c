// SPDX-License-Identifier: GPL-3.0-or-later
// The millisecond clock: monotonic, read as a wrapping 32-bit value.
// Differences are taken as signed 32-bit, so they stay right across the wrap.
#pragma once

#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    virtual int32_t timeGetTime() = 0;

    static int32_t diff(int32_t later, int32_t earlier) {
        return static_cast<int32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
    }

    // Whether `period` ms have passed since `stamp`, a value this clock gave.
    // A stamp more than 24.8 days old reads as one from the future: it has
    // long passed too.
    static bool passed(int32_t now, int32_t stamp, int32_t period) {
        const int32_t d = diff(now, stamp);
        return d >= period || d < 0;
    }
};
