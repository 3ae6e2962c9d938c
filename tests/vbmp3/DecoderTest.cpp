// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/Decoder.h"

#include "AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<float> readAll(Decoder &d) {
    std::vector<float> out, block(4096 * 2);
    for (std::size_t n; (n = d.read(block.data(), 4096)) > 0;)
        out.insert(out.end(), block.begin(), block.begin() + long(n * 2));
    return out;
}

}  // namespace

// Files that once blocked the player or kept libmpg123 searching them byte by
// byte for a minute and more: each open must come back at once, refused or
// with a decoder whose reading ends.
TEST(DecoderTest, HostileFilesAreRefusedOrEndCleanly) {
    TempDir dir;
    std::mt19937 rng(42);
    std::string junk(4 << 20, '\0');
    std::generate(junk.begin(), junk.end(), [&rng] { return char(rng()); });
    ASSERT_EQ(::mkfifo(dir.file("fifo.mp3").c_str(), 0600), 0);
    const std::string wav = fixtures::wavBytes({});
    const std::string mp3 =
        TempDir::read(fixtures::encode("lame", "-b 128", dir.write("src.wav", wav), dir.file("x.mp3")));
    const std::pair<std::string, bool> cases[] = {
        // path, refused
        {dir.file("fifo.mp3"), true},
        {dir.write("avi.wav", std::string("RIFF\xff\xff\xff\x7f"
                                          "AVI LIST",
                                          16) +
                                  junk),
         true},
        {dir.write("mpeg-in-wave.wav", fixtures::riffWrapMp3(junk, 44100, 2, 128)), false},
        {dir.write("noise.mp3", junk), false},
        {dir.write("id3-then-noise.mp3", std::string("ID3\x03\0\0\0\0\0\x10", 10) + junk), false},
        {dir.write("cut.wav", wav.substr(0, wav.size() / 3)), false},
        {dir.write("lying.wav", fixtures::wavBytes({}, 0x7FFFFFF0)), false},
        {dir.write("cut.mp3", mp3.substr(0, mp3.size() / 2)), false},
    };
    for (const auto &[path, refused] : cases) {
        SCOPED_TRACE(path);
        auto d = Decoder::openFile(path, 0);
        EXPECT_TRUE(!refused || !d);
        std::vector<float> block(4096 * 2);
        for (std::size_t reads = 0; d && d->read(block.data(), 4096) > 0;) ASSERT_LT(++reads, 10000u);
    }
}

// Each format opens with its tags (CP932 in the MP3's ID3 tag of 10 MB, skipped, not searched); seeking back and
// forth (for MPEG through the decoder's own buffered reader) lands on the samples
// a straight read gives.
TEST(DecoderTest, EveryFormatOpensWithItsTagsAndSeeksOntoAStraightRead) {
    TempDir dir;
    const fixtures::Tone mono{.rate = 22050, .channels = 1, .seconds = 1.5};
    const fixtures::Tone tone{.rate = 48000, .sample = fixtures::Sample::Float32};
    struct Row {
        std::string path, title;
        int rate;
        std::size_t frames;  // 0: not checked
        bool lossy = false;  // compared by pitch, not by sample
    };
    std::vector<Row> rows = {{dir.write("mono.wav", fixtures::wavBytes(mono)), "WAVE_FORMAT_PCM", 22050, 33075},
                             {dir.write("f.wav", fixtures::wavBytes(tone)), "WAVE_FORMAT_IEEE_FLOAT", 48000, 48000}};
    const std::string mp3 =
        fixtures::encode("lame", "-b 128", dir.write("src.wav", fixtures::wavBytes({.seconds = 2})), dir.file("x.mp3"));
    if (!mp3.empty())
        rows.push_back({dir.write("tagged.mp3",
                                  fixtures::id3v2(3, "\x93\xFA\x96\x7B\x8C\xEA", "", 0, 10 << 20) + TempDir::read(mp3)),
                        "日本語", 44100, 0});
    for (const char *extension : fixtures::Compressed) {
        rows.push_back({dir.file(std::string("tone") + extension), "テスト", 48000, 48000, extension[2] != 'l'});
        ASSERT_TRUE(fixtures::writeCompressed(rows.back().path, tone, "テスト"));
    }
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        const auto d = Decoder::openFile(row.path, 0);
        ASSERT_TRUE(d);
        EXPECT_TRUE(d->info().title == row.title && d->info().artist.empty() && d->info().sourceRate == row.rate);
        const std::vector<float> whole = readAll(*d);
        EXPECT_EQ(d->info().lengthFrames, row.frames ? int64_t(row.frames) : d->info().lengthFrames);
        EXPECT_EQ(whole.size() / 2, row.frames ? row.frames : whole.size() / 2);
        EXPECT_FLOAT_EQ(whole[2 * 100], whole[2 * 100 + 1]);  // mono is doubled onto both sides
        EXPECT_NEAR(row.lossy ? fixtures::measuredHz(whole.data(), whole.size() / 2, 2, 0, row.rate) : 1000.0, 1000.0,
                    3.0);
        float block[512 * 2];
        for (const std::size_t frame : {whole.size() / 2 * 3 / 4, std::size_t(1000), whole.size() / 3}) {
            ASSERT_EQ(d->seek(int64_t(frame)), int64_t(frame));
            ASSERT_EQ(d->read(block, 512), 512u);
            for (std::size_t i = 0; i < 512 * 2 && !row.lossy; ++i)
                ASSERT_NEAR(block[i], whole[frame * 2 + i], 1e-4) << frame;
        }
    }
}

// FLAC, Ogg Vorbis and Opus: the rate is the file's size over its length, and
// nothing undecodable is taken for audio.
TEST(DecoderTest, DamagedCompressedFilesAreRefused) {
    TempDir dir;
    std::mt19937 rng(11);
    std::string noise(16 * 1024, '\0');
    std::generate(noise.begin(), noise.end(), [&rng] { return char(rng()); });
    for (const char *extension : fixtures::Compressed) {
        SCOPED_TRACE(extension);
        const std::string path = dir.file(std::string("tone") + extension);
        ASSERT_TRUE(fixtures::writeCompressed(path, {.rate = 48000}, ""));
        const std::string bytes = TempDir::read(path);
        const auto d = Decoder::openFile(path, 0);
        ASSERT_TRUE(d);
        EXPECT_NEAR(d->info().averageKbps, bytes.size() * 8 / 1000.0, 0.5);
        EXPECT_EQ(d->currentKbps(), d->info().averageKbps);
        // Random bytes (also behind the format's magic), the headers alone; none reaches libmpg123 either.
        for (const std::string &bad : {noise, bytes.substr(0, 4) + noise, bytes.substr(0, 300)})
            EXPECT_FALSE(Decoder::openFile(dir.write(std::string("bad") + extension, bad), 0));
        // Cut in the middle: refused, or what is there plays and ends.
        auto cut = Decoder::openFile(dir.write(std::string("cut") + extension, bytes.substr(0, bytes.size() / 2)), 0);
        EXPECT_LT(cut ? readAll(*cut).size() / 2 : 0, 48000u);
    }
}
