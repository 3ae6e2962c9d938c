#include "vbmp3/Decoder.h"

#include "AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
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

std::string le(uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

std::string riff(const char *form, const std::string &body) {
    return "RIFF" + le(static_cast<uint32_t>(body.size() + 4), 4) + form + body;
}

std::string fmtChunk(uint16_t tag) {
    return "fmt " + le(16, 4) + le(tag, 2) + le(2, 2) + le(44100, 4) + le(176400, 4) + le(4, 2) + le(16, 2);
}

std::string noise(std::size_t bytes) {
    std::mt19937 rng(42);
    std::string n(bytes, '\0');
    for (char &c : n)
        c = static_cast<char>(rng());
    return n;
}

} // namespace

// Files that once blocked the player or kept libmpg123 searching them byte by
// byte for a minute and more: each open must come back at once, refused or
// with a decoder whose reading ends.
TEST(DecoderTest, HostileFilesAreRefusedOrEndCleanly) {
    TempDir dir;
    const std::string junk = noise(4 << 20);
    const std::string data = "data" + le(static_cast<uint32_t>(junk.size()), 4) + junk;
    ASSERT_EQ(::mkfifo(dir.file("fifo.mp3").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("folder.mp3"));
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.wav"));
    enum Expect { Refused, Either };
    const struct {
        std::string path;
        Expect expect;
    } cases[] = {
        {dir.file("fifo.mp3"), Refused},
        {dir.file("folder.mp3"), Refused},
        {dir.file("zero.wav"), Refused},
        {dir.write("avi.wav", riff("AVI ", "LIST" + le(4, 4) + "hdrl" + junk)), Refused},
        {dir.write("webp.mp3", riff("WEBP", junk)), Refused},
        {dir.write("mpeg-in-wave.wav", riff("WAVE", fmtChunk(0x55) + data)), Either},
        {dir.write("no-fmt-chunk.wav", riff("WAVE", data)), Either},
        {dir.write("pcm-noise.wav", riff("WAVE", fmtChunk(1) + data)), Either},
        {dir.write("noise.mp3", junk), Either},
        {dir.write("id3-then-noise.mp3", std::string("ID3\x03\0\0\0\0\0\x10", 10) + junk), Either},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        auto d = Decoder::openFile(c.path, 0);
        if (c.expect == Refused) {
            EXPECT_FALSE(d);
        } else if (d) {
            std::vector<float> block(4096 * 2);
            std::size_t reads = 0;
            while (d->read(block.data(), 4096) > 0)
                ASSERT_LT(++reads, 10000u);
        }
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
    const std::string src = dir.write("src.wav", fixtures::wavBytes(fixtures::Tone{.seconds = 2.0}));
    ASSERT_TRUE(fixtures::run("lame --quiet -b 128 '" + src + "' '" + dir.file("x.mp3") + "'"));
    const auto mp3 = Decoder::openFile(dir.file("x.mp3"), 0);
    ASSERT_TRUE(mp3);
    const std::vector<float> whole = readAll(*mp3);
    for (const int64_t frame : {int64_t(70000), int64_t(1000), int64_t(44100)}) {
        ASSERT_EQ(mp3->seek(frame), frame);
        std::vector<float> block(512 * 2);
        ASSERT_EQ(mp3->read(block.data(), 512), 512u);
        for (std::size_t i = 0; i < block.size(); ++i)
            ASSERT_NEAR(block[i], whole[std::size_t(frame) * 2 + i], 1e-4) << frame;
    }
}
