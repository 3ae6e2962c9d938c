// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/LyricsTimeline.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Line = std::pair<int32_t, std::string>;

// Every line in time order as (start, text), walked through query() alone: at
// each next start the key steps to the next line, the one before it in Text[4].
std::vector<Line> walk(const LyricsTimeline &tl) {
    std::vector<Line> lines;
    LyricsData d;
    tl.query(-1000000, &d);
    while (d.NextLineStartMs != -1) {
        tl.query(d.NextLineStartMs, &d);
        EXPECT_EQ(d.Key, int32_t(lines.size()) + 1);
        EXPECT_EQ(d.Text[4], lines.empty() ? "" : lines.back().second);
        lines.emplace_back(d.LineStartMs, d.Text[5]);
    }
    return lines;
}

}  // namespace

// One timeline loads file after file: nothing of one file (its offset) stays for the next.
TEST(LyricsTimelineTest, ReadsEveryFormOfTheFile) {
    const std::string untimed = "Title line\n\n[00:10.00]a\nb\nc\n[00:16.00]d\ne\n";
    struct Row {
        std::string text;
        bool untimed;  // untimed lines processed
        std::vector<Line> lines;
    };
    const Row rows[] = {
        {"[ti:Song]\r\n[ar:Someone]\r\n[00:01]one\r\n[00:02.5]two\n[00:03.25]three\r[00:04:50]four\n"
         "[00:05.125]five\n[00:10.00] [00:20.00]  chorus  \n[00:12.00]wo[00:12.50]rd<00:13.00>s\n"
         "[00:30.00]\n[1:00.00]tab\there\n",
         true,
         {{1000, "one"},
          {2500, "two"},
          {3250, "three"},
          {4500, "four"},
          {5125, "five"},
          {10000, "chorus"},
          {12000, "words"},
          {20000, "chorus"},
          {30000, ""},
          {60000, "tab here"}}},
        {"[offset:+500]\n[00:01.00]a\n[00:03.00]b\n", true, {{500, "a"}, {2500, "b"}}},
        {"[00:01.00]a\n[offset:-250]\n[00:03.00]b\n", true, {{1250, "a"}, {3250, "b"}}},
        {untimed, true, {{0, "Title line"}, {10000, "a"}, {12000, "b"}, {14000, "c"}, {16000, "d"}, {19000, "e"}}},
        {untimed, false, {{10000, "a"}, {16000, "d"}}},
        {"[00:01.00]ok\n[00:75.00]a\n[0a:01]b\n[00:02.00\n", false, {{1000, "ok"}}},
        {"[00:01:00]\x89\xCC\x8E\x8C\r[00:02:00]\x83\x65\x83\x58\x83\x67\r", true, {{1000, "歌詞"}, {2000, "テスト"}}},
        {"\xEF\xBB\xBF[00:03.00]歌詞\r\n", true, {{3000, "歌詞"}}},
        {"just\nsome\nwords\n", true, {}},
    };
    LyricsTimeline tl;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40));
        tl.setProcessUntimed(true);
        EXPECT_EQ(tl.loadText(row.text), !row.lines.empty());
        tl.setProcessUntimed(row.untimed);
        EXPECT_EQ(walk(tl), row.lines);
        EXPECT_EQ(tl.lineCount(), row.lines.size());
    }
}

// Tags by the ten thousand are capped; a file that cannot be read leaves no lyrics.
TEST(LyricsTimelineTest, HugeFilesAreCappedAndUnreadableOnesForgotten) {
    LyricsTimeline tl;
    std::string tags;
    for (int i = 0; i < 60000; ++i) tags += "[00:01.00]";
    ASSERT_TRUE(tl.loadText(tags + "x\n"));
    EXPECT_EQ(tl.lineCount(), LyricsTimeline::MaxLines);
    EXPECT_FALSE(tl.loadFile(TempDir().file("missing.txt")));
    EXPECT_EQ(tl.lineCount(), 0u);
}
