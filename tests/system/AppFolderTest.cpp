// Where the kept files go: the program folder while it can be written, else
// the per-user folder, made on first use with a copy of the bundled schemes.
#include <filesystem>

#include <gtest/gtest.h>

#include "app/AppFolder.h"
#include "app/CommandLineOptions.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct Program {
    TempDir dir;
    Program() {
        dir.write("prog/color/amber.kcl", "colortitle=amber\r\n");
        dir.write("prog/color/blue.kcl", "colortitle=blue\r\n");
        dir.write("prog/color/notes.txt", "not a scheme");
    }
    AppFolder::Inputs readOnly(const std::string &xdg) const {
        AppFolder::Inputs in;
        in.programDir = dir.path() + "prog/";
        in.programDirWritable = false;
        in.xdgConfigHome = xdg;
        in.home = dir.path() + "home";
        return in;
    }
};

}  // namespace

TEST(AppFolderTest, WritableProgramFolderKeepsEverythingBesideTheProgram) {
    Program p;
    AppFolder::Inputs in = p.readOnly(p.dir.path() + "xdg");
    in.programDirWritable = true;
    in.programDir = p.dir.path() + "prog";  // no trailing slash given
    EXPECT_EQ(AppFolder::choose(in), p.dir.path() + "prog/");
    EXPECT_FALSE(fs::exists(p.dir.path() + "xdg"));
    EXPECT_TRUE(AppFolder::writable(p.dir.path() + "prog/"));
    EXPECT_FALSE(AppFolder::writable(p.dir.path() + "missing/"));

    // An installed program folder is never written, even where root may.
    in.programDir = "/usr/lib/corvale/";
    EXPECT_EQ(AppFolder::choose(in), p.dir.path() + "xdg/corvale/");
}

TEST(AppFolderTest, PerUserFolderIsMadeWithTheSchemesCopiedOnce) {
    Program p;
    const std::string xdg = p.dir.path() + "deep/config";  // parents missing too
    const std::string folder = AppFolder::choose(p.readOnly(xdg));
    EXPECT_EQ(folder, xdg + "/corvale/");
    EXPECT_EQ(TempDir::read(folder + "color/amber.kcl"), "colortitle=amber\r\n");
    EXPECT_TRUE(fs::exists(folder + "color/blue.kcl"));
    EXPECT_FALSE(fs::exists(folder + "color/notes.txt"));

    // The user's removals and changes last: nothing is copied again.
    fs::remove(folder + "color/blue.kcl");
    p.dir.write("deep/config/corvale/color/amber.kcl", "colortitle=mine\r\n");
    EXPECT_EQ(AppFolder::choose(p.readOnly(xdg)), folder);
    EXPECT_FALSE(fs::exists(folder + "color/blue.kcl"));
    EXPECT_EQ(TempDir::read(folder + "color/amber.kcl"), "colortitle=mine\r\n");
}

TEST(AppFolderTest, WithoutAnAbsoluteConfigHomeTheHomeFolderIsUsed) {
    Program p;
    const std::string home = p.dir.path() + "home/.config/corvale/";
    EXPECT_EQ(AppFolder::choose(p.readOnly("")), home);
    EXPECT_EQ(AppFolder::userFolder("relative/config", p.dir.path() + "home"), home);
    EXPECT_TRUE(fs::exists(home + "color/amber.kcl"));
    EXPECT_EQ(AppFolder::userFolder("", ""), "");
}

TEST(AppFolderTest, FolderThatCannotBeMadeIsStillNamed) {
    // Reading the settings there then fails with its own message.
    Program p;
    p.dir.write("file", "x");
    EXPECT_EQ(AppFolder::choose(p.readOnly(p.dir.path() + "file")), p.dir.path() + "file/corvale/");
}

TEST(CommandLineOptionsTest, OptionsOnlyAsTheOneArgument) {
    using A = CommandLineOptions::Action;
    const std::pair<std::vector<std::string>, A> cases[] = {
        {{"--help"}, A::Help}, {{"--version"}, A::Version}, {{}, A::Start},
        {{"--help", "song.mp3"}, A::Start}, {{"-h"}, A::Start}, {{"./--version"}, A::Start}};
    for (const auto &[arguments, action] : cases) EXPECT_EQ(CommandLineOptions::parse(arguments), action) << arguments.size();
}
