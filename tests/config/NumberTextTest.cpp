#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/NumberText.h"

namespace {

struct Case {
    const char *text;
    std::optional<int64_t> whole;
};

TEST(NumberText, ConvertsDecimalHexAndRejectsTheRest) {
    const Case cases[] = {
        {"7", 7},          {"  7  ", 7},       {"\t7\t", 7},      {"+7", 7},         {"-300", -300},
        {"2.5", 2},        {"3.5", 4},         {"-2.5", -2},      {"-3.5", -4},      {"2.4999", 2},
        {"2.51", 3},       {"0.5", 0},         {"1.5", 2},        {"5.", 5},         {".5", 0},
        {"1e3", 1000},     {"1E3", 1000},     {"2.5e1", 25},     {"1e+2", 100},     {"15e-1", 2},
        {"&H10", 16},      {"&hff", 255},     {" &H7FFFFFFF ", 2147483647},           {"00012", 12},
        {"", std::nullopt},       {"   ", std::nullopt},     {"abc", std::nullopt},   {"7a", std::nullopt},
        {"7 7", std::nullopt},    {"1e", std::nullopt},      {"e3", std::nullopt},    {".", std::nullopt},
        {"-", std::nullopt},      {"inf", std::nullopt},     {"nan", std::nullopt},   {"0x10", std::nullopt},
        {"&H", std::nullopt},     {"&HG1", std::nullopt},    {"&H123456789", std::nullopt},
        {"1,000", std::nullopt},  {"1e400", std::nullopt},   {"--1", std::nullopt},   {"- 1", std::nullopt},
    };
    for (const Case &c : cases) EXPECT_EQ(NumberText::toWhole(c.text), c.whole) << '"' << c.text << '"';
}

TEST(NumberText, FieldTypesBoundTheValue) {
    EXPECT_EQ(NumberText::toByte("255"), uint8_t{255});
    EXPECT_EQ(NumberText::toByte("255.4"), uint8_t{255});
    EXPECT_EQ(NumberText::toByte("-0.4"), uint8_t{0});
    EXPECT_EQ(NumberText::toByte("256"), std::nullopt);
    EXPECT_EQ(NumberText::toByte("-1"), std::nullopt);
    EXPECT_EQ(NumberText::toByte("1e3"), std::nullopt);
    EXPECT_EQ(NumberText::toLong("1e3"), int32_t{1000});
    EXPECT_EQ(NumberText::toLong("-2147483648"), int32_t{-2147483647 - 1});
    EXPECT_EQ(NumberText::toLong("2147483648"), std::nullopt);
    EXPECT_EQ(NumberText::toLong("&HFFFFFFFF"), std::nullopt);
    EXPECT_EQ(NumberText::toInteger("32767"), int16_t{32767});
    EXPECT_EQ(NumberText::toInteger("32768"), std::nullopt);
    EXPECT_EQ(NumberText::toInteger("-32768"), int16_t{-32768});
    // A 10 MB run of digits is a number far outside every type, not a crash.
    EXPECT_EQ(NumberText::toLong(std::string(10 * 1024 * 1024, '9')), std::nullopt);
}

}  // namespace
