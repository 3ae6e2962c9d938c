// SPDX-License-Identifier: GPL-3.0-or-later
// The exported functions, and short runs end to end through SDL's disk driver,
// whose file holds exactly what was handed to the device.
#include "vbmp3/vbmp3.h"

#include "AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

namespace {

bool waitForEnd() {
    return fixtures::waitUntil([] { return vbmp3_getState(nullptr) == VBMP3_STATE_STOPPED; });
}

}  // namespace

TEST(CApiTest, CallsOutsideInitAndFreeAndValuesOutOfRangeFailTheRestWorksWithoutADevice) {
    int seconds = 7;
    EXPECT_EQ(vbmp3_play(), 0);
    EXPECT_EQ(vbmp3_getState(&seconds), 0);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(vbmp3_free(), 0);
    ASSERT_EQ(vbmp3_init(), 1);
    EXPECT_EQ(vbmp3_getVersion(), VBMP3_VERSION);
    const std::pair<Vbmp3OptionData, int> buffers[] = {
        {{100, 100, 50, 50}, 1}, {{10, 20, 5, 0}, 0}, {{101, 20, 5, 0}, 0}, {{30, 20, 51, 0}, 0}, {{30, 20, 5, -1}, 0}};
    for (const auto &[options, ok] : buffers)
        EXPECT_EQ(vbmp3_setVbmp3Option(&options), ok) << options.InputFrame << " " << options.InputWait;
    const std::pair<DecodeOptionData, int> decodes[] = {
        {{2, 1, 8000}, 1}, {{3, 0, 44100}, 0}, {{0, 2, 44100}, 0}, {{0, 0, 7999}, 0}, {{0, 0, 48001}, 0}};
    for (const auto &[options, ok] : decodes)
        EXPECT_EQ(vbmp3_setDecodeOption(&options), ok) << options.InputSample << " " << options.OutputSample;
    EXPECT_EQ(vbmp3_setPitch(49) + vbmp3_setPitch(301) + vbmp3_setFftWindow(4) + vbmp3_setLyricsTime(2) +
                  vbmp3_setSoftVolume(101, 100) + vbmp3_setVbmp3Option(nullptr),
              0);
    // A failed open zeroes the record and leaves nothing to play.
    TempDir dir;
    TrackInfoData info;
    std::memset(&info, 0x55, sizeof info);
    EXPECT_EQ(vbmp3_open(dir.write("empty.mp3", "").c_str(), &info), 0);
    EXPECT_TRUE(info.Title[0] == 0 && info.LengthSeconds == 0);
    EXPECT_EQ(vbmp3_play(), 0);
    EXPECT_EQ(vbmp3_free(), 1);
    EXPECT_EQ(vbmp3_setPitch(100), 0);

    // Without a sound device the track still plays, in real time.
    fixtures::AudioDriver none("no-such-driver");
    ASSERT_EQ(vbmp3_init(), 1);
    ASSERT_EQ(vbmp3_open(dir.write("tone.wav", fixtures::wavBytes({.seconds = 0.3})).c_str(), &info), 1);
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_TRUE(waitForEnd());  // the silent output took the audio
    ASSERT_EQ(vbmp3_play(), 1);
    EXPECT_EQ(vbmp3_free(), 1);  // while playing
}

