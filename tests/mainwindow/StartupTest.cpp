// Start-up: the defaults, the saved toggles, each failure and its message,
// the single instance, the library checks, the command line; the tick.
#include <algorithm>

#include <QDir>
#include <QMenu>
#include <QTimer>

#include "mainwindow/MainFormHarness.h"

namespace {

// Position of a message in the log, or -1.
int at(const std::vector<std::string> &log, const std::string &message) {
    const auto it = std::find(log.begin(), log.end(), message);
    return it == log.end() ? -1 : static_cast<int>(it - log.begin());
}

bool hasCall(const FakeVbmp3 &fake, const std::string &prefix) {
    return std::any_of(fake.calls.begin(), fake.calls.end(),
                       [&](const std::string &c) { return c.rfind(prefix, 0) == 0; });
}

}  // namespace

TEST(StartupTest, DefaultsRunOnlyTheColourPlayModeAndAnalyserModeHandlers) {
    MainFormHarness h;
    MainForm &f = h.startLogged();
    ASSERT_TRUE(h.loaded);

    const auto log = h.log();
    // The settings read loads the debug window first, which logs its five load lines.
    EXPECT_EQ(at(log, "Corvale Show    - DebugWindow"), 4);
    EXPECT_EQ(at(log, "KRC1000 Called  - bytSettingRead"), 5);
    EXPECT_LT(at(log, "MainFrm Called  - Main"), at(log, "KRM1000 Called  - KRM1000_Init"));
    EXPECT_LT(at(log, "KRC1000 Called  - bytLoadColorSet"), at(log, "MainFrm Called  - mnuPlayModeSet(255)"));
    EXPECT_LT(at(log, "MainFrm Called  - mnuPlayModeSet(255)"), at(log, "Corvale Show    - MainForm"));
    EXPECT_EQ(at(log, "Corvale Show    - MainForm") + 1, at(log, "MainFrm Enable  - Timer1"));
    for (const char *toggle : {"MainFrm Called  - mnuSoundAssistSet", "MainFrm Called  - mnuSetWindowsTop",
                               "MainFrm Called  - mnuSpeanaEnable", "MainFrm Called  - mnuSpeanaPeakHold"})
        EXPECT_EQ(h.logCount(toggle), 0) << toggle;
    for (const char *call : {"setEqualizer", "setPitch", "setSoftVolume"}) EXPECT_FALSE(hasCall(h.fake, call)) << call;

    MainMenu &m = ui(f).menu();
    EXPECT_EQ(checks({m.mnuPlayModeSet[0], m.mnuSpeanaMode[0], m.mnuColorSet.at(0), m.mnuSpeanaEnable,
                      m.mnuSpeanaPeakHold, m.mnuSetWindowTop}),
              "111100");
    EXPECT_TRUE(m.mnuRunDebugger->isVisible());
    EXPECT_FALSE(f.windowFlags() & Qt::WindowStaysOnTopHint);

    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.size(), QSize(634, 115));
    EXPECT_EQ(f.windowTitle().toStdString(), "Corvale");
    EXPECT_EQ(ui(f).label1()->text().toStdString(), "Hello!\nCorvale");
    EXPECT_EQ(ui(f).label2()->text().toStdString(), "");  // library of the expected size and version
    EXPECT_EQ(h.buttons(), "100000");
    EXPECT_TRUE(ui(f).timer1()->isActive());
    EXPECT_EQ(ui(f).timer1()->interval(), 10);
    EXPECT_EQ(ui(f).timer1()->timerType(), Qt::PreciseTimer);
    EXPECT_EQ(f.AppPath(), h.dir.path());
}

