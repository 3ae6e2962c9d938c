#include "vbmp3/Id3Tags.h"
#include "vbmp3/RiffHeader.h"

#include "AudioFixtures.h"

#include <gtest/gtest.h>

namespace {

Id3Tags parseV2(const std::string &tag, const std::string &v1 = std::string()) {
    return Id3Tags::parse(reinterpret_cast<const unsigned char *>(tag.data()), tag.size(),
                          reinterpret_cast<const unsigned char *>(v1.data()), v1.size());
}

const std::string kJapanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"; // 日本語 in UTF-8
const std::string kJapaneseCp932 = "\x93\xFA\x96\x7B\x8C\xEA";          // 日本語 in CP932

} // namespace

TEST(Id3TagsTest, ReadsTitleAndArtistInEveryTextEncoding) {
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        EXPECT_EQ(parseV2(fixtures::id3v2(version, "Song", "Band", 0)).title(), "Song");
        const Id3Tags utf16 = parseV2(fixtures::id3v2(version, kJapanese, "B\xC3\xA4nd", 1));
        EXPECT_EQ(utf16.title(), kJapanese);
        EXPECT_EQ(utf16.artist(), "B\xC3\xA4nd");
        EXPECT_EQ(parseV2(fixtures::id3v2(version, kJapanese, "x", 3)).title(), kJapanese);
        // Raw bytes in a "Latin-1" frame are CP932 on Japanese systems.
        EXPECT_EQ(parseV2(fixtures::id3v2(version, kJapaneseCp932, "x", 0)).title(), kJapanese);
    }
}

TEST(Id3TagsTest, Version22FramesAndUnsynchronisation) {
    // ID3v2.2: three-letter frame ids and sizes.
    std::string body = std::string("TT2") + std::string("\0\0\x05", 3) + std::string("\0Name", 5) +
                       std::string("TP1") + std::string("\0\0\x04", 3) + std::string("\0Who", 4);
    std::string tag = std::string("ID3\x02\0\0", 6) + std::string("\0\0\0", 3) + static_cast<char>(body.size());
    EXPECT_EQ(parseV2(tag + body).title(), "Name");
    EXPECT_EQ(parseV2(tag + body).artist(), "Who");

    // ID3v2.3 with the tag-wide unsynchronisation flag: FF 00 stands for FF.
    std::string text = std::string("\x01\xFF\x00\xFE", 4) + std::string("A\0B\0", 4); // BOM FF FE, "AB"
    std::string frame = std::string("TIT2") + std::string("\0\0\0", 3) + static_cast<char>(text.size() - 1) +
                        std::string("\0\0", 2) + text;
    std::string unsync = std::string("ID3\x03\0\x80", 6) + std::string("\0\0\0", 3) + static_cast<char>(frame.size()) + frame;
    EXPECT_EQ(parseV2(unsync).title(), "AB");
}

TEST(Id3TagsTest, FallsBackToVersion1AndSurvivesDamage) {
    const std::string v1 = fixtures::id3v1(kJapaneseCp932, "Old Artist  ");
    const Id3Tags both = parseV2(fixtures::id3v2(3, "New", "", 0), v1);
    EXPECT_EQ(both.title(), "New");
    EXPECT_EQ(both.artist(), "Old Artist");
    EXPECT_EQ(parseV2(std::string(), v1).title(), kJapanese);

    // A frame whose size runs past the tag: what came before it is kept.
    std::string tag = fixtures::id3v2(3, "Kept", "Lost", 0);
    tag[10 + 10 + 5 + 4 + 3] = '\x7F';
    EXPECT_EQ(parseV2(tag).title(), "Kept");
    EXPECT_EQ(parseV2(tag).artist(), "");
    // Truncated headers and nonsense never read past the bytes given.
    for (std::size_t n = 0; n < 16; ++n)
        parseV2(fixtures::id3v2(4, "T", "A", 1).substr(0, n));
    EXPECT_EQ(parseV2(std::string(200, '\xFF')).title(), "");
}

// (Format names are checked through the decoder's track titles.)
TEST(RiffHeaderTest, MpegInRiffAndDamagedHeaders) {
    EXPECT_TRUE(RiffHeader::parse(fixtures::riffWrapMp3("xx", 44100, 2, 128)).isMpeg());
    EXPECT_FALSE(RiffHeader::parse("RIFF\x10\0\0\0WAVE").isWave());
    EXPECT_FALSE(RiffHeader::parse("ID3 not a wave").isWave());
}
