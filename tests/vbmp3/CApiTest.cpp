// The exported functions, and a short run end to end through SDL's disk
// driver, whose file holds exactly what was handed to the device.
#include "vbmp3/vbmp3.h"

#include "AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool waitForEnd() {
    return fixtures::waitUntil([] { return vbmp3_getState(nullptr) == VBMP3_STATE_STOPPED; });
}

// The stretch of the disk file from the first to the last non-silent frame.
std::vector<float> sounding(const std::string &raw) {
    const float *f = reinterpret_cast<const float *>(raw.data());
    const std::size_t frames = raw.size() / 8;
    std::size_t first = frames;
    std::size_t last = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        if (f[2 * i] != 0.0f || f[2 * i + 1] != 0.0f) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first >= frames)
        return {};
    return std::vector<float>(f + 2 * first, f + 2 * (last + 1));
}

// Plays a 0.6 s tone through the exported functions into SDL's disk driver;
// returns the sounding stretch of what reached the device.
std::vector<float> playOnDisk(fixtures::Tone t, const DecodeOptionData &decode) {
    TempDir dir;
    fixtures::AudioDriver disk("disk", dir.file("out.raw"));
    t.seconds = 0.6;
    const std::string path = dir.write("tone.wav", fixtures::wavBytes(t));
    EXPECT_EQ(vbmp3_init(), 1);
    const Vbmp3OptionData options{30, 20, 5, 0};
    EXPECT_EQ(vbmp3_setVbmp3Option(&options), 1);
    EXPECT_EQ(vbmp3_setDecodeOption(&decode), 1);
    TrackInfoData info{};
    EXPECT_EQ(vbmp3_open(path.c_str(), &info), 1);
    EXPECT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(vbmp3_getState(nullptr), VBMP3_STATE_PLAYING);
    EXPECT_TRUE(waitForEnd());
    // The end is reported a little ahead of the last frame: let it reach the file.
    EXPECT_TRUE(fixtures::waitForGrowth(dir.file("out.raw"), 44100 * 8 / 2));
    EXPECT_EQ(vbmp3_free(), 1); // stops the device; the file is complete
    return sounding(fixtures::readFile(dir.file("out.raw")));
}

} // namespace

TEST(CApiTest, CallsOutsideInitAndFreeFail) {
    int seconds = 7;
    EXPECT_EQ(vbmp3_getVersion(), 0);
    EXPECT_EQ(vbmp3_play(), 0);
    EXPECT_EQ(vbmp3_getState(&seconds), 0);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(vbmp3_free(), 0);
    ASSERT_EQ(vbmp3_init(), 1);
    EXPECT_EQ(vbmp3_getVersion(), VBMP3_VERSION);
    EXPECT_EQ(vbmp3_setPitch(100), 1);
    EXPECT_EQ(vbmp3_setVbmp3Option(nullptr), 0);
    EXPECT_EQ(vbmp3_open(nullptr, nullptr), 0);
    EXPECT_EQ(vbmp3_getPlayBitRate(), 0);
    EXPECT_EQ(vbmp3_free(), 1);
    EXPECT_EQ(vbmp3_setPitch(100), 0);
}

// (Every frame through the disk driver at the full rate: EngineDeviceTest.)
TEST(CApiTest, DiskDriverMonoAtHalfRate) {
    fixtures::Tone t{.rightHz = 3000};
    const std::vector<float> out = playOnDisk(t, {1, 1, 48000});
    const std::size_t frames = out.size() / 2;
    // 0.6 s at 22050 Hz, both sides the same mix of the two tones.
    EXPECT_NEAR(double(frames), 0.6 * 22050, 40.0);
    for (std::size_t i = 0; i < frames; i += 31)
        ASSERT_EQ(out[2 * i], out[2 * i + 1]);
    EXPECT_NEAR(fixtures::toneDb(out.data() + 200, frames - 400, 2, 0, 22050, 1000), -12.0, 0.5);
    EXPECT_NEAR(fixtures::toneDb(out.data() + 200, frames - 400, 2, 0, 22050, 3000), -12.0, 0.5);
}

TEST(CApiTest, WithoutASoundDeviceTheTrackStillPlaysInRealTime) {
    TempDir dir;
    fixtures::AudioDriver none("no-such-driver");
    fixtures::Tone t{.seconds = 0.3};
    const std::string path = dir.write("tone.wav", fixtures::wavBytes(t));
    ASSERT_EQ(vbmp3_init(), 1);
    TrackInfoData info{};
    ASSERT_EQ(vbmp3_open(path.c_str(), &info), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_TRUE(waitForEnd()); // the silent output took the audio
    // Free while playing: a second round is cut short.
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(vbmp3_free(), 1);
}
