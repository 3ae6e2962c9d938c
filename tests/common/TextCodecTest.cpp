// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "common/TextCodec.h"

namespace {
const std::string NihongoSjis = "\x93\xfa\x96\x7b\x8c\xea";  // "日本語" in CP932
const std::string NihongoUtf8 = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e";
}  // namespace

TEST(TextCodec, DecodesCp932WhenNotUtf8AndNeverStopsOnBadBytes) {
    EXPECT_FALSE(TextCodec::isValidUtf8("\xc0\xaf"));      // overlong '/'
    EXPECT_FALSE(TextCodec::isValidUtf8("\xed\xa0\x80"));  // surrogate
    EXPECT_EQ(TextCodec::toUtf8(NihongoSjis), NihongoUtf8);
    EXPECT_EQ(TextCodec::toUtf8(NihongoUtf8), NihongoUtf8);
    // 0x5C is a backslash in CP932 (not the yen sign), so Windows paths survive.
    EXPECT_EQ(TextCodec::cp932ToUtf8("C:\\m\\\x93\xfa.mp3"), "C:\\m\\\xe6\x97\xa5.mp3");
    EXPECT_EQ(TextCodec::cp932ToUtf8("\xb1"), "\xef\xbd\xb1");  // half-width katakana: one byte
    EXPECT_EQ(TextCodec::utf8ToCp932(NihongoUtf8), NihongoSjis);
    // A byte CP932 does not define and a lone lead byte at the end.
    const std::string out = TextCodec::cp932ToUtf8(std::string("ab\xa0x\x81", 5));
    EXPECT_TRUE(TextCodec::isValidUtf8(out) && out.substr(0, 2) == "ab" && out.find('x') != std::string::npos);
    EXPECT_EQ(TextCodec::utf8ToCp932("a\xf0\x9f\x8e\xb5"
                                     "b"),
              "a?b");  // not in CP932
}

TEST(TextCodec, AnyLineEndEndsALine) {
    using V = std::vector<std::string>;
    EXPECT_EQ(TextCodec::splitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(TextCodec::splitLines("a\n\rb\r\n"), (V{"a", "", "b"}));  // LF then a lone CR: two line ends
}
