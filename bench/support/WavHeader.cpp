// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavHeader.h"

void WavHeader::write(std::ostream &out, uint32_t rate, uint16_t channels, uint32_t frames) {
    auto u32 = [&out](uint32_t v) { out.write(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [&out](uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); };
    const uint32_t block = 2u * channels, bytes = frames * block;
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(channels);
    u32(rate);
    u32(rate * block);
    u16(static_cast<uint16_t>(block));
    u16(16);
    out.write("data", 4);
    u32(bytes);
}
