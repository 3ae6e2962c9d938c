#include "vbmp3/Decoder.h"

#include "AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<float> readAll(Decoder &d) {
    std::vector<float> out;
    std::vector<float> block(4096 * 2);
    for (;;) {
        const std::size_t n = d.read(block.data(), 4096);
        out.insert(out.end(), block.begin(), block.begin() + long(n * 2));
        if (n == 0)
            break;
    }
    return out;
}

} // namespace

// Files that once blocked the player or kept libmpg123 searching them byte by
// byte for a minute and more: each open must come back at once, refused or
// with a decoder whose reading ends.
TEST(DecoderTest, HostileFilesAreRefusedOrEndCleanly) {
    TempDir dir;
    std::mt19937 rng(42);
    std::string junk(4 << 20, '\0');
    for (char &c : junk)
        c = static_cast<char>(rng());
    ASSERT_EQ(::mkfifo(dir.file("fifo.mp3").c_str(), 0600), 0);
    const std::pair<std::string, bool> cases[] = {  // path, refused
        {dir.file("fifo.mp3"), true},
        {dir.write("avi.wav", std::string("RIFF\xff\xff\xff\x7f" "AVI LIST", 16) + junk), true},
        {dir.write("mpeg-in-wave.wav", fixtures::riffWrapMp3(junk, 44100, 2, 128)), false},
        {dir.write("noise.mp3", junk), false},
        {dir.write("id3-then-noise.mp3", std::string("ID3\x03\0\0\0\0\0\x10", 10) + junk), false},
    };
    for (const auto &[path, refused] : cases) {
        SCOPED_TRACE(path);
        auto d = Decoder::openFile(path, 0);
        EXPECT_TRUE(!refused || !d);
        std::vector<float> block(4096 * 2);
        for (std::size_t reads = 0; d && d->read(block.data(), 4096) > 0;)
            ASSERT_LT(++reads, 10000u);
    }
}

TEST(DecoderTest, WavInfoAndSamples) {
    TempDir dir;
    fixtures::Tone t{.rate = 22050, .channels = 1, .seconds = 1.5};
    const auto pcm = Decoder::openFile(dir.write("mono.wav", fixtures::wavBytes(t)), 0);
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->info().title, "WAVE_FORMAT_PCM");
    EXPECT_EQ(pcm->info().sourceRate, 22050);
    EXPECT_EQ(pcm->info().sourceChannels, 1);
    EXPECT_EQ(pcm->info().lengthFrames, 33075);
    EXPECT_EQ(pcm->info().averageKbps, 22050 * 16 / 1000);
    const std::vector<float> s = readAll(*pcm);
    ASSERT_EQ(s.size(), 33075u * 2);
    // Mono is doubled onto both sides.
    EXPECT_FLOAT_EQ(s[2 * 100], s[2 * 100 + 1]);
    EXPECT_NEAR(fixtures::measuredHz(s.data(), 33075, 2, 0, 22050), 1000.0, 1.0);

    t.sample = fixtures::Sample::Float32;
    t.channels = 2;
    const auto flt = Decoder::openFile(dir.write("float.wav", fixtures::wavBytes(t)), 0);
    ASSERT_TRUE(flt);
    EXPECT_EQ(flt->info().title, "WAVE_FORMAT_IEEE_FLOAT");
    EXPECT_EQ(flt->info().averageKbps, 22050 * 2 * 32 / 1000);
    EXPECT_EQ(flt->seek(22050), 22050);
    EXPECT_EQ(readAll(*flt).size(), (33075u - 22050u) * 2);
}

// libmpg123 reads through the decoder's buffer: seeking back and forth lands
// on the samples a straight read gives.
TEST(DecoderTest, MpegSeeksLandOnTheSamplesOfAStraightRead) {
    if (!fixtures::haveTool("lame"))
        GTEST_SKIP() << "lame not installed";
    TempDir dir;
    const std::string wav = dir.write("src.wav", fixtures::wavBytes(fixtures::Tone{.seconds = 2.0}));
    ASSERT_TRUE(fixtures::run("lame --quiet -b 128 '" + wav + "' '" + dir.file("x.mp3") + "'"));
    const auto mp3 = Decoder::openFile(dir.file("x.mp3"), 0);
    ASSERT_TRUE(mp3);
    const std::vector<float> whole = readAll(*mp3);
    float block[512 * 2];
    for (const int64_t frame : {int64_t(70000), int64_t(1000), int64_t(44100)}) {
        ASSERT_EQ(mp3->seek(frame), frame);
        ASSERT_EQ(mp3->read(block, 512), 512u);
        for (std::size_t i = 0; i < 512 * 2; ++i)
            ASSERT_NEAR(block[i], whole[std::size_t(frame) * 2 + i], 1e-4) << frame;
    }
}

TEST(DecoderTest, CompressedTagsSeekingAndDamage) {
    TempDir dir;
    std::mt19937 rng(11);
    std::string noise(16 * 1024, '\0');
    std::generate(noise.begin(), noise.end(), [&rng] { return char(rng()); });
    for (const fixtures::CompressedFile &format : fixtures::kCompressed) {
        SCOPED_TRACE(format.extension);
        const std::string name = format.extension + 1;
        const fixtures::Tone t{.rate = 48000, .seconds = 1.0};
        const std::string path = dir.file("tone" + std::string(format.extension));
        ASSERT_TRUE(fixtures::writeCompressed(path, t, format.format, "テスト", ""));
        auto d = Decoder::openFile(path, 0);
        ASSERT_TRUE(d);
        const auto &i = d->info();
        EXPECT_TRUE(i.title == "テスト" && i.artist.empty() && !i.mpeg && i.sourceRate == 48000 && i.lengthFrames == 48000);
        // The file's size over its length, also while it plays.
        EXPECT_NEAR(i.averageKbps, fixtures::readFile(path).size() * 8 / 1000.0, 0.5);
        EXPECT_EQ(d->currentKbps(), i.averageKbps);
        EXPECT_EQ(d->seek(36000), 36000);
        const std::vector<float> rest = readAll(*d);
        EXPECT_NEAR(double(rest.size() / 2), 12000.0, 1.0);
        EXPECT_NEAR(fixtures::measuredHz(rest.data(), rest.size() / 2, 2, 0, 48000), 1000.0, 3.0);

        // Nothing decodable: random bytes (also behind the format's magic),
        // the headers alone; none of them reaches libmpg123 either.
        const std::string bytes = fixtures::readFile(path);
        for (const std::string &bad : {noise, bytes.substr(0, 4) + noise, bytes.substr(0, 300)})
            EXPECT_FALSE(Decoder::openFile(dir.write("bad." + name, bad), 0));
        // Cut in the middle: refused, or what is there plays and ends.
        auto cut = Decoder::openFile(dir.write("cut." + name, bytes.substr(0, bytes.size() / 2)), 0);
        EXPECT_LT(cut ? readAll(*cut).size() / 2 : 0, 48000u);
    }
    // An MP3 named .ogg still plays: its content says MPEG.
    if (!fixtures::haveTool("lame"))
        return;
    const std::string src = dir.write("src.wav", fixtures::wavBytes({.seconds = 0.2}));
    ASSERT_TRUE(fixtures::run("lame --quiet -b 128 '" + src + "' '" + dir.file("mp3.ogg") + "'"));
    const auto mp3 = Decoder::openFile(dir.file("mp3.ogg"), 0);
    EXPECT_TRUE(mp3 && mp3->info().mpeg);
}
