#include <gtest/gtest.h>

#include "common/PathUtil.h"
#include "log/DebugLog.h"
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

// Each mode against where its lines go: 255 nowhere, 127 the window's list
// only, 0 the list and debuglog.txt, appended across runs.
TEST(DebugLog, EachModeWritesWhereItShould) {
    TempDir dir;
    const std::string file = dir.file("debuglog.txt");
    for (uint8_t mode : {255, 127, 0, 0}) {
        SCOPED_TRACE(int(mode));
        DebugLog log;
        log.setAppPath(dir.path());
        log.setDebugMode(mode);
        int loads = 0;
        log.setWindowLoader([&] { ++loads; });
        log.setTimeSource([] { return at(9, 5, 7); });
        log.WriteDebugLog("KRC1000 Called  - bytSettingRead");
        EXPECT_EQ(log.list().size(), mode == 255 ? 0u : 1u);
        EXPECT_EQ(loads, mode == 255 ? 0 : 1);
        if (mode != 255) {
            EXPECT_EQ(log.list().lines().back(), "[09:05:07] KRC1000 Called  - bytSettingRead");
        }
        if (mode != 0) {
            EXPECT_FALSE(PathUtil::fileExists(file));
        }
    }
    const std::string line = "[09:05:07] KRC1000 Called  - bytSettingRead\r\n";
    EXPECT_EQ(TempDir::read(file), line + line);
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
