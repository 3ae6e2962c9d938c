// SPDX-License-Identifier: GPL-3.0-or-later
// Text encoding: files are written as UTF-8; anything read is taken as UTF-8
// when it is valid UTF-8 and otherwise decoded as CP932 (Shift-JIS), so files
// made on Japanese Windows systems keep their Japanese text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class TextCodec {
public:
    static bool isValidUtf8(std::string_view bytes);

    // UTF-8 as it stands when valid, else CP932 converted to UTF-8.
    static std::string toUtf8(std::string_view bytes);

    // CP932 bytes to UTF-8. Undecodable bytes become U+FFFD; never throws.
    static std::string cp932ToUtf8(std::string_view cp932);

    // UTF-8 to CP932. Characters CP932 cannot spell become '?'.
    static std::string utf8ToCp932(std::string_view utf8);

    // Width of a UTF-8 text as CP932 counts it: 1 for ASCII and half-width
    // katakana, 2 for every other character.
    static std::size_t cp932Width(std::string_view utf8);

    // The longest prefix of a UTF-8 text whose CP932 width is at most maxBytes;
    // never splits a character.
    static std::string cutToCp932Width(std::string_view utf8, std::size_t maxBytes);

    // The longest prefix of a UTF-8 text of at most maxBytes bytes that ends on a
    // character boundary (for fixed-size fields).
    static std::string cutToUtf8Bytes(std::string_view utf8, std::size_t maxBytes);

    // Appends the UTF-8 bytes of one code point.
    static void appendUtf8(std::string &out, char32_t cp);

    // Splits text into lines; CR LF, a lone LF and a lone CR all end a line.
    // A final line without a line end is kept; an empty text gives no lines.
    static std::vector<std::string> splitLines(std::string_view text);
};
