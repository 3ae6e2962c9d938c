#include <QPushButton>
#include <gtest/gtest.h>

#include "aboutwindow/Version.h"
#include "log/DebugLog.h"

namespace {

class VersionTest : public ::testing::Test {
protected:
    void SetUp() override { log.setDebugMode(127); }
    std::vector<std::string> messages() {
        std::vector<std::string> out;
        for (const std::string &line : log.list().lines()) out.push_back(line.substr(11));
        return out;
    }

    DebugLog log;
    std::vector<QUrl> opened;
    Version::UrlOpener opener = [this](const QUrl &url) { opened.push_back(url); };
};

TEST_F(VersionTest, ShowsTheVersionWebPageLeavesTheWindowOpenAndOkCloses) {
    Version v(nullptr, log, 255, "/opt/corvale/", opener);
    v.show();
    v.Command2->click();
    ASSERT_EQ(opened.size(), 1u);
    // Without a home page configured, the README beside the program.
    EXPECT_EQ(opened[0], Version::webPage("/opt/corvale/"));
    EXPECT_TRUE(v.isVisible());
    v.Command1->click();
    EXPECT_FALSE(v.isVisible());
    EXPECT_EQ(messages(), (std::vector<std::string>{"Corvale Show    - Version", "Version Called  - Command2",
                                                    "Version Called  - Command1", "Corvale Unload  - Version"}));
}

// Topmost while the player is; closing drops the flag, the owner keeps its own.
TEST_F(VersionTest, TopmostFollowsTheSetting) {
    QWidget owner;
    owner.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    owner.show();
    Version v(&owner, log, 0, "/", opener);
    EXPECT_TRUE(v.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    v.show();
    v.close();
    EXPECT_FALSE(v.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(owner.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

}  // namespace
