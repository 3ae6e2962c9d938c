// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "common/TextCodec.h"
#include "config/ColorSchemeFile.h"
#include "config/Krc1000.h"
#include "support/TempDir.h"

namespace {

ColorSetData apply(const std::vector<std::string> &lines, bool expectOk = true) {
    ColorSetData c;
    EXPECT_EQ(ColorSchemeFile::applyLines(lines, c), expectOk);
    return c;
}

// Keys in any case, blanks around numbers, numbers held to 0..255 and
// rounded, the later line winning; lines of another form are skipped.
TEST(ColorSchemeFile, LinesThatApplyAndLinesSkipped) {
    EXPECT_EQ(apply({"FormBG= 1 , 2 ,3 ", "speana1=300,-5,2.5"}).speana1, RGBColor(255, 0, 2));
    EXPECT_EQ(apply({"formbg=1,2,3", "formbg=4,5,6"}).formbg, RGBColor(4, 5, 6));
    EXPECT_EQ(apply({"formbg 1,2,3", "formbg=1=2=3", "formbg=1,2,3,4", "formbg =1,2,3", "colortitle=1,2,3"}),
              ColorSetData{});
    EXPECT_EQ(apply({"colortitle=夕焼け,sunset"}).colortitle, "夕焼け");
}

TEST(ColorSchemeFile, ThreePiecesThatAreNotNumbersFail) {
    for (const char *line : {"nosuchkey=a,b,c", "formbg=1,2,", "formbg=&HFF,0,0x1"}) {
        ColorSetData c;
        EXPECT_FALSE(ColorSchemeFile::applyLines({"formbg=9,9,9", line, "title=1,1,1"}, c)) << line;
        EXPECT_EQ(c.formbg, RGBColor(9, 9, 9)) << "lines before the failure stay applied";
        EXPECT_EQ(c.title, 0u);
    }
}

class ColorSetLoad : public ::testing::Test {
protected:
    std::string scheme(const std::string &name, const std::string &text) { return dir.write("color/" + name, text); }

    TempDir dir;
    DebugLog log;
    Krc1000 krc{log, dir.path()};
};

TEST_F(ColorSetLoad, FilesInNameOrderWithTitlesAndGaps) {
    scheme("b.kcl", "colortitle=B\r\nformbg=2,0,0\r\n");
    scheme("a.KCL", "colortitle=A,extra\nformbg=1,0,0\n");
    scheme("c.kcl", "formbg=3,0,0\r");           // no title: keeps its entry, gets no menu item
    scheme("d.kcl", "colortitle=\x90\xc2\r\n");  // "青" in Shift-JIS
    scheme("notes.txt", "colortitle=Not a scheme\r\n");
    std::filesystem::create_directories(dir.file("color/folder.kcl"));
    ASSERT_EQ(krc.bytLoadColorSet(), 0);

    const auto &sets = krc.colorSets();
    EXPECT_EQ(sets[1].FilePath, dir.file("color/a.KCL"));
    EXPECT_EQ(sets[4].colortitle, "青");
    EXPECT_EQ(krc.colorMenuIndexes(), (std::vector<int>{0, 1, 2, 4}));
    krc.applyColorSet(250);  // out of range: the built-in scheme
    EXPECT_EQ(krc.currentColor(), sets[0]);
}

TEST_F(ColorSetLoad, OnlyTheFirst99FilesAreRead) {
    for (int i = 119; i >= 0; --i) {
        char name[16];
        std::snprintf(name, sizeof name, "s%03d.kcl", i);
        scheme(name, "colortitle=" + std::string(name) + "\r\nformbg=" + std::to_string(i) + ",0,0\r\n");
    }
    ASSERT_EQ(krc.bytLoadColorSet(), 0);
    EXPECT_EQ(krc.colorMenuIndexes().size(), 100u);
    EXPECT_EQ(krc.colorSets()[99].formbg, RGBColor(98, 0, 0));
}

TEST(BundledSchemes, CompleteUtf8WithTitlesOfTheirOwn) {
    const std::string folder = std::string(CORVALE_SOURCE_DIR) + "/data/color/";
    const auto names = ColorSchemeFile::listSchemeFiles(folder);
    ASSERT_TRUE(names);
    std::set<std::string> titles;
    for (const std::string &name : *names) {
        const std::string text = TempDir::read(folder + name);
        EXPECT_TRUE(TextCodec::isValidUtf8(text)) << name;
        const auto lines = TextCodec::splitLines(text);
        std::set<std::string> keys;
        for (const auto &line : lines) keys.insert(line.substr(0, line.find('=')));
        for (const auto &f : ColorSchemeFile::colorFields())
            EXPECT_TRUE(keys.count(std::string(f.key))) << name << " " << f.key;
        ColorSetData c;
        ASSERT_TRUE(ColorSchemeFile::applyLines(lines, c)) << name;
        titles.insert(c.colortitle);
    }
    EXPECT_EQ(titles.size(), names->size()) << "every scheme has a title of its own";
}

}  // namespace
