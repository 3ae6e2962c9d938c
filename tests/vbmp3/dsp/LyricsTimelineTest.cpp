#include "vbmp3/dsp/LyricsTimeline.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Line = std::pair<int32_t, std::string>;

// Every line in time order as (start, text), walked through query() alone.
std::vector<Line> walk(const LyricsTimeline &tl) {
    std::vector<Line> lines;
    LyricsData d;
    tl.query(-1000000, &d);
    int32_t next = d.NextLineStartMs;
    int32_t lastKey = d.Key;
    while (next != -1) {
        tl.query(next, &d);
        EXPECT_GT(d.Key, lastKey);
        lastKey = d.Key;
        lines.emplace_back(d.LineStartMs, d.Text[5]);
        next = d.NextLineStartMs;
    }
    return lines;
}

} // namespace

TEST(LyricsTimelineTest, ReadsEveryTagFormAndSkipsMetadata) {
    LyricsTimeline tl;
    ASSERT_TRUE(tl.loadText("[ti:Song]\r\n[ar:Someone]\r\n"
                            "[00:01]one\r\n[00:02.5]two\n[00:03.25]three\r[00:04:50]four\n"
                            "[00:05.125]five\n[00:10.00] [00:20.00]  chorus  \n"
                            "[00:12.00]wo[00:12.50]rd<00:13.00>s\n[00:30.00]\n[1:00.00]tab\there\n"));
    const std::vector<Line> expected = {{1000, "one"},     {2500, "two"},    {3250, "three"},
                                        {4500, "four"},    {5125, "five"},   {10000, "chorus"},
                                        {12000, "words"},  {20000, "chorus"}, {30000, ""},
                                        {60000, "tab here"}};
    EXPECT_EQ(walk(tl), expected);
    EXPECT_EQ(tl.lineCount(), 10u); // the chorus counts once per tag
}

TEST(LyricsTimelineTest, OffsetTagShiftsTheFilePositiveMeansEarlier) {
    LyricsTimeline tl;
    ASSERT_TRUE(tl.loadText("[offset:+500]\n[00:01.00]a\n[00:03.00]b\n"));
    EXPECT_EQ(walk(tl), (std::vector<Line>{{500, "a"}, {2500, "b"}}));
    ASSERT_TRUE(tl.loadText("[00:01.00]a\n[offset:-250]\n[00:03.00]b\n"));
    EXPECT_EQ(walk(tl), (std::vector<Line>{{1250, "a"}, {3250, "b"}}));
    // The offset of one file does not stay for the next.
    ASSERT_TRUE(tl.loadText("[00:01.00]a\n"));
    EXPECT_EQ(walk(tl), (std::vector<Line>{{1000, "a"}}));
}

TEST(LyricsTimelineTest, UntimedLinesShareTheSpanOrAreDropped) {
    LyricsTimeline tl;
    const char *text = "Title line\n\n[00:10.00]a\nb\nc\n[00:16.00]d\ne\n";
    ASSERT_TRUE(tl.loadText(text));
    EXPECT_EQ(walk(tl), (std::vector<Line>{{0, "Title line"}, {10000, "a"}, {12000, "b"}, {14000, "c"},
                                           {16000, "d"}, {19000, "e"}}));
    EXPECT_EQ(tl.lineCount(), 6u);
    tl.setProcessUntimed(false);
    EXPECT_EQ(walk(tl), (std::vector<Line>{{10000, "a"}, {16000, "d"}}));
    // The setting holds for later files too.
    ASSERT_TRUE(tl.loadText(text));
    EXPECT_EQ(tl.lineCount(), 2u);
    tl.setProcessUntimed(true);
    EXPECT_EQ(tl.lineCount(), 6u);
    // A file without a single time tag is no lyrics file.
    EXPECT_FALSE(tl.loadText("just\nsome\nwords\n"));
    EXPECT_EQ(tl.lineCount(), 0u);
}

TEST(LyricsTimelineTest, AdjustMakesLinesAppearLaterWithinASecond) {
    LyricsTimeline tl;
    ASSERT_TRUE(tl.loadText("[00:01.00]a\n[00:02.00]b\n"));
    tl.setAdjustMs(500);
    EXPECT_EQ(walk(tl), (std::vector<Line>{{1500, "a"}, {2500, "b"}}));
    tl.setAdjustMs(-5000); // clamped to -1000
    EXPECT_EQ(tl.adjustMs(), -1000);
    EXPECT_EQ(walk(tl), (std::vector<Line>{{0, "a"}, {1000, "b"}}));
}

