// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <tuple>

#include <sys/stat.h>

#include "common/AudioFileTypes.h"
#include "common/Clock.h"
#include "common/FileLookup.h"
#include "common/PathList.h"
#include "common/PathUtil.h"
#include "common/TextFile.h"
#include "support/TempDir.h"

TEST(PathList, SplitsEveryFormWithOneFolderRule) {
    using V = std::vector<std::string>;
    const std::string nul(1, '\0');
    const struct {
        std::string list;
        V paths;
    } cases[] = {
        {"/m/a.mp3", {"/m/a.mp3"}},
        {"/m" + nul + "a.mp3" + nul + "b.mp3" + nul + nul, {"/m/a.mp3", "/m/b.mp3"}},  // a selection
        {"/m/" + nul + "a.mp3" + nul + "b.mp3", {"/m/a.mp3", "/m/b.mp3"}},             // folder ends in '/'
        {"/x/a.mp3" + nul + "/y/b.mp3" + nul, {"/x/a.mp3", "/y/b.mp3"}},               // full paths
        {"/x/a.mp3" + nul + nul + "/y/b.mp3", {"/x/a.mp3"}},                           // ends at a double NUL
        {"", {}},
        {nul + nul, {}},
    };
    for (const auto &c : cases) EXPECT_EQ(PathList::split(c.list), c.paths) << c.list;
    EXPECT_EQ(PathList::split(PathList::join({"/m", "a.mp3"})), V{"/m/a.mp3"});
    EXPECT_EQ(PathList::join({"/x/a", "/y/b"}), "/x/a" + nul + "/y/b" + nul + nul);
    EXPECT_EQ(PathList::strCutNull("title" + nul + "junk"), "title");
}

// Path; a track, read by libsndfile alone, a track or a list; a track's lyrics stem.
TEST(AudioFileTypes, TracksListsAndLyricsByName) {
    const std::tuple<const char *, bool, bool, bool, const char *> cases[] = {
        {"/a/SONG.MP3", true, false, true, "/a/SONG."},
        {"x.Wav", true, false, true, "x."},
        {"/m/a.FLAC", true, true, true, "/m/a."},
        {"a.Opus", true, true, true, "a."},
        {"LIST.M3U", false, false, true, ""},
        {"list.m3u8", false, false, false, ""},
        {".opus", false, false, false, ""},
        {"x.flac.txt", false, false, false, ""}};
    for (const auto &[path, audio, sndfileOnly, trackOrList, stem] : cases) {
        EXPECT_EQ(AudioFileTypes::isAudioPath(path), audio) << path;
        EXPECT_EQ(AudioFileTypes::isSndfileOnlyPath(path), sndfileOnly) << path;
        EXPECT_EQ(AudioFileTypes::isTrackOrListPath(path), trackOrList) << path;
        EXPECT_EQ(audio ? AudioFileTypes::lyricsStem(path) : "", stem) << path;
    }
}

TEST(TextFile, AtomicWriteReplacesOrLeavesTheOldFile) {
    TempDir dir;
    const std::string f = dir.write("a.ini", "old");
    ASSERT_TRUE(TextFile::writeAtomic(f, "new\r\n"));
    EXPECT_EQ(TempDir::read(f), "new\r\n");
    // A temporary a killed write left is cleared; one being written is not.
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
    std::filesystem::last_write_time(dir.write("a.ini.tmp-Ab12Cd", "half"), old);
    dir.write("a.ini.tmp-Ef34Gh", "being written");
    ASSERT_TRUE(TextFile::writeAtomic(f, "new"));
    // A folder in the way is never replaced, and no temporary file is left behind.
    std::filesystem::create_directory(dir.file("d.ini"));
    EXPECT_FALSE(TextFile::writeAtomic(dir.file("d.ini"), "x"));
    EXPECT_TRUE(PathUtil::folderExists(dir.file("d.ini")));
    EXPECT_FALSE(TextFile::writeAtomic(dir.file("missing/x.ini"), "x"));
    int entries = 0;
    for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 3);
}

