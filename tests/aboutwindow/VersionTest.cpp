// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QPushButton>

#include "aboutwindow/Version.h"
#include "log/DebugLog.h"

// The web page opens with the window left open; OK closes it, dropping the
// topmost flag taken from the player, whose own flag stays.
TEST(VersionTest, WebPageOkAndTopmost) {
    DebugLog log;
    log.setDebugMode(127);
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
    std::vector<std::string> messages;
    for (const std::string &line : log.list().lines()) messages.push_back(line.substr(11));
    EXPECT_EQ(messages, (std::vector<std::string>{"Corvale Show    - Version", "Version Called  - Command2",
                                                  "Version Called  - Command1", "Corvale Unload  - Version"}));
}
