// SPDX-License-Identifier: GPL-3.0-or-later
// The 44-byte header of a 16-bit PCM WAVE file, for the benchmarks' signals.
#pragma once

#include <cstdint>
#include <ostream>

class WavHeader {
public:
    static void write(std::ostream &out, uint32_t rate, uint16_t channels, uint32_t frames);
};