TEST(StartupTest, SavedTogglesAreReappliedThroughTheirHandlers) {
    MainFormHarness h;
    h.ini("DebugMode=127\r\nBassAssist=0\r\nTrebleAssist=0\r\nAllwaysTop=0\r\nSpeana=255\r\nPeakHold=0\r\n"
          "SpeanaMode=1\r\nPlayMode=2\r\n");
    MainForm &f = h.start();
    ASSERT_TRUE(h.loaded);

    const auto log = h.log();
    const int mode = at(log, "MainFrm Called  - mnuPlayModeSet(2)");
    const int bass = at(log, "MainFrm Called  - mnuSoundAssistSet(0)");
    const int treble = at(log, "MainFrm Called  - mnuSoundAssistSet(1)");
    const int top = at(log, "MainFrm Called  - mnuSetWindowsTop(0)");
    const int speana = at(log, "MainFrm Called  - mnuSpeanaEnable(255)");
    const int peak = at(log, "MainFrm Called  - mnuSpeanaPeakHold(0)");
    EXPECT_TRUE(mode >= 0 && mode < bass && bass < treble && treble < top && top < speana && speana < peak);

    const SettingData &s = h.settings();
    EXPECT_EQ((std::vector<int>{s.BassAssist, s.TrebleAssist, s.AllwaysTop, s.Speana, s.PeakHold, s.SpeanaMode,
                                s.PlayMode, f.config()->engineOptions().PlayMode}),
              (std::vector<int>{0, 0, 0, 255, 0, 1, 2, 2}));
    EXPECT_EQ(f.EqualizerBands(), (std::array<int32_t, 10>{30, 20, 10, 0, 0, 0, 0, 10, 20, 30}));
    EXPECT_EQ(h.fake.count("setEqualizer 30 20 10 0 0 0 0 10 20 30"), 1);
    EXPECT_FLOAT_EQ(f.display()->SpeanaScale(), 30.0f);

    MainMenu &m = ui(f).menu();
    EXPECT_EQ(checks({m.mnuSoundAssistSet[0], m.mnuSoundAssistSet[1], m.mnuSetWindowTop, m.mnuSpeanaEnable,
                      m.mnuSpeanaPeakHold, m.mnuSpeanaMode[0], m.mnuSpeanaMode[1], m.mnuPlayModeSet[3]}),
              "11101011");
    EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.width(), 377);  // compact layout
}

