// The exported functions, and short runs end to end through SDL's disk driver,
// whose file holds exactly what was handed to the device.
#include "vbmp3/vbmp3.h"

#include "AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

// Polls, without any assumption on speed, until the track stops.
bool waitForEnd() {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (vbmp3_getState(nullptr) != VBMP3_STATE_STOPPED) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Points SDL at another output driver for the scope (the disk driver writes into `file`).
struct AudioDriver {
    AudioDriver(const char *driver, const std::string &file = {}) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    }
    ~AudioDriver() { saved.empty() ? unsetenv("SDL_AUDIODRIVER") : setenv("SDL_AUDIODRIVER", saved.c_str(), 1); }
    std::string saved = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
};

} // namespace

TEST(CApiTest, CallsOutsideInitAndFreeFail) {
    int seconds = 7;
    EXPECT_EQ(vbmp3_play(), 0);
    EXPECT_EQ(vbmp3_getState(&seconds), 0);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(vbmp3_free(), 0);
    ASSERT_EQ(vbmp3_init(), 1);
    EXPECT_EQ(vbmp3_getVersion(), VBMP3_VERSION);
    EXPECT_EQ(vbmp3_setVbmp3Option(nullptr), 0);
    EXPECT_EQ(vbmp3_open(nullptr, nullptr), 0);
    EXPECT_EQ(vbmp3_free(), 1);
    EXPECT_EQ(vbmp3_setPitch(100), 0);
}

// A 1 kHz left / 3 kHz right tone through the disk driver: every frame once at
// the output rate chosen, each tone at its pitch and level (mono: both mixed
// at half level on both sides).
TEST(CApiTest, DiskDriverPlaysEveryFrameAtItsPitchAndLevel) {
    struct Row {
        const char *name;
        DecodeOptionData decode;
        bool mp3;
        int rate;
        double db;
        double frameSlack;
    };
    const Row rows[] = {{"as it is", {0, 0, 48000}, false, 44100, -6.0, 3},
                        {"mono at half rate", {1, 1, 48000}, false, 22050, -12.0, 40},
                        {"capped at 32 kHz", {0, 0, 32000}, false, 32000, -6.0, 40},
                        {"MPEG at a quarter", {2, 0, 48000}, true, 11025, -6.0, 400}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        std::string path = dir.write("tone.wav", fixtures::wavBytes({.seconds = 0.6, .rightHz = 3000}));
        if (row.mp3 && !fixtures::run("lame --quiet -b 192 -m s '" + path + "' '" + dir.file("tone.mp3") + "'"))
            continue;
        path = row.mp3 ? dir.file("tone.mp3") : path;
        AudioDriver disk("disk", dir.file("out.raw"));
        ASSERT_EQ(vbmp3_init(), 1);
        const Vbmp3OptionData options{30, 20, 5, 0};
        EXPECT_EQ(vbmp3_setVbmp3Option(&options), 1);
        EXPECT_EQ(vbmp3_setDecodeOption(&row.decode), 1);
        TrackInfoData info{};
        EXPECT_EQ(vbmp3_open(path.c_str(), &info), 1);
        EXPECT_EQ(vbmp3_play(), 1);
        EXPECT_EQ(vbmp3_getState(nullptr), VBMP3_STATE_PLAYING);
        EXPECT_TRUE(waitForEnd());
        EXPECT_EQ(vbmp3_free(), 1); // stops the device; the file is complete

        // The stretch from the first to the last frame that sounds.
        const std::string raw = fixtures::readFile(dir.file("out.raw"));
        const float *f = reinterpret_cast<const float *>(raw.data());
        std::size_t first = 0;
        std::size_t last = raw.size() / 8;
        while (first < last && f[2 * first] == 0.0f && f[2 * first + 1] == 0.0f)
            ++first;
        while (last > first && f[2 * last - 2] == 0.0f && f[2 * last - 1] == 0.0f)
            --last;
        const std::size_t frames = last - first;
        EXPECT_NEAR(double(frames), 0.6 * row.rate, row.frameSlack);
        const float *mid = f + 2 * (first + frames / 10);
        const std::size_t n = frames * 8 / 10;
        EXPECT_NEAR(fixtures::toneDb(mid, n, 2, 0, row.rate, 1000), row.db, 0.3);
        EXPECT_NEAR(fixtures::toneDb(mid, n, 2, 1, row.rate, 3000), row.db, 0.3);
        if (row.decode.OutputChannel == 1) {
            EXPECT_NEAR(fixtures::toneDb(mid, n, 2, 0, row.rate, 3000), row.db, 0.3);
            for (std::size_t i = first; i < last; i += 31)
                ASSERT_EQ(f[2 * i], f[2 * i + 1]);
        } else {
            EXPECT_NEAR(fixtures::measuredHz(mid, n, 2, 0, row.rate), 1000.0, 1.0);
        }
    }
}

TEST(CApiTest, WithoutASoundDeviceTheTrackStillPlaysInRealTime) {
    TempDir dir;
    AudioDriver none("no-such-driver");
    const std::string path = dir.write("tone.wav", fixtures::wavBytes({.seconds = 0.3}));
    ASSERT_EQ(vbmp3_init(), 1);
    TrackInfoData info{};
    ASSERT_EQ(vbmp3_open(path.c_str(), &info), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_TRUE(waitForEnd()); // the silent output took the audio
    // Free while playing: a second round is cut short.
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(vbmp3_free(), 1);
}
