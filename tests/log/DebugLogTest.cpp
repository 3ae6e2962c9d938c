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

// (The list's limit of 199 lines and the debug window's own lines ahead of
// the line that loaded it: DebugWindowTest, with the real window.)
TEST(DebugLog, UnwritableFileStillFillsTheList) {
    TempDir dir;
    DebugLog log;
    log.setAppPath(dir.file("no/such/folder/"));
    log.setDebugMode(0);
    log.WriteDebugLog("x");
    EXPECT_EQ(log.list().size(), 1u);
}
