#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <tuple>

#include "common/AudioFileTypes.h"
#include "common/Clock.h"
#include "common/PathList.h"
#include "common/PathUtil.h"
#include "common/TextFile.h"
#include "support/TempDir.h"

TEST(PathUtil, SplitsAndJoinsPaths) {
    EXPECT_EQ(PathUtil::withTrailingSlash("/a/b"), "/a/b/");
    EXPECT_EQ(PathUtil::folderOf("song.mp3"), "");
    EXPECT_EQ(PathUtil::absolute("/abs/x.mp3", "/home/u"), "/abs/x.mp3");
}

TEST(PathList, SplitsEveryFormWithOneFolderRule) {
    using V = std::vector<std::string>;
    const std::string nul(1, '\0');
    const struct {
        std::string list;
        V paths;
    } cases[] = {
        {"/m/a.mp3", {"/m/a.mp3"}},
        {"/m" + nul + "a.mp3" + nul + "b.mp3" + nul + nul, {"/m/a.mp3", "/m/b.mp3"}},  // a selection
        {"/m/" + nul + "a.mp3" + nul + "b.mp3", {"/m/a.mp3", "/m/b.mp3"}},            // folder ends in '/'
        {"/x/a.mp3" + nul + "/y/b.mp3" + nul, {"/x/a.mp3", "/y/b.mp3"}},              // full paths
        {"/x/a.mp3" + nul + nul + "/y/b.mp3", {"/x/a.mp3"}},                          // ends at a double NUL
        {"", {}},
        {nul + nul, {}},
    };
    for (const auto &c : cases) EXPECT_EQ(PathList::split(c.list), c.paths) << c.list;
    EXPECT_EQ(PathList::split(PathList::join({"/m", "a.mp3"})), V{"/m/a.mp3"});
    EXPECT_EQ(PathList::join({"/x/a", "/y/b"}), "/x/a" + nul + "/y/b" + nul + nul);
    EXPECT_EQ(PathList::strCutNull("title" + nul + "junk"), "title");
    EXPECT_EQ(PathList::strCutNull("whole"), "whole");
}

// Path; a track, read by libsndfile alone, a track or a list; a track's lyrics stem.
TEST(AudioFileTypes, TracksListsAndLyricsByName) {
    const std::tuple<const char *, bool, bool, bool, const char *> cases[] = {
        {"/a/SONG.MP3", true, false, true, "/a/SONG."}, {"x.Wav", true, false, true, "x."},
        {"/m/a.FLAC", true, true, true, "/m/a."},       {"a.Opus", true, true, true, "a."},
        {"LIST.M3U", false, false, true, ""},           {"list.m3u8", false, false, false, ""},
        {".opus", false, false, false, ""},             {"x.flac.txt", false, false, false, ""}};
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
    // A folder in the way is never replaced, and no temporary file is left behind.
    std::filesystem::create_directory(dir.file("d.ini"));
    EXPECT_FALSE(TextFile::writeAtomic(dir.file("d.ini"), "x"));
    EXPECT_TRUE(PathUtil::folderExists(dir.file("d.ini")));
    EXPECT_FALSE(TextFile::writeAtomic(dir.file("missing/x.ini"), "x"));
    int entries = 0;
    for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 2);
}

TEST(TextFile, ReadsWholeFilesOnly) {
    TempDir dir;
    EXPECT_EQ(TextFile::readAll(dir.write("x", std::string("a\0b", 3))).value(), std::string("a\0b", 3));
    EXPECT_FALSE(TextFile::readAll(dir.path()).has_value());
    EXPECT_FALSE(TextFile::readAll(dir.file("none")).has_value());
    EXPECT_FALSE(TextFile::readAll(dir.write("big", std::string(100, 'x')), 99).has_value());
    ASSERT_TRUE(TextFile::append(dir.file("log"), "1\r\n"));
    ASSERT_TRUE(TextFile::append(dir.file("log"), "2\r\n"));
    EXPECT_EQ(TempDir::read(dir.file("log")), "1\r\n2\r\n");
}

TEST(Clock, DifferencesSurviveTheWrap) {
    EXPECT_EQ(Clock::diff(5, -3), 8);
    EXPECT_EQ(Clock::diff(INT32_MIN + 10, INT32_MAX - 9), 20);
    EXPECT_EQ(Clock::diff(100, 250), -150);
}

TEST(TextFile, AWriteClearsTemporariesThatAKilledWriteLeft) {
    TempDir dir;
    const std::string f = dir.write("a.ini", "old");
    const std::string stale = dir.write("a.ini.tmp-Ab12Cd", "half");
    const std::string fresh = dir.write("a.ini.tmp-Ef34Gh", "being written");
    const std::string other = dir.write("b.ini.tmp-Ab12Cd", "not ours");
    const std::string longer = dir.write("a.ini.tmp-Ab12Cd7", "not a temporary name");
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
    for (const std::string &p : {stale, other, longer}) std::filesystem::last_write_time(p, old);
    ASSERT_TRUE(TextFile::writeAtomic(f, "new"));
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(fresh));
    EXPECT_TRUE(std::filesystem::exists(other));
    EXPECT_TRUE(std::filesystem::exists(longer));
}
