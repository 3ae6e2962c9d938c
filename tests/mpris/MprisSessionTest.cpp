// The real program on a private session bus (dbus-run-session), driven with
// playerctl: status, metadata, play, pause, next, shuffle, volume and quit,
// each going through the window's own handlers (checked in its log); a
// listener sees every status change signalled, the end of the list too.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

bool onPath(const char *tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Silence, 44.1 kHz 16-bit stereo: no tags, so the file name is the title.
std::string silentWav(uint32_t seconds) {
    const uint32_t bytes = 44100 * 4 * seconds;
    std::string w = "RIFF";
    auto u32 = [&w](uint32_t v) { w.append(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [&w](uint16_t v) { w.append(reinterpret_cast<const char *>(&v), 2); };
    u32(36 + bytes);
    w += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(2);
    u32(44100);
    u32(44100 * 4);
    u16(4);
    u16(16);
    w += "data";
    u32(bytes);
    w.append(bytes, '\0');
    return w;
}

}  // namespace

TEST(MprisSessionTest, PlayerctlDrivesTheRunningPlayer) {
    for (const char *tool : {"dbus-run-session", "dbus-send", "playerctl"})
        if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";
    const fs::path programDir = CORVALE_PROGRAM_DIR;

    TempDir work;
    const fs::path prog = work.path() + "prog";
    fs::create_directories(prog);
    for (const char *item : {"corvale", "libvbmp3.so", "color"})
        fs::copy(programDir / item, prog / item, fs::copy_options::recursive);
    work.write("prog/corvale.ini", "DebugMode=0\r\n");
    const std::string first = work.write("first take.wav", silentWav(2));
    const std::string second = work.write("second.wav", silentWav(1));

    const std::string command = "dbus-run-session -- sh '" CORVALE_MPRIS_TEST_DIR "/mpris_session.sh' '" + prog.string() + "' '" + first + "' '" + second +
                                "' > '" + work.file("run.log") + "' 2>/dev/null";
    const int rc = std::system(command.c_str());
    const std::string out = TempDir::read(work.file("run.log"));
    ASSERT_EQ(rc, 0) << out;

    const std::string folderUrl = "file://" + work.path();
    const std::string expected = "status Stopped\n"
                                 "track '/org/corvale/Corvale/Track/1' 1 first take.wav 2000000 " +
                                 folderUrl + "first%20take.wav\n"
                                 "status Playing\n"
                                 "status Paused\n"
                                 "track 2 second.wav\n"
                                 "status Paused\n"
                                 "status Playing\n"
                                 "signalled Stopped Playing Paused Playing Stopped \n"
                                 "loop Playlist shuffle On\n"
                                 "volume 0.500000\n"
                                 "identity Corvale\n"
                                 "exit 0\n";
    EXPECT_EQ(out, expected);

    // Everything went through the window's buttons, menu and toggle.
    const std::string log = TempDir::read((prog / "debuglog.txt").string());
    for (const char *line : {"MainFrm Called  - Command5", "MainFrm Called  - Command6", "MainFrm Called  - Command4",
                             "MainFrm Called  - mnuPlayModeSet(2)", "MainFrm Called  - Form_DblClick(0)",
                             "Corvale Unload  - Mainform"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}
