// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SteadyClock.h"

#include <chrono>

int32_t SteadyClock::timeGetTime() {
    const int64_t ms = steadyNs() / 1000000;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ms)));
}

int64_t SteadyClock::steadyNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}
