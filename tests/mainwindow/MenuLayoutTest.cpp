// SPDX-License-Identifier: GPL-3.0-or-later
// The pop-up menu's handlers, colours and painting, placement and shutdown.
#include <functional>

#include <QApplication>
#include <QDir>
#include <QPaintEvent>

#include "display/PanelPainter.h"
#include "listeditor/ListEditor.h"
#include "mainwindow/MainFormHarness.h"

TEST(MenuTest, RandomRepeatShufflesTheOrderNoRepeatRestoresIt) {
    MainFormHarness h;
    MainForm &f = h.start({h.audio("a.mp3"), h.audio("b.mp3"), h.audio("c.mp3"), h.audio("d.mp3")});
    f.engine()->setRandomSource([] { return 0.5; });
    const auto &order = h.state().PlayList.PlayOrder;  // how it is built: the transport tests
    ui(f).menu().mnuPlayModeSet[3]->trigger();
    EXPECT_NE(order, std::vector<int16_t>({0, 1, 2, 3}));
    ui(f).menu().mnuPlayModeSet[0]->trigger();
    EXPECT_EQ(order, std::vector<int16_t>({0, 1, 2, 3}));
    EXPECT_EQ(f.config()->engineOptions().PlayMode, 255);
}

TEST(MenuTest, SoundAssistsFillOnlyTheirOwnBands) {
    MainFormHarness h;
    MainForm &f = h.start();
    MainMenu &m = ui(f).menu();
    m.mnuSoundAssistSet[0]->trigger();
    m.mnuSoundAssistSet[1]->trigger();
    EXPECT_EQ(f.EqualizerBands(), (std::array<int32_t, 10>{30, 20, 10, 0, 0, 0, 0, 10, 20, 30}));
    m.mnuSoundAssistSet[0]->trigger();
    EXPECT_EQ(h.fake.calls.end()[-2], "setEqualizer 0 0 0 0 0 0 0 10 20 30");
    EXPECT_EQ(h.fake.calls.back(), "reload");
    EXPECT_EQ((std::pair<int, int>(h.settings().BassAssist, h.settings().TrebleAssist)), std::make_pair(255, 0));
}

// Scheme 1 has no title, so no menu item: applied unchecked; 5 is past the
// table: the built-in one. Choosing scheme 2 recolours and repaints.
TEST(ColourTest, SavedAndChosenSchemes) {
    const struct {
        int saved, applied;
        const char *checked;
    } cases[] = {{1, 1, "00"}, {5, 0, "10"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.saved);
        MainFormHarness h;
        h.dir.write("color/1plain.kcl", "formbg=10,20,30\r\ntitle=1,2,3\r\n");
        h.dir.write("color/2blue.kcl", "colortitle=青,blue\r\nformbg=0,0,90\r\ntitlebg=0,0,60\r\n");
        h.ini("ColorSet=" + std::to_string(c.saved) + "\r\n");
        MainForm &f = h.start({h.audio("a.mp3")});
        EXPECT_EQ(h.settings().ColorSet, c.applied);
        EXPECT_EQ(checks({ui(f).menu().mnuColorSet.at(0), ui(f).menu().mnuColorSet.at(2)}), c.checked);
        f.Timer1_Timer();
        ui(f).menu().mnuColorSet.at(2)->trigger();
        EXPECT_EQ(ui(f).label1()->palette().color(QPalette::Window), QColor(0, 0, 60));
        f.Timer1_Timer();  // everything repainted on the new background
        EXPECT_EQ(ui(f).backingImage().pixel(0, 0), qRgb(0, 0, 90));
    }
}

struct PaintRecorder : QObject {
    QRegion painted;
    int events = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint) painted += (++events, static_cast<QPaintEvent *>(event)->region());
        return false;
    }
};

TEST(PaintTest, AHeldBackFlushIsPaintedWithTheNext) {
    MainFormHarness h;
    MainForm &f = h.start({h.audio("a.mp3")});
    f.show();
    f.Timer1_Timer();
    QCoreApplication::processEvents();
    PaintRecorder recorder;
    f.installEventFilter(&recorder);
    h.clock.now += 10;
    f.Form_Paint();
    f.Timer1_Timer();
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.events, 0);
    for (int tick = 0; tick < 3 && recorder.events == 0; ++tick) {
        h.clock.now += 10;
        f.Timer1_Timer();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(recorder.events, 1);
    for (const QRect &box : {PanelPainter::SpeanaCellBox(31, 31), PanelPainter::ReadoutDotBox(105, 20, 0),
                             PanelPainter::SpeanaCellBox(0, 0)})
        EXPECT_TRUE(recorder.painted.contains(box));
    f.removeEventFilter(&recorder);
}

