// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<int64_t> hexValue(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    int64_t value = 0;
    for (char c : digits) {
        int d;
        if (isDigit(c))
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + d;
    }
    return value;
}

// [digits][.digits][e[sign]digits], at least one digit before the exponent.
// from_chars would also take "inf", "nan" and hex floats, so the form is
// checked here first.
bool isDecimalForm(std::string_view s) {
    std::size_t i = 0;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

double roundHalfEven(double x) {
    const double floor = std::floor(x);
    const double diff = x - floor;
    if (diff < 0.5) return floor;
    if (diff > 0.5) return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

template <typename T>
std::optional<T> inRange(std::optional<int64_t> v) {
    if (!v || *v < std::numeric_limits<T>::min() || *v > std::numeric_limits<T>::max()) return std::nullopt;
    return static_cast<T>(*v);
}

}  // namespace

std::optional<int64_t> NumberText::toWhole(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) return hexValue(s.substr(2));

    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (!isDecimalForm(s)) return std::nullopt;

    double value = 0.0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;

    const double rounded = roundHalfEven(negative ? -value : value);
    constexpr double limit = 4611686018427387904.0;  // 2^62
    if (rounded > limit || rounded < -limit) return std::nullopt;
    return static_cast<int64_t>(rounded);
}

std::optional<uint8_t> NumberText::toByte(std::string_view text) { return inRange<uint8_t>(toWhole(text)); }

std::optional<int16_t> NumberText::toInteger(std::string_view text) { return inRange<int16_t>(toWhole(text)); }

std::optional<int32_t> NumberText::toLong(std::string_view text) { return inRange<int32_t>(toWhole(text)); }
