// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/NumberText.h"

namespace {

// Halves round to even; blanks around, a sign, an exponent and &H are taken.
TEST(NumberText, ConvertsDecimalHexAndRejectsTheRest) {
    const std::pair<const char *, std::optional<int64_t>> cases[] = {
        {"\t7 ", 7},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"15e-1", 2},
        {"&hff", 255},
        {" &H7FFFFFFF ", 2147483647},
        {"", std::nullopt},
        {"7 7", std::nullopt},
        {"1e", std::nullopt},
        {"0x10", std::nullopt},
        {"&H123456789", std::nullopt},
        {"1e400", std::nullopt},
    };
    for (const auto &[text, whole] : cases) EXPECT_EQ(NumberText::toWhole(text), whole) << '"' << text << '"';
}

TEST(NumberText, FieldTypesBoundTheValue) {
    EXPECT_EQ(NumberText::toByte("255.4"), uint8_t{255});
    EXPECT_EQ(NumberText::toByte("256"), std::nullopt);
    EXPECT_EQ(NumberText::toLong("-2147483648"), int32_t{-2147483647 - 1});
    EXPECT_EQ(NumberText::toLong("2147483648"), std::nullopt);
    EXPECT_EQ(NumberText::toInteger("32768"), std::nullopt);
    EXPECT_EQ(NumberText::toInteger("-32768"), int16_t{-32768});
    // A 10 MB run of digits is a number far outside every type, not a crash.
    EXPECT_EQ(NumberText::toLong(std::string(10 * 1024 * 1024, '9')), std::nullopt);
}

}  // namespace
