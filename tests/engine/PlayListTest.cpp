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

TEST_F(PlayList, AcceptsEachSpecForm) {
    const std::string d = dir.path();  // ends in '/'
    const std::string folder = d.substr(0, d.size() - 1);

    // One path; a directly given audio path enters even if missing.
    EXPECT_EQ(engine.bytPlayListNewOpen(d + "missing.mp3"), 0);
    EXPECT_EQ(list().TrackCount, 1);
    EXPECT_EQ(list().LastIndex, 0);
    EXPECT_EQ(list().PlayOrder, std::vector<int16_t>{0});
    EXPECT_EQ(list().TrackNumber, 1);
    EXPECT_EQ(fake.opened(), std::vector<std::string>{d + "missing.mp3"});

    // Dialog multi-selection: folder, names, double NUL; other types ignored.
    EXPECT_EQ(engine.bytPlayListNewOpen(nul({folder, "a.mp3", "b.WAV", "c.ogg", "d.RMP", "e.txt", "f.Flac", "", ""})), 0);
    EXPECT_EQ(list().FileList, (std::vector<std::string>{d + "a.mp3", d + "b.WAV", d + "c.ogg", d + "d.RMP", d + "f.Flac"}));
    EXPECT_EQ(list().PlayOrder, (std::vector<int16_t>{0, 1, 2, 3, 4}));

    // Drop: folder ending in '/', names, no closing NULs; duplicates kept.
    EXPECT_EQ(engine.bytPlayListNewOpen(nul({d, "a.mp1", "a.mp1"})), 0);
    EXPECT_EQ(list().FileList, (std::vector<std::string>{d + "a.mp1", d + "a.mp1"}));

    // Command line: full paths; a trailing NUL adds nothing.
    EXPECT_EQ(engine.bytPlayListNewOpen(nul({"/x/a.mp2", "/y/b.mp3", ""})), 0);
    EXPECT_EQ(list().FileList, (std::vector<std::string>{"/x/a.mp2", "/y/b.mp3"}));
    EXPECT_EQ(list().TrackCount, 2);
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
    for (const std::string &spec : {std::string(), dir.path(), nul({dir.path(), "x.txt", "y.mpeg", "", ""}),
                                    std::string("\0\0\0", 3), dir.file("nothing.m3u"),
                                    dir.write("gone.m3u", "gone.mp3\r\n/nowhere/x.mp3\r\n")}) {
        EXPECT_EQ(engine.bytPlayListNewOpen(spec), 255);
        EXPECT_EQ(list().FileList, before.FileList);
        EXPECT_EQ(list().TrackCount, 2);
        EXPECT_EQ(list().PlayPosition, 1);
        EXPECT_EQ(list().TrackNumber, 2);
        EXPECT_EQ(logLines().back(), "KRM1000 Failed  - bytPlayListNewOpen");
    }
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_TRUE(view.draws.empty());
    EXPECT_EQ(view.titleLine, title);
}

