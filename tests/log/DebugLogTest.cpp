// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "common/PathUtil.h"
#include "log/DebugLog.h"
#include "support/TempDir.h"

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
        log.setTimeSource([] {
            std::tm t{};
            t.tm_hour = 9;
            t.tm_min = 5;
            t.tm_sec = 7;
            return t;
        });
        log.WriteDebugLog("KRC1000 Called  - bytSettingRead");
        EXPECT_EQ(log.list().size(), mode == 255 ? 0u : 1u);
        EXPECT_EQ(loads, mode == 255 ? 0 : 1);
        if (mode != 0) {
            EXPECT_FALSE(PathUtil::fileExists(file));
        }
    }
    const std::string line = "[09:05:07] KRC1000 Called  - bytSettingRead\r\n";
    EXPECT_EQ(TempDir::read(file), line + line);
    DebugLog lost;  // a folder that cannot be written: the list still fills
    lost.setAppPath(dir.file("no/such/folder/"));
    lost.setDebugMode(0);
    lost.WriteDebugLog("x");
    EXPECT_EQ(lost.list().size(), 1u);
}
