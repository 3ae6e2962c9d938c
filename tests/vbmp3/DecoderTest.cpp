#include "vbmp3/Decoder.h"

#include "AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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

