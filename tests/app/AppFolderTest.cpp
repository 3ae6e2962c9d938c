// SPDX-License-Identifier: GPL-3.0-or-later
// A program folder that cannot be written: the per-user folder starts as a copy
// of its schemes and settings (the install run covers the fall-back to HOME).
#include <filesystem>

#include <gtest/gtest.h>

#include "app/AppFolder.h"
#include "app/CommandLineOptions.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

TEST(AppFolderTest, PerUserFolderStartsFromTheProgramFolderOrElseItsSettingsAreRead) {
    TempDir dir;
    dir.write("prog/color/amber.kcl", "colortitle=amber\r\n");
    dir.write("prog/color/notes.txt", "not a scheme");
    dir.write("prog/corvale.ini", "PlayMode=1\r\n");
    AppFolder::Inputs in;
    in.programDir = dir.path() + "prog/";
    in.programDirWritable = false;
    in.home = dir.path() + "home";
    in.xdgConfigHome = dir.path() + "deep/config";  // parents missing too
    const std::string folder = AppFolder::choose(in);
    EXPECT_EQ(folder, in.xdgConfigHome + "/corvale/");
    EXPECT_TRUE(fs::exists(folder + "color/amber.kcl"));
    EXPECT_FALSE(fs::exists(folder + "color/notes.txt"));
    EXPECT_EQ(TempDir::read(folder + "corvale.ini"), "PlayMode=1\r\n");
    // Copied once: the user's own settings last.
    dir.write("deep/config/corvale/corvale.ini", "PlayMode=2\r\n");
    AppFolder::choose(in);
    EXPECT_EQ(TempDir::read(folder + "corvale.ini"), "PlayMode=2\r\n");
    // Neither folder can be written: the program folder's settings are read.
    in.xdgConfigHome = dir.write("file", "x");
    EXPECT_EQ(AppFolder::choose(in), in.programDir);
    // An installed program folder is never written, even where root may.
    in.programDir = "/usr/lib/corvale/";
    in.programDirWritable = true;
    in.xdgConfigHome = dir.path() + "deep/config";
    EXPECT_EQ(AppFolder::choose(in), in.xdgConfigHome + "/corvale/");
}

TEST(CommandLineOptionsTest, OptionsOnlyAsTheOneArgument) {
    using A = CommandLineOptions::Action;
    const std::pair<std::vector<std::string>, A> cases[] = {
        {{"--help"}, A::Help}, {{"--help", "song.mp3"}, A::Start}, {{"./--version"}, A::Start}};
    for (const auto &[arguments, action] : cases)
        EXPECT_EQ(CommandLineOptions::parse(arguments), action) << arguments.size();
}
