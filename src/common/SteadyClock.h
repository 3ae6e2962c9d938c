// The real millisecond clock.
#pragma once

#include "common/Clock.h"

class SteadyClock : public Clock {
public:
    int32_t timeGetTime() override;
};
