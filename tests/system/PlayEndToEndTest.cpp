// The real program under Xvfb: a copy of the program folder, a generated MP3
// on the command line, P pressed, sound written by SDL's disk driver, Q
// pressed. Checks the tone in the output, the log's start-up, play and
// unload lines in order, and the rewritten settings file; keeps a screenshot.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "system/SystemRun.h"

namespace fs = std::filesystem;

namespace {

using SystemRun::lines;
using SystemRun::onPath;
using SystemRun::readFloats;

// Three seconds of a 1 kHz sine, 44.1 kHz 16-bit stereo.
std::string toneWav() {
    const uint32_t rate = 44100, frames = rate * 3, bytes = frames * 4;
    std::string w;
    auto u32 = [&w](uint32_t v) { w.append(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [&w](uint16_t v) { w.append(reinterpret_cast<const char *>(&v), 2); };
    w += "RIFF";
    u32(36 + bytes);
    w += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(2);
    u32(rate);
    u32(rate * 4);
    u16(4);
    u16(16);
    w += "data";
    u32(bytes);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto s = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 1000.0 * i / rate));
        u16(static_cast<uint16_t>(s));
        u16(static_cast<uint16_t>(s));
    }
    return w;
}

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
    const fs::path prog = work.path() + "prog";
    fs::create_directories(prog);
    for (const char *item : {"corvale", "libvbmp3.so", "color"})
        fs::copy(fs::path(CORVALE_PROGRAM_DIR) / item, prog / item, fs::copy_options::recursive);
    const std::string ini = (prog / "corvale.ini").string();
    work.write("prog/corvale.ini", "DebugMode=0\r\n");

    const std::string wav = work.write("tone.wav", toneWav());
    const std::string mp3 = work.file("tone.mp3");
    ASSERT_EQ(std::system(("lame --quiet -b 192 '" + wav + "' '" + mp3 + "'").c_str()), 0);

    const std::string out = work.file("out.raw");
    const std::string shot = std::string(CORVALE_ARTIFACT_DIR) + "/corvale-e2e.png";
    fs::create_directories(CORVALE_ARTIFACT_DIR);
    fs::remove(shot);
    const std::string command = "xvfb-run -a -s '-screen 0 1024x768x24' sh '" CORVALE_SYSTEM_DIR
                                "/play_and_quit.sh' '" + prog.string() + "' '" + mp3 + "' '" + out + "' '" + shot +
                                "' '" CORVALE_SCREEN_GRAB "' > '" + work.file("run.log") + "' 2>&1";
    const int rc = std::system(command.c_str());
    const std::string runLog = TempDir::read(work.file("run.log"));
    ASSERT_EQ(rc, 0) << runLog;
    EXPECT_NE(runLog.find("exit 0"), std::string::npos) << runLog;

    // The tone, at whichever rate the library chose for the device.
    float peak = 0;
    const std::vector<float> sound = readFloats(out);
    const double at441 = toneFrequency(sound, 44100, peak), at48 = toneFrequency(sound, 48000, peak);
    EXPECT_GT(peak, 0.2f);
    EXPECT_TRUE(std::fabs(at441 - 1000) < 20 || std::fabs(at48 - 1000) < 20) << at441 << " / " << at48;

    // Start-up, play and unload, in that order.
    const std::vector<std::string> log = lines(TempDir::read((prog / "debuglog.txt").string()));
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
