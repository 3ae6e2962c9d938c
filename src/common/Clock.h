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
};
