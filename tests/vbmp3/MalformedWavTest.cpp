// WAV files that the fuzzer turned up: float samples that are not numbers, and
// a header whose sample rate would size the track's buffers in gigabytes.
#include "vbmp3/Decoder.h"
#include "vbmp3/Engine.h"

#include "AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr std::size_t kHeaderBytes = 44; // fixtures::wavBytes: RIFF, fmt (16), data

void putSample(std::string &wav, std::size_t index, float v) {
    std::memcpy(wav.data() + kHeaderBytes + index * 4, &v, 4);
}

void putRate(std::string &wav, uint32_t rate) {
    for (int i = 0; i < 4; ++i)
        wav[24 + i] = static_cast<char>((rate >> (8 * i)) & 0xFF);
}

std::vector<float> renderToEnd(Engine &engine) {
    std::vector<float> all;
    std::vector<float> piece(1024 * 2);
    int elapsed = 0;
    for (int i = 0; i < 200 && engine.state(&elapsed) == VBMP3_STATE_PLAYING; ++i) {
        engine.render(piece.data(), 1024);
        all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
}

} // namespace

TEST(MalformedWavTest, FloatSamplesThatAreNotNumbersPlayAsSilence) {
    TempDir dir;
    fixtures::Tone t{.rate = 22050, .sample = fixtures::Sample::Float32, .seconds = 0.3};
    std::string broken = fixtures::wavBytes(t);
    const float inf = std::numeric_limits<float>::infinity();
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 1e30f, -1e30f};
    for (std::size_t i = 0; i < 5; ++i)
        putSample(broken, 1000 + i, bad[i]);
    const std::string brokenPath = dir.write("broken.wav", broken);

    const auto decoder = Decoder::openFile(brokenPath, 0);
    ASSERT_TRUE(decoder);
    std::vector<float> block(8192 * 2);
    const std::size_t n = decoder->read(block.data(), 8192);
    ASSERT_GT(n, 600u);
    EXPECT_EQ(block[1000], 0.0f);
    EXPECT_EQ(block[1001], 0.0f);
    EXPECT_EQ(block[1002], 0.0f);
    EXPECT_EQ(block[1003], 8.0f); // kept within 18 dB of full scale
    EXPECT_EQ(block[1004], -8.0f);
    EXPECT_FLOAT_EQ(block[999], fixtures::toneFrames(t)[999]); // the rest as it was

    // Through the whole chain, and the next track still sounds.
    Engine engine(Engine::Output::Render);
    TrackInfoData info{};
    ASSERT_TRUE(engine.open(brokenPath.c_str(), &info));
    ASSERT_TRUE(engine.play());
    for (float v : renderToEnd(engine))
        ASSERT_TRUE(std::isfinite(v));
    t.sample = fixtures::Sample::Pcm16;
    ASSERT_TRUE(engine.open(dir.write("clean.wav", fixtures::wavBytes(t)).c_str(), &info));
    ASSERT_TRUE(engine.play());
    const std::vector<float> clean = renderToEnd(engine);
    ASSERT_GT(clean.size(), 4000u);
    EXPECT_NEAR(fixtures::peak(clean.data(), clean.size() / 2, 2), 0.5f, 0.05f);
}

TEST(MalformedWavTest, SampleRateBeyondAnyRecordingIsRefused) {
    TempDir dir;
    fixtures::Tone t{.seconds = 0.1};
    std::string wav = fixtures::wavBytes(t);
    putRate(wav, 1163416640u);
    const std::string absurd = dir.write("absurd.wav", wav);
    EXPECT_FALSE(Decoder::openFile(absurd, 0));
    Engine engine(Engine::Output::Render);
    TrackInfoData info{};
    EXPECT_FALSE(engine.open(absurd.c_str(), &info));

    putRate(wav, 384000u); // the highest rate recorders use
    const auto hiRes = Decoder::openFile(dir.write("hires.wav", wav), 0);
    ASSERT_TRUE(hiRes);
    EXPECT_EQ(hiRes->info().sourceRate, 384000);
}