// A 1 kHz left / 3 kHz right tone through the disk driver: every frame once at the
// output rate chosen, each tone at its pitch and level (mono: both mixed at half level).
// Equalizer and volume apply at vbmp3_reload. The tagged MPEG file has a CP932 title
// longer than its field and the artist in an ID3v1 tag.
TEST(CApiTest, DiskDriverPlaysEveryFrameAtItsPitchAndLevel) {
    struct Row {
        const char *name;
        DecodeOptionData decode{0, 0, 48000};
        int rate = 44100;
        double dbLeft = -6.0, dbRight = -6.0;
        int pitch = 100;
        std::array<int32_t, 10> bands{};
        int volume = 100;
        bool mp3 = false;
        double seconds = 0.6;
    };
    const Row rows[] = {
        {.name = "as it is: the samples untouched"},
        {.name = "mono at half rate, where the 16 kHz band stays flat",
         .decode = {1, 1, 48000},
         .rate = 22050,
         .dbLeft = -12.0,
         .dbRight = -12.0,
         .bands = {0, 0, 0, 0, 0, 0, 0, 0, 0, 100}},
        {.name = "capped at 32 kHz", .decode = {0, 0, 32000}, .rate = 32000},
        {.name = "1 kHz cut by 6 dB, left at half volume",
         .dbLeft = -18.0,
         .dbRight = -6.4,
         .bands = {0, 0, 0, 0, 0, -30, 0, 0, 0, 0},
         .volume = 50},
        {.name = "pitch 150", .pitch = 150},
        {.name = "tagged MPEG at a quarter rate", .decode = {2, 0, 48000}, .rate = 11025, .mp3 = true, .seconds = 2.0},
    };
    std::string cp932, utf8;
    for (int i = 0; i < 60; ++i, cp932 += "\x82\xA0")  // あ
        utf8 += "あ";
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fixtures::Tone tone{.seconds = row.seconds, .rightHz = 3000};
        // The content decides, not the name: the WAV goes in as .mp3, the MPEG file as .wav.
        std::string path = dir.write("wav.mp3", fixtures::wavBytes(tone));
        if (row.mp3) {
            if (fixtures::encode("lame", "-b 192 -m s", dir.write("t.wav", fixtures::wavBytes(tone)), dir.file("t.mp3"))
                    .empty())
                continue;
            path = dir.write("mpeg.wav", fixtures::id3v2(3, cp932, "", 0) + TempDir::read(dir.file("t.mp3")) +
                                             fixtures::id3v1("v1 title", "v1 artist"));
        }
        fixtures::AudioDriver disk("disk", dir.file("out.raw"));
        ASSERT_EQ(vbmp3_init(), 1);
        const Vbmp3OptionData buffers{100, 20, 5, 50};  // ample, against a busy machine
        TrackInfoData info{};
        EXPECT_EQ(vbmp3_setVbmp3Option(&buffers) + vbmp3_setDecodeOption(&row.decode) + vbmp3_setPitch(row.pitch) +
                      vbmp3_open(path.c_str(), &info),
                  4);
        // 60 x "あ" is 180 bytes of UTF-8: cut at a character boundary to 126 bytes.
        EXPECT_EQ(std::string(info.Title) + "|" + info.SecondLine,
                  row.mp3 ? utf8.substr(0, 126) + "|v1 artist" : std::string("WAVE_FORMAT_PCM|"));
        EXPECT_EQ(
            vbmp3_setEqualizer(row.bands.data()) + vbmp3_setSoftVolume(row.volume, 100) + vbmp3_reload() + vbmp3_play(),
            4);
        EXPECT_TRUE(waitForEnd());
        // The end comes once the track is decoded, ahead of its last frames (the ring
        // may hold all of them): the device goes idle once they have reached the file.
        EXPECT_TRUE(fixtures::waitUntilSettled(dir.file("out.raw")));
        EXPECT_EQ(vbmp3_free(), 1);  // stops the device; the file is complete

        // The stretch from the first to the last frame that sounds.
        const std::string raw = TempDir::read(dir.file("out.raw"));
        const float *f = reinterpret_cast<const float *>(raw.data());
        std::size_t first = 0, last = raw.size() / 8;
        while (first < last && f[2 * first] == 0.0f && f[2 * first + 1] == 0.0f) ++first;
        while (last > first && f[2 * last - 2] == 0.0f && f[2 * last - 1] == 0.0f) --last;
        const double speed = row.pitch / 100.0;
        const std::size_t frames = last - first;
        EXPECT_NEAR(double(frames), row.seconds * row.rate / speed, 3.0);
        if (&row == rows) {
            const std::vector<float> in = fixtures::toneFrames(tone);
            for (std::size_t i = 0; i < 2 * frames; ++i) {  // from the tone's second frame, the first being silent
                const float fadeIn = std::min(1.0f, float(i / 2 + 1) / 128.0f);
                ASSERT_EQ(f[2 * first + i], float(std::lround(in[i + 2] * 32767.0) / 32768.0) * fadeIn) << i;
            }
        }
        const float *mid = f + 2 * (first + frames / 10);
        const std::size_t n = frames * 8 / 10;
        EXPECT_NEAR(fixtures::toneDb(mid, n, 2, 0, row.rate, 1000 * speed), row.dbLeft, 0.3);
        EXPECT_NEAR(fixtures::toneDb(mid, n, 2, 1, row.rate, 3000 * speed), row.dbRight, 0.3);
        const bool mono = row.decode.OutputChannel == 1;  // the right tone mixed into the left
        EXPECT_NEAR(mono ? fixtures::toneDb(mid, n, 2, 0, row.rate, 3000) : row.dbRight, row.dbRight, 0.3);
        EXPECT_NEAR(mono ? 1000.0 * speed : fixtures::measuredHz(mid, n, 2, 0, row.rate), 1000.0 * speed, 1.0);
    }
}