TEST(StartupTest, TheDebuggerItemStaysHiddenWithTheLogOff) {
    MainFormHarness h;
    MainForm &f = h.start();
    ASSERT_TRUE(h.loaded);
    EXPECT_FALSE(ui(f).menu().mnuRunDebugger->isVisible());
    EXPECT_EQ(f.log().list().size(), 0u);
    EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST(StartupTest, EveryFailureShowsItsMessageAndEndsWithTheFileUntouched) {
    const std::string settingsFailed = "設定ファイル読み込みに失敗しました\n起動を中断します";
    const std::string initFailed = "初期化に失敗しました\n起動を中断します";
    const std::string colourFailed = "配色ファイルの読み出しに失敗しました\n起動を中断します";
    struct Case {
        const char *name;
        std::function<void(MainFormHarness &)> arrange;
        std::string message;
    } cases[] = {
        {"bad settings value", [](MainFormHarness &h) { h.ini("DebugMode=127\r\nSpeana=abc\r\n"); }, settingsFailed},
        {"library cannot be loaded", [](MainFormHarness &h) { h.engineLoads = false; }, initFailed},
        {"engine refuses its options", [](MainFormHarness &h) { h.fake.framesResult = 0; }, initFailed},
        {"library lacks a lyric call", [](MainFormHarness &h) { h.api.vbmp3_setFftWindow = nullptr; }, initFailed},
        {"scheme with words for colours", [](MainFormHarness &h) { h.dir.write("color/bad.kcl", "x=a,b,c\r\n"); },
         colourFailed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MainFormHarness h;
        h.ini("DebugMode=127\r\nPositionX=1500\r\n");
        c.arrange(h);
        const std::string before = TempDir::read(h.dir.file("corvale.ini"));
        MainForm &f = h.start();
        EXPECT_FALSE(h.loaded);
        EXPECT_FALSE(f.endedAsSecondInstance());
        ASSERT_EQ(h.dialogs.messages.size(), 1u);
        EXPECT_EQ(h.dialogs.messages[0].first.toStdString(), "Corvale");
        EXPECT_EQ(h.dialogs.messages[0].second.toStdString(), c.message);
        EXPECT_FALSE(f.isVisible());
        EXPECT_FALSE(ui(f).timer1()->isActive());
        EXPECT_EQ(TempDir::read(h.dir.file("corvale.ini")), before);
        EXPECT_EQ(h.fake.count("free"), 0);
    }
}

TEST(StartupTest, ASecondStartForTheSameFolderEndsSilently) {
    MainFormHarness h;
    h.start();
    ASSERT_TRUE(h.loaded);

    MainForm second(h.env);
    EXPECT_FALSE(second.Form_Load());
    EXPECT_TRUE(second.endedAsSecondInstance());
    EXPECT_FALSE(second.isVisible());
    EXPECT_TRUE(h.dialogs.messages.empty());

    h.form.reset();  // the first player ends: the folder is free again
    MainForm third(h.env);
    EXPECT_TRUE(third.Form_Load());
    third.close();
}

TEST(StartupTest, WithoutTheLibraryFileThePlayerRunsCrippled) {
    MainFormHarness h;
    h.ini("DebugMode=127\r\n");
    std::filesystem::remove(h.dir.file("libvbmp3.so"));
    MainForm &f = h.start();
    ASSERT_TRUE(h.loaded);

    EXPECT_EQ(ui(f).label2()->text().toStdString(), "Can't work! - VBMP3.DLL Not Found");
    EXPECT_FALSE(ui(f).command(1)->isEnabled());
    EXPECT_FALSE(ui(f).menu().mnuMainForm->isEnabled());
    EXPECT_EQ(h.logCount("MainFrm Called  - mnuPlayModeSet"), 0);  // menu states not restored
    f.Form_MouseDown(2, 0, 10, 10);
    EXPECT_FALSE(ui(f).menu().mnuMainForm->isVisible());

    EXPECT_TRUE(ui(f).timer1()->isActive());
    h.fake.elapsed = 42;
    f.Timer1_Timer();
    EXPECT_EQ(h.state().ElapsedSeconds, 42);  // the tick still polls the engine
}

TEST(StartupTest, WithoutTheLibraryFileACommandLineListIsStillOpened) {
    MainFormHarness h;
    std::filesystem::remove(h.dir.file("libvbmp3.so"));
    const std::string a = h.audio("a.mp3");
    h.start({a});
    ASSERT_TRUE(h.loaded);
    EXPECT_EQ(h.state().PlayList.TrackCount, 1);
    EXPECT_EQ(h.buttons(), "100010");  // the button check enables open again
}

TEST(StartupTest, ALibraryOfAnotherSizeOrVersionIsWarnedAbout) {
    for (int which = 0; which < 2; ++which) {
        MainFormHarness h;
        if (which == 0) h.env.expectedLibrarySize = MainFormHarness::LibrarySize + 1;
        if (which == 1) h.api.vbmp3_getVersion = [] { return VBMP3_VERSION + 1; };
        MainForm &f = h.start();
        ASSERT_TRUE(h.loaded);
        EXPECT_EQ(ui(f).label2()->text().toStdString(), "Caution - VBMP3.DLL Version Missmatch");
        EXPECT_TRUE(ui(f).menu().mnuMainForm->isEnabled());
        EXPECT_TRUE(ui(f).menu().mnuPlayModeSet[0]->isChecked());
    }
}

TEST(StartupTest, CommandLineArgumentsBecomeAbsolutePathsJoinedByNuls) {
    MainFormHarness h;
    h.audio("a.mp3");
    h.audio("with blanks.mp3");
    const QString saved = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(h.dir.path()));
    h.start({"a.mp3", "   ", "./sub/../with blanks.mp3", "/nowhere/c.mp3"});
    QDir::setCurrent(saved);
    ASSERT_TRUE(h.loaded);

    const PlayListData &pl = h.state().PlayList;
    ASSERT_EQ(pl.TrackCount, 3);
    EXPECT_EQ(pl.FileList[0], h.dir.path() + "a.mp3");
    EXPECT_EQ(pl.FileList[1], h.dir.path() + "with blanks.mp3");
    EXPECT_EQ(pl.FileList[2], "/nowhere/c.mp3");
    EXPECT_EQ(h.buttons(), "100110");
}

TEST(StartupTest, AnEmptyCommandLineOpensNothing) {
    MainFormHarness h;
    h.startLogged({"  "});
    EXPECT_EQ(h.logCount("KRM1000 Called  - bytPlayListNewOpen"), 0);
    EXPECT_EQ(h.log().back(), "MainFrm Enable  - Timer1");
}

TEST(StartupTest, TheTickPollsDrawsAndPaintsTheAnalyserOnlyWhileShown) {
    MainFormHarness h;
    h.start({h.audio("a.mp3")});
    MainForm &f = *h.form;
    h.fake.clear();
    f.Timer1_Timer();
    EXPECT_EQ(h.fake.count("getSpectrum"), 1);
    EXPECT_EQ(f.TickNow(), h.clock.now);
    // Everything flagged at start-up has been painted and the flags cleared.
    EXPECT_TRUE(everyCellFlagged(*f.display(), 0));
    // The bottom analyser row is lit even in silence: speana1 of the built-in scheme.
    EXPECT_EQ(ui(f).backingImage().pixel(2, 3 * 31 + 2), qRgb(90, 230, 160));

    f.mnuSpeanaEnable_Click();
    h.fake.clear();
    f.Timer1_Timer();
    EXPECT_EQ(h.fake.count("getSpectrum"), 0);
}

TEST(StartupTest, TheElapsedTimeIsRedrawnAtMostEvery150Milliseconds) {
    MainFormHarness h;
    h.start({h.audio("a.mp3")});
    MainForm &f = *h.form;
    f.Timer1_Timer();  // first slow update
    const QImage before = ui(f).backingImage();
    h.fake.elapsed = 75;  // 1:15
    h.clock.now += 149;
    f.Timer1_Timer();
    EXPECT_EQ(ui(f).backingImage(), before);
    h.clock.now += 1;
    f.Timer1_Timer();
    EXPECT_NE(ui(f).backingImage(), before);
}
