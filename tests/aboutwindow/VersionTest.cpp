#include <QLabel>
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
    EXPECT_EQ(v.Label1->text(), QStringLiteral("Corvale Ver 1.02 Build 0710"));
    v.show();
    v.Command2->click();
    ASSERT_EQ(opened.size(), 1u);
    // Without a home page configured, the README beside the program.
    const QUrl page = Version::webPage("/opt/corvale/");
    EXPECT_EQ(opened[0], page);
    if (page.isLocalFile()) {
        EXPECT_EQ(page, QUrl::fromLocalFile(QStringLiteral("/opt/corvale/README.md")));
    }
    EXPECT_TRUE(v.isVisible());
    v.Command1->click();
    EXPECT_FALSE(v.isVisible());
    EXPECT_EQ(messages(), (std::vector<std::string>{"Corvale Show    - Version", "Version Called  - Command2",
                                                    "Version Called  - Command1", "Corvale Unload  - Version"}));
}

TEST_F(VersionTest, TopmostOnAndOff) {
    QWidget owner;
    owner.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    owner.show();
    {
        Version v(&owner, log, 0, "/", opener);
        EXPECT_TRUE(v.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        v.show();
        v.Command1_Click();
        EXPECT_FALSE(v.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
    EXPECT_TRUE(owner.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(owner.isVisible());

    QWidget plain;
    plain.show();
    const Qt::WindowFlags before = plain.windowFlags();
    Version v(&plain, log, 255, "/", opener);
    EXPECT_FALSE(v.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    v.show();
    v.close();  // by the frame
    EXPECT_FALSE(v.isVisible());
    EXPECT_EQ(plain.windowFlags(), before);
}

}  // namespace
