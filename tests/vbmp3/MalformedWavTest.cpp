// WAV files that the fuzzer turned up: float samples that are not numbers, and
// a header whose sample rate would size the track's buffers in gigabytes.
#include "vbmp3/Decoder.h"
#include "vbmp3/Engine.h"

#include "AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

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

TEST(MalformedWavTest, NonNumbersPlayAsSilenceAndAbsurdRatesAreRefused) {
    TempDir dir;
    const fixtures::Tone t{.rate = 22050, .sample = fixtures::Sample::Float32, .seconds = 0.3};
    std::vector<float> frames = fixtures::toneFrames(t);
    const float inf = std::numeric_limits<float>::infinity();
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 1e30f, -1e30f};
    std::copy(std::begin(bad), std::end(bad), frames.begin() + 1000);
    const std::string broken = dir.write("broken.wav", fixtures::wavBytes(t, 0, &frames));
    const auto decoder = Decoder::openFile(broken, 0);
    ASSERT_TRUE(decoder);
    std::vector<float> block(8192 * 2);
    ASSERT_GT(decoder->read(block.data(), 8192), 600u);
    // Silence, or kept within 18 dB of full scale; the rest as it was.
    EXPECT_EQ(std::vector<float>(block.begin() + 999, block.begin() + 1005),
              (std::vector<float>{frames[999], 0.0f, 0.0f, 0.0f, 8.0f, -8.0f}));

    // Through the whole chain, and the next track still sounds.
    Engine engine(Engine::Output::Render);
    TrackInfoData info{};
    const std::string clean = dir.write("clean.wav", fixtures::wavBytes({.rate = 22050, .seconds = 0.3}));
    for (const std::string &path : {broken, clean}) {
        ASSERT_TRUE(engine.open(path.c_str(), &info) && engine.play());
        const std::vector<float> out = renderToEnd(engine);
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return std::isfinite(v); }));
        EXPECT_NEAR(path == clean ? fixtures::peak(out.data(), out.size() / 2, 2) : 0.5f, 0.5f, 0.05f);
    }

    std::string wav = fixtures::wavBytes({.seconds = 0.1});
    for (const uint32_t rate : {1163416640u, 384000u}) { // the latter the highest rate recorders use
        std::memcpy(wav.data() + 24, &rate, 4);
        const std::string path = dir.write("rate.wav", wav);
        EXPECT_EQ(bool(Decoder::openFile(path, 0)), rate == 384000u) << rate;
        EXPECT_TRUE(rate == 384000u || !engine.open(path.c_str(), &info));
    }
}