TEST(LayoutTest, TheCompactLayoutPaintsTheReadoutAtTheLeftEdge) {
    MainFormHarness h;
    MainForm &f = h.start({h.audio("a.mp3")});
    f.Timer1_Timer();
    ui(f).menu().mnuSpeanaEnable->trigger();
    f.Timer1_Timer();
    const QRect dot = PanelPainter::ReadoutDotBox(0, 0, f.display()->ReadoutShift());
    EXPECT_EQ(dot.left(), 0);
    EXPECT_EQ(ui(f).backingImage().pixel(dot.topLeft()), PanelPainter::ToRgb(f.display()->ReadoutDots()[0][0]));
    EXPECT_EQ(ui(f).backingImage().pixel(300, 5), qRgb(0, 0, 0));  // no title line left behind
}

TEST(PlacementTest, EdgeMovesAlignTheFrameWithTheWorkArea) {
    MainFormHarness h;
    h.workArea = QRect(100, 50, 700, 500);
    h.ini("PositionX=3000\r\nPositionY=2250\r\n");
    MainForm &f = h.start();
    EXPECT_EQ(f.pos(), QPoint(200, 150));
    const QSize frame = f.frameGeometry().size();
    f.mnuMoveWindowUp_Click();
    EXPECT_EQ(f.pos(), QPoint(200, 50));
    f.mnuMoveWindowDown_Click();
    f.mnuMoveWindowLeft_Click();
    EXPECT_EQ(f.pos(), QPoint(100, 550 - frame.height()));
    f.mnuMoveWindowRight_Click();
    EXPECT_EQ(f.pos().x(), 800 - frame.width());
}

TEST(ShutdownTest, ASettingsFileThatCannotBeWrittenIsReportedAndTheCloseGoesOn) {
    MainFormHarness h;
    MainForm &f = h.start();
    std::filesystem::remove(h.dir.file("corvale.ini"));
    std::filesystem::create_directory(h.dir.file("corvale.ini"));
    f.close();
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].second.toStdString(), "設定ファイルの書き込みに失敗しました");
    EXPECT_FALSE(f.isVisible());
}

// A quit request while a window of the player is open: that window closes as
// Cancel would, then the shutdown runs, and the library is released last.
TEST(ShutdownTest, AQuitRequestClosesAnOpenWindowAsCancelWouldThenShutsDown) {
    auto editor = [] { return dynamic_cast<ListEditor *>(QApplication::activeModalWidget()); };
    const struct {
        const char *name;
        bool fileDialog, keepsList;
        std::function<void(MainFormHarness &)> open;
    } cases[] = {
        {"settings dialog", false, false, [](MainFormHarness &h) { h.form->mnuRunSetting_Click(); }},
        {"open dialog", true, false, [](MainFormHarness &h) { h.form->Command1_Click(); }},
        {"list editor's add dialog", true, true,
         [&](MainFormHarness &h) {
             h.form->mnuRunListEditor_Click();
             editor()->bytListAddFiles(h.audio("kept.mp3"));
             editor()->Command1_Click();
         }},
    };
    const QString cwd = QDir::currentPath();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        MainFormHarness h;
        TempDir browsed;
        h.ini("DebugMode=127\r\n");
        MainForm &f = h.start({h.audio("a.mp3")});
        f.move(40, 30);
        h.dialogs.shownFolders.push_back(QString::fromStdString(browsed.path()));
        if (c.fileDialog) h.dialogs.whileOpen = [&f] { f.requestQuit(); };
        c.open(h);
        if (!c.fileDialog) f.quit();
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_FALSE(f.isVisible());
        EXPECT_EQ(h.fake.calls.back(), "free");
        EXPECT_EQ(h.log().back(), "KRC1000 Called  - bytSettingWrite");
        const std::string ini = TempDir::read(h.dir.file("corvale.ini"));
        EXPECT_NE(ini.find("PositionX=600\r\nPositionY=450\r\n"), std::string::npos);
        if (c.fileDialog && !c.keepsList) {  // the open dialog's folder browsed to
            EXPECT_NE(ini.find("LastPath=" + browsed.path().substr(0, browsed.path().size() - 1) + "\r\n"),
                      std::string::npos);
        }
        EXPECT_EQ(TempDir::read(f.keptListFile()), c.keepsList ? h.dir.file("kept.mp3") + "\r\n" : "");
        EXPECT_TRUE(h.dialogs.messages.empty());
    }
    QDir::setCurrent(cwd);
}
