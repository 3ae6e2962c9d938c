// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <filesystem>

#include "EngineFixture.h"
#include "common/TextCodec.h"

using PlayList = EngineFixture;

namespace {
std::string nul(std::initializer_list<std::string> parts) {
    std::string s;
    for (const std::string &p : parts) s += p + std::string(1, '\0');
    s.pop_back();
    return s;
}
}  // namespace

// The forms themselves are the path list's table: here what enters the list.
TEST_F(PlayList, AcceptsEachSpecForm) {
    const std::string d = dir.path();
    EXPECT_EQ(engine.bytPlayListNewOpen(d + "missing.mp3"), 0);  // given directly: enters even if missing
    EXPECT_EQ(list().TrackNumber, 1);
    EXPECT_EQ(engine.bytPlayListNewOpen(
                  nul({d.substr(0, d.size() - 1), "a.mp3", "b.WAV", "c.ogg", "d.RMP", "e.txt", "f.Flac", "", ""})),
              0);
    EXPECT_EQ(list().FileList,
              (std::vector<std::string>{d + "a.mp3", d + "b.WAV", d + "c.ogg", d + "d.RMP", d + "f.Flac"}));
    EXPECT_EQ(engine.bytPlayListNewOpen(nul({d, "a.mp1", "a.mp1"})), 0);
    EXPECT_EQ(list().FileList, (std::vector<std::string>{d + "a.mp1", d + "a.mp1"}));
}

// A load that yields nothing changes nothing: list, track and display stay.
TEST_F(PlayList, FailedLoadKeepsTheListAndTouchesNoTrack) {
    const auto loaded = touch({"a.mp3", "b.mp3"});
    load(loaded);
    engine.bytPlayForward();
    const PlayListData before = list();
    const std::string title = view.titleLine;
    fake.clear();
    view.draws.clear();
    for (const std::string &spec :
         {std::string(), dir.path(), nul({dir.path(), "x.txt", "y.mpeg", "", ""}), std::string("\0\0\0", 3),
          dir.file("nothing.m3u"), dir.write("gone.m3u", "gone.mp3\r\n/nowhere/x.mp3\r\n")}) {
        EXPECT_EQ(engine.bytPlayListNewOpen(spec), 255);
        EXPECT_EQ(list().FileList, before.FileList);
        EXPECT_EQ(list().PlayPosition, 1);
    }
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_TRUE(view.draws.empty());
    EXPECT_EQ(view.titleLine, title);
}

// Lists made on Windows: backslashes, another letter case where the exact name
// is missing, and lines in CP932 or Latin-1 among UTF-8 ones.
TEST_F(PlayList, ResolvesListLines) {
    const std::string x = dir.write("a/x.mp3", "");
    touch({"lists/sub/z.MP3", "lists/song.wav", "lists/w.mpeg", "lists/曲.mp3", "lists/music/song.mp3",
           "lists/caf\xE9.mp3", "lists/Été.mp3"});
    const std::string base = dir.file("lists/");
    const struct {
        std::string text;
        std::vector<std::string> files;
    } cases[] = {
        {"\xEF\xBB\xBFsub\\z.MP3\r\n#EXTM3U\n" + x +
             "\r/nowhere/y.mp3\r\nC:\\a\\x.mp3\nmissing.mp3\r\n\r\nl.m3u\nw.mpeg\r\nsong.wav\n",
         {base + "sub/z.MP3", x, base + "song.wav"}},
        {TextCodec::utf8ToCp932("曲.mp3\r\n"), {base + "曲.mp3"}},
        {"Music\\Song.MP3\r\ncaf\xE9.mp3\r\néTÉ.mp3\r\n",
         {base + "music/song.mp3", base + "caf\xE9.mp3", base + "Été.mp3"}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(engine.bytPlayListNewOpen(dir.write("lists/l.M3U", c.text)), 0);
        EXPECT_EQ(list().FileList, c.files);
    }
    // Lists in different folders resolve against their own folders.
    dir.write("other/o.m3u", "../a/x.mp3\n");
    EXPECT_EQ(engine.bytPlayListNewOpen(nul({dir.file("other/o.m3u"), dir.file("lists/l.M3U")})), 0);
    EXPECT_EQ(list().FileList[0], dir.file("other/../a/x.mp3"));
}

TEST_F(PlayList, SurvivesBadListsAndSpecs) {
    const std::string good = touch({"good.mp3"})[0];
    std::filesystem::create_directories(dir.file("dir.m3u"));
    dir.write("nul.m3u", std::string("good.mp3\0x.mp3\n", 15));
    dir.write("self.m3u", "self.m3u\ngood.mp3\n");
    const std::string spec =
        nul({dir.file("dir.m3u"), dir.file("absent.m3u"), dir.file("nul.m3u"), dir.file("self.m3u")});
    EXPECT_EQ(engine.bytPlayListNewOpen(spec), 0);
    EXPECT_EQ(list().FileList, std::vector<std::string>{good});

    // 20000 names: the list stops at 9999 entries and the load succeeds.
    std::string many = dir.path();
    for (int n = 0; n < 20000; ++n) many += std::string(1, '\0') + "t" + std::to_string(n) + ".mp3";
    EXPECT_EQ(engine.bytPlayListNewOpen(many), 0);
    EXPECT_EQ(list().TrackCount, Krm1000::MaxTracks);
    EXPECT_EQ(list().FileList.back(), dir.file("t9998.mp3"));
    const std::string cutLine = "KRM1000 Caution - bytPlayListAdd (list cut at 9999 tracks)";
    const auto afterMany = logLines();
    EXPECT_EQ(std::count(afterMany.begin(), afterMany.end(), cutLine), 1);
    std::string list9999;
    for (int n = 0; n < 9999; ++n) list9999 += "good.mp3\n";
    for (const std::string &extra : {std::string(), std::string("good.mp3\n")}) {  // only the longer one is cut
        EXPECT_EQ(engine.bytPlayListNewOpen(dir.write("full.m3u", list9999 + extra)), 0);
        const auto lines = logLines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), cutLine), extra.empty() ? 1 : 2);
    }
}
