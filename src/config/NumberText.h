// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers as the settings and scheme files spell them: blanks (spaces, tabs)
// around the number are allowed, a decimal number may carry a sign, a fraction
// and an exponent ("1e3" is 1000), and a fraction is rounded to the nearest
// whole number, halves to even ("2.5" is 2, "3.5" is 4). "&H" followed by one
// to eight hex digits is the classic hex form ("&H10" is 16), always taken as
// its non-negative value. No locale takes part in the conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

class NumberText {
public:
    // The whole number, or nothing when the text is not a number or lies far
    // outside every field type (beyond +-2^62).
    static std::optional<int64_t> toWhole(std::string_view text);

    // The whole number when it fits the type: Byte 0..255, Integer (16-bit
    // signed), Long (32-bit signed); else nothing.
    static std::optional<uint8_t> toByte(std::string_view text);
    static std::optional<int16_t> toInteger(std::string_view text);
    static std::optional<int32_t> toLong(std::string_view text);
};
