// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QPushButton>

#include "aboutwindow/Version.h"
#include "log/DebugLog.h"

// The web page opens with the window left open; OK closes it, dropping the
// topmost flag taken from the player, whose own flag stays.
TEST(VersionTest, WebPageOkAndTopmost) {
    DebugLog log;
    std::vector<QUrl> opened;
    QWidget owner;
    owner.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    Version v(&owner, log, 0, "/opt/corvale/", [&](const QUrl &url) { opened.push_back(url); });
    EXPECT_TRUE(v.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    v.show();
    v.Command2->click();
    EXPECT_EQ(opened, std::vector<QUrl>{Version::webPage("/opt/corvale/")});
    EXPECT_TRUE(v.isVisible());
    v.Command1->click();
    EXPECT_FALSE(v.isVisible() || v.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(owner.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}
