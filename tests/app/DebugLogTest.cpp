#include <gtest/gtest.h>

#include "app/DebugLog.h"
#include "common/PathUtil.h"
#include "support/TempDir.h"

namespace {
std::tm at(int h, int m, int s) {
    std::tm t{};
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    return t;
}
}  // namespace

TEST(DebugLog, OffWritesNothingAnywhere) {
    TempDir dir;
    DebugLog log;
    log.setAppPath(dir.path());
    int loads = 0;
    log.setWindowLoader([&] { ++loads; });
    log.WriteDebugLog("MainFrm Called  - Main");
    EXPECT_EQ(log.list().size(), 0u);
    EXPECT_EQ(loads, 0);
    EXPECT_FALSE(PathUtil::fileExists(dir.file("debuglog.txt")));
}

TEST(DebugLog, WindowOnlyModeFillsTheListButNoFile) {
    TempDir dir;
    DebugLog log;
    log.setAppPath(dir.path());
    log.setDebugMode(127);
    log.setTimeSource([] { return at(0, 1, 0); });
    log.WriteDebugLog("KRC1000 Called  - bytSettingRead");
    ASSERT_EQ(log.list().size(), 1u);
    EXPECT_EQ(log.list().lines().back(), "[00:01:00] KRC1000 Called  - bytSettingRead");
    EXPECT_FALSE(PathUtil::fileExists(dir.file("debuglog.txt")));
}

TEST(DebugLog, FileModeAppendsAcrossRuns) {
    TempDir dir;
    for (int run = 0; run < 2; ++run) {
        DebugLog log;
        log.setAppPath(dir.path());
        log.setDebugMode(0);
        log.setTimeSource([] { return at(9, 5, 7); });
        log.WriteDebugLog("MainFrm Called  - Main");
    }
    EXPECT_EQ(TempDir::read(dir.file("debuglog.txt")),
              "[09:05:07] MainFrm Called  - Main\r\n[09:05:07] MainFrm Called  - Main\r\n");
}

TEST(DebugLog, ListKeepsTheNewest199Lines) {
    DebugLog log;
    log.setDebugMode(127);
    std::size_t droppedTotal = 0;
    log.list().setListener([&](std::size_t dropped) { droppedTotal += dropped; });
    for (int i = 1; i <= 200; ++i) log.WriteDebugLog("line " + std::to_string(i));
    ASSERT_EQ(log.list().size(), 199u);
    EXPECT_NE(log.list().lines().front().find("line 2"), std::string::npos);
    EXPECT_NE(log.list().lines().back().find("line 200"), std::string::npos);
    EXPECT_EQ(droppedTotal, 1u);
}

TEST(DebugLog, FirstLineLoadsTheWindowWhoseOwnLinesComeFirst) {
    DebugLog log;
    log.setDebugMode(127);
    int loads = 0;
    log.setWindowLoader([&] {
        ++loads;
        log.WriteDebugLog("Corvale Show    - DebugWindow");
    });
    log.WriteDebugLog("KRC1000 Called  - bytSettingRead");
    log.WriteDebugLog("next");
    EXPECT_EQ(loads, 1);
    ASSERT_EQ(log.list().size(), 3u);
    EXPECT_NE(log.list().lines()[0].find("DebugWindow"), std::string::npos);
    EXPECT_NE(log.list().lines()[1].find("bytSettingRead"), std::string::npos);
}

TEST(DebugLog, UnwritableFileStillFillsTheList) {
    TempDir dir;
    DebugLog log;
    log.setAppPath(dir.file("no/such/folder/"));
    log.setDebugMode(0);
    log.WriteDebugLog("x");
    EXPECT_EQ(log.list().size(), 1u);
}
