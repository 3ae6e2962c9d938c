// The pop-up menu and its handlers, the layout switch, colours and painting,
// window placement and shutdown.
#include <QExposeEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QWindow>

#include "display/Krw1000.h"
#include "display/PanelPainter.h"
#include "mainwindow/MainFormHarness.h"

namespace {

QStringList captions(QMenu *menu) {
    QStringList out;
    for (QAction *a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

bool allFlagged(const Krw1000 &d) { return everyCellFlagged(d, Krw1000::Dirty); }
bool noneFlagged(const Krw1000 &d) { return everyCellFlagged(d, 0); }

// Two scheme files: the first without a title (table index 1, no menu item),
// the second titled (index 2).
void writeSchemes(MainFormHarness &h) {
    h.dir.write("color/1plain.kcl", "formbg=10,20,30\r\ntitle=1,2,3\r\n");
    h.dir.write("color/2blue.kcl", "colortitle=青,blue\r\nformbg=0,0,90\r\ntitle=200,210,220\r\ntitlebg=0,0,60\r\n");
}

}  // namespace

TEST(MenuTest, EveryEntryInItsOrder) {
    MainFormHarness h;
    writeSchemes(h);
    MainForm &f = h.start();
    const MainMenu &m = ui(f).menu();
    EXPECT_EQ(m.mnuMainForm->title().toStdString(), "メニュー");
    EXPECT_EQ(captions(m.mnuMainForm),
              QStringList({"再生ピッチ", "再生モード", "サウンドアシスト", "-", "リストエディタ", "-", "スペアナ",
                           "配色", "ウインドウ", "-", "設定", "-", "Debugger", "バージョン"}));
    EXPECT_EQ(captions(m.mnuPlayPitch),
              QStringList({"x0.5", "x0.6", "x0.7", "x0.8", "x0.9", "-", "x1.0", "-", "x1.1", "x1.2", "x1.3", "x1.4",
                           "x1.5", "-", "x2.0", "-", "x3.0"}));
    EXPECT_EQ(checks(m.mnuPlayPitchSet), "00000010000000000");
    EXPECT_EQ(captions(m.mnuPlayMode), QStringList({"なし", "１曲リピート", "全曲リピート", "ランダムリピート"}));
    EXPECT_EQ(captions(m.mnuSoundAssist), QStringList({"BASS(低音)", "TREBLE(高音)"}));
    EXPECT_EQ(captions(m.mnuSpeana),
              QStringList({"表示", "ピ－クホールド", "-", "イルミネーション", "簡易測定モード"}));
    EXPECT_EQ(captions(m.mnuColor), QStringList({"作成", "-", "緑－黄－赤(標準)", "青"}));
    EXPECT_EQ(m.mnuColorSet.count(1), 0u);
    EXPECT_EQ(m.mnuColorSet.count(2), 1u);
    EXPECT_EQ(captions(m.mnuWindow), QStringList({"常に手前に表示", "-", "いちばん上に移動", "いちばん下に移動", "-",
                                                   "いちばん左に移動", "いちばん右に移動"}));
}

TEST(MenuTest, PitchItemsSendTheirValueAndCarryTheOnlyCheck) {
    MainFormHarness h;
    MainForm &f = h.startLogged();
    ui(f).menu().mnuPlayPitchSet[0]->trigger();
    EXPECT_EQ(h.fake.count("setPitch 50"), 1);
    EXPECT_TRUE(h.logged("MainFrm Called  - mnuPlayPitchSet(x0.5)"));
    EXPECT_EQ(checks(ui(f).menu().mnuPlayPitchSet), "10000000000000000");
    ui(f).menu().mnuPlayPitchSet[16]->trigger();
    EXPECT_TRUE(h.logged("MainFrm Called  - mnuPlayPitchSet(x3.0)"));
    EXPECT_EQ(checks(ui(f).menu().mnuPlayPitchSet), "00000000000000001");
}

TEST(MenuTest, PlayModesShuffleAndRestoreTheOrder) {
    MainFormHarness h;
    h.ini("DebugMode=127\r\n");
    std::vector<std::string> args;
    for (int i = 0; i < 8; ++i) args.push_back(h.audio("t" + std::to_string(i) + ".mp3"));
    MainForm &f = h.start(args);
    f.engine()->setRandomSource([] { return 0.99; });
    ui(f).menu().mnuPlayModeSet[3]->trigger();
    EXPECT_TRUE(h.logged("MainFrm Called  - mnuPlayModeSet(2)"));
    EXPECT_EQ(h.settings().PlayMode, 2);
    EXPECT_EQ(f.config()->engineOptions().PlayMode, 2);
    EXPECT_EQ(checks(ui(f).menu().mnuPlayModeSet), "0001");
    const auto &order = h.state().PlayList.PlayOrder;
    EXPECT_NE(order, std::vector<int16_t>({0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(h.buttons(), "101110");  // random repeat: previous and next

    ui(f).menu().mnuPlayModeSet[0]->trigger();
    EXPECT_TRUE(h.logged("MainFrm Called  - mnuPlayModeSet(255)"));
    EXPECT_EQ(order, std::vector<int16_t>({0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(checks(ui(f).menu().mnuPlayModeSet), "1000");
}

TEST(MenuTest, SoundAssistsFillTheirOwnBands) {
    MainFormHarness h;
    MainForm &f = h.startLogged();
    MainMenu &m = ui(f).menu();
    m.mnuSoundAssistSet[0]->trigger();
    m.mnuSoundAssistSet[1]->trigger();
    EXPECT_EQ(f.EqualizerBands(), (std::array<int32_t, 10>{30, 20, 10, 0, 0, 0, 0, 10, 20, 30}));
    EXPECT_EQ(checks(m.mnuSoundAssistSet), "11");
    m.mnuSoundAssistSet[0]->trigger();
    EXPECT_EQ(f.EqualizerBands(), (std::array<int32_t, 10>{0, 0, 0, 0, 0, 0, 0, 10, 20, 30}));
    EXPECT_EQ(checks(m.mnuSoundAssistSet), "01");
    EXPECT_EQ(h.settings().BassAssist, 255);
    EXPECT_EQ(h.settings().TrebleAssist, 0);
    EXPECT_EQ(h.fake.count("setEqualizer 30 20 10 0 0 0 0 0 0 0"), 1);
    EXPECT_EQ(h.fake.count("setEqualizer 0 0 0 0 0 0 0 10 20 30"), 1);
    EXPECT_EQ(h.fake.count("reload"), 3);
    EXPECT_EQ(h.logCount("MainFrm Called  - mnuSoundAssistSet(0)"), 2);
}

TEST(MenuTest, AnalyserPeakHoldAndModeItems) {
    MainFormHarness h;
    MainForm &f = h.startLogged();
    MainMenu &m = ui(f).menu();
    m.mnuSpeanaPeakHold->trigger();
    EXPECT_TRUE(m.mnuSpeanaPeakHold->isChecked());
    EXPECT_EQ(h.settings().PeakHold, 0);
    EXPECT_TRUE(h.logged("MainFrm Called  - mnuSpeanaPeakHold(0)"));
    m.mnuSpeanaPeakHold->trigger();
    EXPECT_FALSE(m.mnuSpeanaPeakHold->isChecked());
    EXPECT_EQ(h.settings().PeakHold, 255);

    m.mnuSpeanaMode[1]->trigger();
    EXPECT_EQ(h.settings().SpeanaMode, 1);
    EXPECT_FLOAT_EQ(f.display()->LvMeterScale(), 3.75f);
    EXPECT_EQ(checks(m.mnuSpeanaMode), "01");
    m.mnuSpeanaMode[1]->trigger();  // choosing the checked item keeps it checked
    EXPECT_EQ(checks(m.mnuSpeanaMode), "01");
}

TEST(MenuTest, SecondaryWindowItemsAndTheColourEditorOnlyWhenItExists) {
    MainFormHarness h;
    MainForm &f = h.startLogged();
    ui(f).menu().mnuRunListEditor->trigger();
    ui(f).menu().mnuRunSetting->trigger();
    ui(f).menu().mnuRunVersion->trigger();
    for (const char *line : {"MainFrm Called  - mnuRunListEditor", "MainFrm Called  - mnuRunSetting",
                             "MainFrm Called  - mnuRunVersion"})
        EXPECT_TRUE(h.logged(line)) << line;

    h.settings().CEditor = h.dir.path() + "missing-editor";
    ui(f).menu().mnuRunColorEditor->trigger();
    EXPECT_TRUE(h.started.empty());
    h.settings().CEditor = h.dir.write("editor", "#!/bin/sh\n");
    ui(f).menu().mnuRunColorEditor->trigger();
    EXPECT_EQ(h.started, std::vector<std::string>{h.settings().CEditor});
    EXPECT_EQ(h.logCount("MainFrm Called  - mnuRunColorEditor"), 2);
}

TEST(ColourTest, ASchemeColoursLabelsAndRepaintsEverything) {
    MainFormHarness h;
    writeSchemes(h);
    MainForm &f = h.start({h.audio("a.mp3")});
    f.Timer1_Timer();
    ASSERT_TRUE(noneFlagged(*f.display()));

    ui(f).menu().mnuColorSet.at(2)->trigger();
    EXPECT_EQ(h.settings().ColorSet, 2);
    EXPECT_EQ(checks({ui(f).menu().mnuColorSet.at(0), ui(f).menu().mnuColorSet.at(2)}), "01");
    EXPECT_EQ(ui(f).label1()->palette().color(QPalette::WindowText), QColor(200, 210, 220));
    EXPECT_EQ(ui(f).label1()->palette().color(QPalette::Window), QColor(0, 0, 60));
    EXPECT_TRUE(allFlagged(*f.display()));
    EXPECT_EQ(ui(f).backingImage().pixel(0, 0), qRgb(0, 0, 90));  // refilled with the new formbg
    f.Timer1_Timer();
    EXPECT_TRUE(noneFlagged(*f.display()));
    EXPECT_EQ(ui(f).backingImage().pixel(0, 0), qRgb(0, 0, 90));
}

TEST(ColourTest, ASavedSchemeWithoutMenuItemIsAppliedUncheckedOneAboveTheTableFallsBack) {
    // Menu items: 0 (built-in) and 2; scheme 1 has no title.
    const struct { int saved, applied; const char *checked; } cases[] = {{1, 1, "00"}, {5, 0, "10"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.saved);
        MainFormHarness h;
        writeSchemes(h);
        h.ini("ColorSet=" + std::to_string(c.saved) + "\r\n");
        MainForm &f = h.start();
        EXPECT_EQ(h.settings().ColorSet, c.applied);
        if (c.applied == 1) {
            EXPECT_EQ(f.config()->currentColor().formbg, RGBColor(10, 20, 30));
        }
        EXPECT_EQ(checks({ui(f).menu().mnuColorSet.at(0), ui(f).menu().mnuColorSet.at(2)}), c.checked);
    }
}

TEST(PaintTest, APaintEventFlagsNothingAndARepaintRequestFlagsEverything) {
    MainFormHarness h;
    MainForm &f = h.start();
    f.Timer1_Timer();
    f.repaint();
    EXPECT_TRUE(noneFlagged(*f.display()));
    f.Form_Paint();
    EXPECT_TRUE(allFlagged(*f.display()));
    f.Timer1_Timer();
    ASSERT_TRUE(noneFlagged(*f.display()));
    // The window system asking for the window's contents flags everything too.
    QExposeEvent expose(QRegion(f.rect()));
    QCoreApplication::sendEvent(f.windowHandle(), &expose);
    EXPECT_TRUE(allFlagged(*f.display()));
}

// Records the regions of the paint events a widget receives.
class PaintRecorder : public QObject {
public:
    QRegion painted;
    int events = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint) {
            ++events;
            painted += static_cast<QPaintEvent *>(event)->region();
        }
        return false;
    }
};

TEST(PaintTest, TheWindowIsRepaintedEveryOtherTickWithAllTheTicksChanged) {
    MainFormHarness h;
    MainForm &f = h.start({h.audio("a.mp3")});
    f.show();
    QCoreApplication::processEvents();
    f.Timer1_Timer();
    QCoreApplication::processEvents();
    PaintRecorder recorder;
    f.installEventFilter(&recorder);

    h.clock.now += 10;
    f.Form_Paint();
    f.Timer1_Timer();  // everything painted into the image, the window not yet
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.events, 0);
    h.clock.now += 10;
    f.Timer1_Timer();  // the window shows both ticks at once
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.events, 1);
    EXPECT_TRUE(recorder.painted.contains(PanelPainter::SpeanaCellBox(31, 31)));
    EXPECT_TRUE(recorder.painted.contains(PanelPainter::LvMeterCellBox(31, 3)));
    EXPECT_TRUE(recorder.painted.contains(PanelPainter::ReadoutDotBox(105, 20, 0)));
    EXPECT_TRUE(recorder.painted.contains(PanelPainter::SpeanaCellBox(0, 0)));
    f.removeEventFilter(&recorder);
}

TEST(LayoutTest, HidingTheAnalyserGivesTheCompactLayoutAndBack) {
    MainFormHarness h;
    MainForm &f = h.startLogged({h.audio("a.mp3")});
    f.Timer1_Timer();
    ui(f).menu().mnuSpeanaEnable->trigger();
    EXPECT_FALSE(ui(f).menu().mnuSpeanaEnable->isChecked());
    EXPECT_EQ(h.settings().Speana, 255);
    EXPECT_TRUE(h.logged("MainFrm Called  - mnuSpeanaEnable(255)"));
    EXPECT_EQ(f.size(), QSize(377, 115));
    EXPECT_EQ(ui(f).label1()->x(), 1);
    EXPECT_EQ(ui(f).label2()->x(), 1);
    EXPECT_EQ(f.display()->ReadoutShift(), 258);
    const int tops[] = {0, 0, 38, 38, 76, 76};
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(ui(f).command(i)->x(), i % 2 ? 319 : 348) << i;
        EXPECT_EQ(ui(f).command(i)->y(), tops[i - 1]) << i;
    }
    // The readout is painted at x 0 on a fresh background; no analyser cell is.
    f.Timer1_Timer();
    const QRect dot = PanelPainter::ReadoutDotBox(0, 0, 258);
    EXPECT_EQ(dot.left(), 0);
    EXPECT_EQ(ui(f).backingImage().pixel(dot.topLeft()), PanelPainter::ToRgb(f.display()->ReadoutDots()[0][0]));
    EXPECT_EQ(ui(f).backingImage().pixel(300, 5), qRgb(0, 0, 0));  // formbg where the title line was

    ui(f).menu().mnuSpeanaEnable->trigger();
    EXPECT_TRUE(ui(f).menu().mnuSpeanaEnable->isChecked());
    EXPECT_EQ(f.size(), QSize(634, 115));
    EXPECT_EQ(ui(f).label1()->x(), 258);
    EXPECT_EQ(ui(f).command(1)->x(), 576);
    EXPECT_EQ(ui(f).command(2)->x(), 605);
    EXPECT_EQ(f.display()->ReadoutShift(), 0);
}

TEST(PlacementTest, AlwaysOnTopTogglesTheHintAndTheCheck) {
    MainFormHarness h;
    MainForm &f = h.startLogged();
    ui(f).menu().mnuSetWindowTop->trigger();
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(ui(f).menu().mnuSetWindowTop->isChecked());
    EXPECT_EQ(h.settings().AllwaysTop, 0);
    EXPECT_TRUE(h.logged("MainFrm Called  - mnuSetWindowsTop(0)"));
    EXPECT_TRUE(f.isVisible());
    ui(f).menu().mnuSetWindowTop->trigger();
    EXPECT_FALSE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(ui(f).menu().mnuSetWindowTop->isChecked());
    EXPECT_EQ(h.settings().AllwaysTop, 255);
}

TEST(PlacementTest, EdgeMovesAlignTheFrameWithTheWorkArea) {
    MainFormHarness h;
    h.workArea = QRect(100, 50, 700, 500);  // right edge 800, bottom edge 550 (exclusive)
    h.ini("PositionX=3000\r\nPositionY=2250\r\n");
    MainForm &f = h.start();
    EXPECT_EQ(f.pos(), QPoint(200, 150));
    const QSize frame = f.frameGeometry().size();

    f.mnuMoveWindowUp_Click();
    EXPECT_EQ(f.pos(), QPoint(200, 50));
    f.mnuMoveWindowDown_Click();
    EXPECT_EQ(f.pos(), QPoint(200, 550 - frame.height()));
    f.mnuMoveWindowLeft_Click();
    EXPECT_EQ(f.pos(), QPoint(100, 550 - frame.height()));
    f.mnuMoveWindowRight_Click();
    EXPECT_EQ(f.pos(), QPoint(800 - frame.width(), 550 - frame.height()));
    EXPECT_EQ(f.WorkAreaRect(), h.workArea);
}

TEST(ShutdownTest, ClosingWritesThePositionInTwipsAndTheSettings) {
    MainFormHarness h;
    MainForm &f = h.startLogged();
    f.move(40, 30);
    ui(f).menu().mnuSpeanaPeakHold->trigger();
    f.close();
    EXPECT_FALSE(ui(f).timer1()->isActive());
    EXPECT_EQ(h.fake.count("free"), 1);
    const std::string ini = TempDir::read(h.dir.file("corvale.ini"));
    EXPECT_NE(ini.find("PositionX=600\r\n"), std::string::npos);
    EXPECT_NE(ini.find("PositionY=450\r\n"), std::string::npos);
    EXPECT_NE(ini.find("PeakHold=0\r\n"), std::string::npos);
    EXPECT_TRUE(h.dialogs.messages.empty());
    const auto log = h.log();
    EXPECT_EQ(log.back(), "KRC1000 Called  - bytSettingWrite");
}

TEST(ShutdownTest, ASettingsFileThatCannotBeWrittenIsReportedAndTheCloseGoesOn) {
    MainFormHarness h;
    MainForm &f = h.start();
    std::filesystem::remove(h.dir.file("corvale.ini"));
    std::filesystem::create_directory(h.dir.file("corvale.ini"));  // a folder in its place
    f.close();
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].second.toStdString(), "設定ファイルの書き込みに失敗しました");
    EXPECT_FALSE(f.isVisible());
}
