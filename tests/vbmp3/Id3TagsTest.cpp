// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/Id3Tags.h"

#include "AudioFixtures.h"

#include <gtest/gtest.h>

namespace {

Id3Tags parse(const std::string &v2, const std::string &v1 = std::string()) {
    return Id3Tags::parse(reinterpret_cast<const unsigned char *>(v2.data()), v2.size(),
                          reinterpret_cast<const unsigned char *>(v1.data()), v1.size());
}

}  // namespace

TEST(Id3TagsTest, TitleAndArtistFromEveryKindOfTag) {
    const std::string japanese = "日本語", cp932 = "\x93\xFA\x96\x7B\x8C\xEA";
    const std::string v1 = fixtures::id3v1(cp932, "Old Artist  ");
    // ID3v2.2: three-letter frame ids and sizes.
    const std::string v22 = std::string("ID3\x02\0\0\0\0\0\x15TT2\0\0\x05\0NameTP1\0\0\x04\0Who", 31);
    // ID3v2.3 with the tag-wide unsynchronisation flag: FF 00 stands for FF (a UTF-16 BOM, then "AB").
    const std::string unsync = std::string(
        "ID3\x03\0\x80\0\0\0\x12TIT2\0\0\0\x07\0\0\x01\xFF\0\xFE"
        "A\0B\0",
        28);
    // A frame whose size runs past the tag: what came before it is kept.
    std::string damaged = fixtures::id3v2(3, "Kept", "Lost", 0);
    damaged[10 + 10 + 5 + 4 + 3] = '\x7F';
    struct Row {
        std::string v2, v1, title, artist;
    };
    const Row rows[] = {
        {fixtures::id3v2(3, "Name16", "Band", 1), "", "Name16", "Band"},
        {fixtures::id3v2(4, japanese, "x", 3), "", japanese, "x"},
        {fixtures::id3v2(4, cp932, "x", 0), "", japanese, "x"},  // raw bytes are CP932 on Japanese systems
        {v22, "", "Name", "Who"},
        {unsync, "", "AB", ""},
        {fixtures::id3v2(3, "New", "", 0), v1, "New", "Old Artist"},
        {"", v1, japanese, "Old Artist"},
        {damaged, "", "Kept", ""},
        {std::string(200, '\xFF'), "", "", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.title);
        const Id3Tags tags = parse(row.v2, row.v1);
        EXPECT_EQ(tags.title(), row.title);
        EXPECT_EQ(tags.artist(), row.artist);
    }
    // Truncated headers never read past the bytes given.
    for (std::size_t n = 0; n < 16; ++n) parse(fixtures::id3v2(4, "T", "A", 1).substr(0, n));
}