// The record holds the lines around the current one (Text[5]); polled every
// 10 ms, the key only ever steps to the next line.
TEST(LyricsTimelineTest, RecordHoldsTheLinesAroundTheCurrentOne) {
    LyricsTimeline tl;
    std::string text;
    for (int i = 1; i <= 10; ++i)
        text += "[00:" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".00]L" + std::to_string(i) + "\n";
    ASSERT_TRUE(tl.loadText(text));
    LyricsData d;
    tl.query(7000, &d);
    EXPECT_EQ(d.LineCount, 10);
    EXPECT_EQ(d.NextLineStartMs, 8000);
    const char *around[8] = {"L2", "L3", "L4", "L5", "L6", "L7", "L8", "L9"};
    for (int i = 0; i < 8; ++i)
        EXPECT_STREQ(d.Text[i], around[i]) << i;
    tl.query(10500, &d);
    EXPECT_EQ(d.NextLineStartMs, -1);
    EXPECT_STREQ(d.Text[6], "");

    int32_t last = 0;
    int changes = 0;
    for (int32_t ms = 0; ms <= 11000; ms += 10) {
        tl.query(ms, &d);
        if (d.Key != last) {
            EXPECT_EQ(d.Key, last + 1) << ms;
            EXPECT_EQ(d.LineStartMs, ms);
            last = d.Key;
            ++changes;
        }
    }
    EXPECT_EQ(changes, 10);
}

TEST(LyricsTimelineTest, ReadsCp932FilesAndForgetsOnAnUnreadableOne) {
    TempDir dir;
    LyricsTimeline tl;
    // "歌詞" and "テスト" in CP932, lines ended by a lone CR.
    const std::string path = dir.write("song.kra", "[00:01:00]\x89\xCC\x8E\x8C\r[00:02:00]\x83\x65\x83\x58\x83\x67\r");
    ASSERT_TRUE(tl.loadFile(path));
    EXPECT_EQ(walk(tl), (std::vector<Line>{{1000, "歌詞"}, {2000, "テスト"}}));
    // UTF-8 with a byte order mark.
    ASSERT_TRUE(tl.loadFile(dir.write("song.lrc", "\xEF\xBB\xBF[00:03.00]歌詞\r\n")));
    EXPECT_EQ(walk(tl), (std::vector<Line>{{3000, "歌詞"}}));
    EXPECT_FALSE(tl.loadFile(dir.file("missing.txt")));
    EXPECT_EQ(tl.lineCount(), 0u);
    EXPECT_FALSE(tl.loadFile(dir.path())); // a folder
    EXPECT_EQ(tl.lineCount(), 0u);
}

TEST(LyricsTimelineTest, GarbageAndHugeLinesAreHandledSafely) {
    LyricsTimeline tl;
    std::string garbage(200000, '\0');
    std::mt19937 gen(3);
    for (char &c : garbage) {
        c = static_cast<char>(gen() & 0xFF);
    }
    tl.loadText(garbage); // whatever it finds, it must not crash; texts stay in their fields
    LyricsData d;
    for (int32_t ms = 0; ms < 200000; ms += 997) {
        tl.query(ms, &d);
        for (const auto &t : d.Text) {
            EXPECT_LT(std::strlen(t), 128u);
        }
    }

    // A 1 MB line is cut to its field at a character boundary (3-byte characters: 42 fit).
    std::string huge = "[00:01.00]";
    for (int i = 0; i < 350000; ++i) {
        huge += "あ";
    }
    huge += "\n[" + std::string(1000000, '[') + "\n";
    ASSERT_TRUE(tl.loadText(huge));
    tl.query(1000, &d);
    EXPECT_EQ(std::strlen(d.Text[5]), 126u);
    EXPECT_EQ(std::string(d.Text[5]).substr(0, 3), "あ");

    // Tags by the hundred thousand are capped.
    std::string tags;
    for (int i = 0; i < 60000; ++i) {
        tags += "[00:01.00]";
    }
    ASSERT_TRUE(tl.loadText(tags + "x\n"));
    EXPECT_EQ(tl.lineCount(), LyricsTimeline::kMaxLines);

    // Not time tags: seconds past 59, letters, a missing bracket.
    ASSERT_TRUE(tl.loadText("[00:01.00]ok\n[00:75.00]a\n[0a:01]b\n[00:02.00\n"));
    tl.setProcessUntimed(false);
    EXPECT_EQ(tl.lineCount(), 1u);
}
