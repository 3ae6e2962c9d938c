// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a private session bus, driven with playerctl; a listener
// sees every status change signalled, the end of the list too.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "system/SystemRun.h"
#include "vbmp3/AudioFixtures.h"

TEST(MprisSessionTest, PlayerctlDrivesTheRunningPlayer) {
    for (const char *tool : {"dbus-run-session", "dbus-send", "playerctl"})
        if (!SystemRun::onPath(tool)) GTEST_SKIP() << tool << " is not installed";
    TempDir work;
    const std::string prog = SystemRun::copyProgram(work, {"corvale", "libvbmp3.so", "color"});
    const std::string first = work.write("first take.wav", fixtures::wavBytes({.seconds = 2}));
    const std::string second = work.write("second.wav", fixtures::wavBytes({}));

    using SystemRun::shellWord;
    const auto run =
        SystemRun::shell("(dbus-run-session -- sh " + shellWord(CORVALE_MPRIS_TEST_DIR "/mpris_session.sh") + " " +
                         shellWord(prog) + " " + shellWord(first) + " " + shellWord(second) + " 2>/dev/null)");
    ASSERT_EQ(run.exitCode, 0) << run.output;

    const std::string folderUrl = "file://" + work.path();
    const std::string expected =
        "status Stopped\n"
        "track '/org/corvale/Corvale/Track/1' 1 first take.wav 2000000 " +
        folderUrl +
        "first%20take.wav\n"
        "status Playing\n"
        "status Paused\n"
        "track 2 second.wav\n"
        "status Paused\n"
        "status Playing\n"
        "signalled Stopped Playing Paused Playing Stopped \n"
        "loop Playlist shuffle On\n"
        "loop Track shuffle Off\n"
        "volume 0.500000\n"
        "exit 0\n";
    EXPECT_EQ(run.output, expected);
}