TEST_F(PlayList, ResolvesListLines) {
    const std::string x = dir.write("a/x.mp3", "");
    touch({"lists/sub/z.MP3", "lists/song.wav", "lists/w.mpeg", "lists/v.m3u8", "lists/other.m3u", "lists/曲.mp3"});
    std::filesystem::create_directories(dir.file("lists/folder.mp3"));
    const std::string lines[] = {
        "sub\\z.MP3", "#EXTM3U", x, "/nowhere/y.mp3", "C:\\a\\x.mp3", "missing.mp3", "", "other.m3u", "l.m3u",
        "w.mpeg", "v.m3u8", "folder.mp3", "song.wav", "song.wav",
    };
    std::string text = "\xEF\xBB\xBF";
    const char *ends[] = {"\r\n", "\n", "\r"};
    int i = 0;
    for (const std::string &l : lines) text += l + ends[i++ % 3];
    const std::string listPath = dir.write("lists/l.m3u", text);

    EXPECT_EQ(engine.bytPlayListNewOpen(listPath), 0);
    const std::string base = dir.file("lists/");
    EXPECT_EQ(list().FileList, (std::vector<std::string>{base + "sub/z.MP3", x, base + "song.wav", base + "song.wav"}));

    // A Japanese list saved in CP932, with an upper-case extension.
    const std::string cp932 = dir.write("lists/JP.M3U", TextCodec::utf8ToCp932("曲.mp3\r\n"));
    EXPECT_EQ(engine.bytPlayListNewOpen(cp932), 0);
    EXPECT_EQ(list().FileList, std::vector<std::string>{base + "曲.mp3"});

    // Made on Windows: another letter case, component by component, where the
    // exact name is missing. One line in Latin-1 (a file whose name is those
    // bytes) and one in CP932 leave the UTF-8 lines be.
    touch({"lists/music/song.mp3", "lists/曲2.mp3", "lists/caf\xE9.mp3", "lists/Été.mp3"});
    const std::string windows = dir.write(
        "lists/win.m3u", "Music\\Song.MP3\r\ncaf\xE9.mp3\r\n" + TextCodec::utf8ToCp932("曲2.mp3") + "\r\n曲.mp3\r\néTÉ.mp3\r\n");
    EXPECT_EQ(engine.bytPlayListNewOpen(windows), 0);
    EXPECT_EQ(list().FileList, (std::vector<std::string>{base + "music/song.mp3", base + "caf\xE9.mp3", base + "曲2.mp3",
                                                         base + "曲.mp3", base + "Été.mp3"}));

    // Lists in different folders resolve against their own folders.
    dir.write("other/o.m3u", "../a/x.mp3\n");
    EXPECT_EQ(engine.bytPlayListNewOpen(nul({dir.file("other/o.m3u"), listPath})), 0);
    EXPECT_EQ(list().TrackCount, 5);
    EXPECT_EQ(list().FileList[0], dir.file("other/../a/x.mp3"));
}

TEST_F(PlayList, SurvivesBadListsAndSpecs) {
    const std::string good = touch({"good.mp3"})[0];
    std::filesystem::create_directories(dir.file("dir.m3u"));
    std::string garbage;
    for (int i = 0; i < 70000; ++i) garbage += static_cast<char>((i * 7919) % 256);
    dir.write("garbage.m3u", garbage + "\ngood.mp3\n");
    dir.write("long.m3u", std::string(1 << 20, 'a') + ".mp3\ngood.mp3\n");
    dir.write("nul.m3u", std::string("good.mp3\0x.mp3\n", 15));
    dir.write("self.m3u", "self.m3u\ngood.mp3\n");

    std::string spec = nul({dir.file("dir.m3u"), dir.file("absent.m3u"), dir.file("garbage.m3u"),
                            dir.file("long.m3u"), dir.file("nul.m3u"), dir.file("self.m3u")});
    EXPECT_EQ(engine.bytPlayListNewOpen(spec), 0);
    EXPECT_EQ(list().FileList, (std::vector<std::string>(3, good)));

    // 20000 names: the list stops at 9999 entries and the load succeeds.
    std::string many = dir.path();
    for (int n = 0; n < 20000; ++n) many += std::string(1, '\0') + "t" + std::to_string(n) + ".mp3";
    EXPECT_EQ(engine.bytPlayListNewOpen(many), 0);
    EXPECT_EQ(list().TrackCount, Krm1000::MaxTracks);
    EXPECT_EQ(list().FileList.size(), 9999u);
    EXPECT_EQ(list().PlayOrder.back(), 9998);
    EXPECT_EQ(list().FileList.back(), dir.file("t9998.mp3"));
    const std::string cutLine = "KRM1000 Caution - bytPlayListAdd (list cut at 9999 tracks)";
    const auto afterMany = logLines();
    EXPECT_EQ(std::count(afterMany.begin(), afterMany.end(), cutLine), 1);
    std::string list9999;
    for (int n = 0; n < 9999; ++n) list9999 += "good.mp3\n";
    dir.write("full.m3u", list9999);
    dir.write("more.m3u", list9999 + "good.mp3\n");
    for (const char *name : {"full.m3u", "more.m3u"}) {  // only the longer one is cut
        EXPECT_EQ(engine.bytPlayListNewOpen(dir.file(name)), 0);
        const auto lines = logLines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), cutLine), std::string(name) == "more.m3u" ? 2 : 1) << name;
    }

    // bytPlayListAdd shortens its argument at the first double NUL.
    std::string shortened = nul({good, "", "", "ignored.mp3"});
    engine.bytPlayListNew();
    EXPECT_EQ(engine.bytPlayListAdd(shortened), 0);
    EXPECT_EQ(shortened, good);
}
