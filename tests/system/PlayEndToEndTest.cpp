// The real program under Xvfb: a copy of the program folder, a generated MP3
// on the command line, P pressed, sound written by SDL's disk driver, Q
// pressed. Checks the tone in the output, the log's start-up, play and
// unload lines in order, and the rewritten settings file; keeps a screenshot.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "system/SystemRun.h"

namespace fs = std::filesystem;

namespace {

using SystemRun::lines;
using SystemRun::onPath;
using SystemRun::shellWord;

// The frequency of the left channel over the loud part of the output, for
// an output rate of `rate`.
double toneFrequency(const std::vector<float> &stereo, double rate, float &peak) {
    std::size_t first = 0, last = 0;
    peak = 0;
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
        const float a = std::fabs(stereo[i]);
        if (a > 0.05f) {
            if (first == 0) first = i;
            last = i;
        }
        peak = std::max(peak, a);
    }
    if (last <= first + 2 * 4410) return 0;
    // The middle of the loud stretch, away from any fade.
    const std::size_t from = first + (last - first) / 4, to = last - (last - first) / 4;
    int crossings = 0;
    for (std::size_t i = from + 2; i < to; i += 2)
        if ((stereo[i - 2] < 0) != (stereo[i] < 0)) ++crossings;
    const double seconds = static_cast<double>((to - from) / 2) / rate;
    return crossings / 2.0 / seconds;
}

}  // namespace

TEST(PlayEndToEndTest, PlayThenQuitUnderXvfb) {
    for (const char *tool : {"xvfb-run", "xdotool", "lame"})
        if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";

    TempDir work;
    const std::string prog = SystemRun::copyProgram(work, {"corvale", "libvbmp3.so", "color"});
    const std::string ini = prog + "/corvale.ini";
    // Three seconds of a 1 kHz sine, 44.1 kHz.
    const std::string wav = work.write("tone.wav", SystemRun::stereoWav(44100, 44100 * 3, [](uint32_t i) {
        return static_cast<int16_t>(12000 * std::sin(2 * M_PI * 1000.0 * i / 44100));
    }));
    const std::string mp3 = work.file("tone.mp3");
    ASSERT_EQ(SystemRun::shell("lame --quiet -b 192 " + shellWord(wav) + " " + shellWord(mp3)).exitCode, 0);

    const std::string out = work.file("out.raw");
    const std::string shot = std::string(CORVALE_ARTIFACT_DIR) + "/corvale-e2e.png";
    fs::create_directories(CORVALE_ARTIFACT_DIR);
    fs::remove(shot);
    const auto run = SystemRun::shell("xvfb-run -a -s '-screen 0 1024x768x24' sh " +
                                      shellWord(CORVALE_SYSTEM_DIR "/play_and_quit.sh") + " " + shellWord(prog) + " " +
                                      shellWord(mp3) + " " + shellWord(out) + " " + shellWord(shot) + " " +
                                      shellWord(CORVALE_SCREEN_GRAB));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("exit 0"), std::string::npos) << run.output;

    // The tone, at whichever rate the library chose for the device.
    float peak = 0;
    const std::vector<float> sound = SystemRun::readFloats(out);
    const double at441 = toneFrequency(sound, 44100, peak), at48 = toneFrequency(sound, 48000, peak);
    EXPECT_GT(peak, 0.2f);
    EXPECT_TRUE(std::fabs(at441 - 1000) < 20 || std::fabs(at48 - 1000) < 20) << at441 << " / " << at48;

    // Start-up, play and unload, in that order.
    const std::vector<std::string> log = lines(TempDir::read(prog + "/debuglog.txt"));
    std::vector<std::string> expected = {"MainFrm Called  - Main",        "Corvale Show    - MainForm",
                                         "MainFrm Enable  - Timer1",      "KRM1000 Called  - bytPlayListNewOpen",
                                         "MainFrm Called  - Command5",    "KRM1000 Called  - bytPlayStart",
                                         "Corvale Unload  - Mainform",    "KRC1000 Called  - bytSettingWrite"};
    std::size_t next = 0;
    for (const std::string &line : log)
        if (next < expected.size() && line.size() > 11 && line.substr(11) == expected[next]) ++next;
    EXPECT_EQ(next, expected.size()) << "missing from the log: " << (next < expected.size() ? expected[next] : "");

    // The settings file was written back whole.
    const std::vector<std::string> settings = lines(TempDir::read(ini));
    EXPECT_GE(settings.size(), 26u);
    EXPECT_NE(std::find(settings.begin(), settings.end(), "DebugMode=0"), settings.end());
    EXPECT_NE(std::find_if(settings.begin(), settings.end(),
                           [](const std::string &l) { return l.rfind("PositionX=", 0) == 0; }),
              settings.end());

    EXPECT_TRUE(fs::exists(shot)) << "screenshot " << shot;
}
