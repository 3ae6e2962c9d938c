// SPDX-License-Identifier: GPL-3.0-or-later
// Buttons, keys, volume and drops on a started window.
#include <QApplication>
#include <QMimeData>
#include <QWindow>

#include "mainwindow/ButtonEnableRule.h"
#include "mainwindow/MainFormHarness.h"

namespace {

// A started window with three tracks loaded, stopped at track 1.
struct Loaded : MainFormHarness {
    std::string a = audio("a.mp3"), b = audio("b.mp3"), c = audio("c.mp3");
    Loaded() { start({a, b, c}); }
};

QList<QUrl> urls(std::initializer_list<std::string> paths) {
    QList<QUrl> list;
    for (const std::string &p : paths) list << QUrl::fromLocalFile(QString::fromStdString(p));
    return list;
}

}  // namespace

TEST(ButtonEnableRuleTest, EndsOfTheListAndTheRepeatModes) {
    const ButtonEnableRule::States created{true, false, false, false, false, false},
        playing{false, true, true, true, false, true};
    const std::tuple<ButtonEnableRule::States, int16_t, int16_t, uint8_t, uint8_t, const char *> cases[] = {
        {created, 0, 0, 255, 255, "100000"},  // empty list: nothing changes
        {created, 3, 3, 255, 255, "101010"},  // last, no repeat: no next
        {created, 1, 1, 255, 1, "101110"},    // repeat all: previous and next even for one track
        {created, 3, 1, 0, 255, "011101"},    // playing the first: previous restarts it
        {playing, 3, 1, 255, 255, "100110"},  // stopped at the first again: previous goes off
    };
    for (const auto &[before, count, number, state, mode, expected] : cases) {
        std::string s;
        for (bool on : ButtonEnableRule::apply(before, count, number, state, mode)) s += on ? '1' : '0';
        EXPECT_EQ(s, expected);
    }
}

// A pick loads and moves LastPath; a cancel after browsing keeps the list and
// stores the folder browsed to; a pick that loads nothing keeps the list.
TEST(ControlsTest, TheOpenButtonLoadsPicksAndRemembersTheFolder) {
    Loaded h;
    TempDir other;
    const std::string y = other.write("y.mp3", "");
    h.dialogs.fileAnswers = {{QString::fromStdString(y)}, {}, {QString::fromStdString(other.write("n.txt", ""))}};
    h.settings().LastPath = h.dir.path();
    ui(*h.form).command(1)->click();
    EXPECT_EQ(h.dialogs.requests[0].folder.toStdString(), h.dir.path());
    EXPECT_EQ(h.settings().LastPath + "/", other.path());
    EXPECT_EQ(h.tracks(), std::vector<std::string>{y});
    h.dialogs.shownFolders.push_back(QString::fromStdString(h.dir.path()));
    h.form->Command1_Click();
    EXPECT_EQ(h.settings().LastPath + "/", h.dir.path());
    h.form->Command1_Click();
    EXPECT_EQ(h.tracks(), std::vector<std::string>{y});
}

TEST(ControlsTest, KeysGoThroughTheButtonsEnabledStates) {
    Loaded h;
    h.key(Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(h.fake.count("play"), 0);
    h.key(Qt::Key_P, Qt::ControlModifier);  // acts like P
    h.key(Qt::Key_P);                       // play is off while playing
    EXPECT_EQ(h.fake.count("play"), 1);
    h.key(Qt::Key_I);
    EXPECT_EQ(h.state().PlayState, 127);
    EXPECT_TRUE(ui(*h.form).text1()->text().isEmpty());  // the box never takes a key itself
    h.key(Qt::Key_F4);
    EXPECT_TRUE(h.form->isVisible());
    h.key(Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(h.form->isVisible());
    EXPECT_EQ(h.fake.count("free"), 1);
}

TEST(ControlsTest, HalfVolumeSetsEngineAndCaption) {
    MainFormHarness h;
    h.start();
    h.fake.clear();
    h.form->Form_DblClick();
    EXPECT_EQ(h.form->windowTitle().toStdString(), "Corvale(Volume 1/2)");
    EXPECT_EQ(h.settings().HalfVolume, 0);
    h.key(Qt::Key_H);
    EXPECT_EQ(h.form->windowTitle().toStdString(), "Corvale");
    EXPECT_EQ(h.fake.calls,
              (std::vector<std::string>{"setSoftVolume 50 50", "reload", "setSoftVolume 100 100", "reload"}));
}

TEST(ControlsTest, DroppedFilesKeepTheirOrderFoldersArePassedOverNothingWhilePlaying) {
    Loaded h;
    TempDir other;
    other.write("inner/keep.txt", "");
    h.form->Form_OLEDragDrop(urls({h.c, other.path() + "inner", h.a}));
    EXPECT_EQ(h.tracks(), (std::vector<std::string>{h.c, h.a}));
    h.form->Form_OLEDragDrop(urls({other.path() + "inner"}));
    h.form->Form_OLEDragDrop({QUrl("https://example.org/a.mp3"), QUrl::fromLocalFile(QString::fromStdString(h.b))});
    h.form->Command5_Click();
    h.form->Form_OLEDragDrop(urls({h.b}));
    EXPECT_EQ(h.tracks(), (std::vector<std::string>{h.c, h.a}));
}

TEST(ControlsTest, ADropOnTheLyricsLineReachesTheWindow) {
    Loaded h;
    QMimeData data;
    data.setUrls(urls({h.b}));
    const QPoint overLyrics = ui(*h.form).label2()->geometry().center();
    QDragEnterEvent enter(overLyrics, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.form->windowHandle(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(overLyrics), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.form->windowHandle(), &drop);
    EXPECT_EQ(h.tracks(), std::vector<std::string>{h.b});
}