TEST(TextFile, ReadsWholeFilesOnly) {
    TempDir dir;
    // Never waits on a FIFO, nor reads a device without end.
    ASSERT_EQ(::mkfifo(dir.file("fifo.m3u").c_str(), 0600), 0);
    EXPECT_FALSE(TextFile::readAll(dir.file("fifo.m3u")) || TextFile::append(dir.file("fifo.m3u"), "log line"));
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.lrc"));
    EXPECT_FALSE(TextFile::readAll(dir.file("zero.lrc")));
    EXPECT_EQ(TextFile::readAll(dir.write("x", std::string("a\0b", 3))).value(), std::string("a\0b", 3));
    EXPECT_FALSE(TextFile::readAll(dir.write("big", std::string(100, 'x')), 99).has_value());
}

TEST(Clock, DifferencesSurviveTheWrap) {
    EXPECT_EQ(Clock::diff(5, -3), 8);
    EXPECT_EQ(Clock::diff(INT32_MIN + 10, INT32_MAX - 9), 20);
    EXPECT_EQ(Clock::diff(100, 250), -150);
}

// A settings file kept with the user's dotfiles stays a link; the file it
// leads to is replaced without widening its permissions; what is no regular
// file is never replaced.
TEST(TextFile, WritesGoThroughLinksAndNeverWidenPermissions) {
    TempDir dir;
    const mode_t umaskWas = ::umask(027);
    const std::string target = dir.write("dotfiles/corvale.ini", "old");
    ::chmod(target.c_str(), 0600);
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    const struct {
        const char *link;
        std::string to;       // "" for a plain new file
        std::string landsIn;  // the file that holds the bytes afterwards; "" when refused
        mode_t mode;
    } cases[] = {
        {"relative.ini", "dotfiles/corvale.ini", target, 0600},
        {"dangling.ini", "dotfiles/new.ini", dir.file("dotfiles/new.ini"), 0640},
        {"device.ini", "/dev/null", "", 0},
        {"fifo.ini", "fifo", "", 0},
        {"loop.ini", "loop.ini", "", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link);
        const std::string link = dir.file(c.link);
        if (!c.to.empty()) std::filesystem::create_symlink(c.to, link);
        ASSERT_EQ(TextFile::writeAtomic(link, std::string("new ") + c.link), !c.landsIn.empty());
        EXPECT_EQ(std::filesystem::is_symlink(link), !c.to.empty());
        if (!c.landsIn.empty()) {
            EXPECT_EQ(TempDir::read(c.landsIn), std::string("new ") + c.link);
            struct stat st {};
            ASSERT_EQ(::stat(c.landsIn.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, c.mode);
        }
    }
    ::umask(umaskWas);
}

TEST(FileLookup, AnotherLetterCaseOnlyWhereTheExactNameIsMissing) {
    TempDir dir;
    for (const char *f : {"music/song.mp3", "music/Other.mp3", "music/OTHER.mp3", "raw/caf\xE9.mp3"}) dir.write(f, "");
    const struct {
        const char *relative;
        bool anyCase;
        const char *found;  // "" for nothing
    } cases[] = {
        {"Music/Song.MP3", false, ""},
        {"music/other.mp3", true, "music/OTHER.mp3"},  // else the first in byte order
        {"RAW/CAF\xE9.mp3", true, "raw/caf\xE9.mp3"},  // not UTF-8: ASCII letters fold
        {"music", true, ""},                           // a folder is no file
    };
    FileLookup lookup;  // one for all, as for a list
    for (const auto &c : cases) {
        const std::string want = *c.found ? dir.file(c.found) : std::string();
        EXPECT_EQ(lookup.find(dir.path(), c.relative, c.anyCase), want) << c.relative;
    }
}
