// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the defaults, the saved toggles, each failure and its message,
// the library checks.
#include <QMenu>

#include "mainwindow/MainFormHarness.h"

// Saved toggles go through their handlers; the defaults call none of them.
// (The order of the opening's steps is the demo run's log check.)
TEST(StartupTest, SavedTogglesAreReappliedDefaultsLeftAlone) {
    const std::pair<const char *, const char *> cases[] = {
        {"", "0001000"},
        {"BassAssist=0\r\nTrebleAssist=0\r\nAllwaysTop=0\r\nSpeana=255\r\nPeakHold=0\r\nSpeanaMode=1\r\nPlayMode=2\r\n"
         "DebugMode=127\r\n",
         "1110111"}};
    for (const auto &[ini, checked] : cases) {
        MainFormHarness h;
        h.ini(ini);
        MainForm &f = h.start();
        const bool saved = *ini != 0;
        MainMenu &m = ui(f).menu();
        EXPECT_EQ(checks({m.mnuSoundAssistSet[0], m.mnuSoundAssistSet[1], m.mnuSetWindowTop, m.mnuSpeanaEnable,
                          m.mnuSpeanaPeakHold, m.mnuSpeanaMode[1], m.mnuPlayModeSet[3]}),
                  checked);
        EXPECT_EQ(f.config()->engineOptions().PlayMode, saved ? 2 : 255);
        EXPECT_EQ(h.fake.count("setEqualizer 30 20 10 0 0 0 0 10 20 30"), saved);
        EXPECT_EQ(bool(f.windowFlags() & Qt::WindowStaysOnTopHint), saved);
        EXPECT_EQ(f.display()->ReadoutShift(), saved ? 258 : 0);  // compact layout
        EXPECT_EQ(m.mnuRunDebugger->isVisible(), saved);          // with the log on only
        EXPECT_EQ(h.buttons(), "100000");
    }
}

TEST(StartupTest, EveryFailureShowsItsMessageAndEndsWithTheFileUntouched) {
    const std::string initFailed = "初期化に失敗しました\n起動を中断します";
    const struct {
        const char *name;
        std::function<void(MainFormHarness &)> arrange;
        std::string message;
        const char *file = nullptr;  // and its line, after the message
    } cases[] = {
        {"bad settings value", [](MainFormHarness &h) { h.ini("DebugMode=127\r\nSpeana=abc\r\n"); },
         "設定ファイル読み込みに失敗しました\n起動を中断します\n", "corvale.ini (2 行目)"},
        {"library cannot be loaded", [](MainFormHarness &h) { h.engineLoads = false; }, initFailed},
        {"library lacks a lyric call", [](MainFormHarness &h) { h.api.vbmp3_setFftWindow = nullptr; }, initFailed},
        {"scheme with words for colours",
         [](MainFormHarness &h) { h.dir.write("color/bad.kcl", "colortitle=Bad\nformbg=1,2,3\rx=a,b,c\r\n"); },
         "配色ファイルの読み出しに失敗しました\n起動を中断します\n", "color/bad.kcl (3 行目)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        MainFormHarness h;
        h.ini("DebugMode=127\r\nPositionX=1500\r\n");
        c.arrange(h);
        const std::string before = TempDir::read(h.dir.file("corvale.ini"));
        MainForm &f = h.start();
        EXPECT_FALSE(h.loaded);
        ASSERT_EQ(h.dialogs.messages.size(), 1u);
        EXPECT_EQ(h.dialogs.messages[0].second.toStdString(), c.message + (c.file ? h.dir.file(c.file) : ""));
        EXPECT_FALSE(f.isVisible() || ui(f).timer1()->isActive());
        EXPECT_EQ(TempDir::read(h.dir.file("corvale.ini")), before);
        EXPECT_EQ(h.fake.count("free"), 0);
    }
}

// Without the library file: warned, open and the menu off, yet a command line
// list is opened and the tick polls.
TEST(StartupTest, WithoutTheLibraryFileThePlayerRunsCrippled) {
    MainFormHarness h;
    std::filesystem::remove(h.dir.file("libvbmp3.so"));
    MainForm &f = h.start({h.audio("a.mp3")});
    ASSERT_TRUE(h.loaded);
    EXPECT_EQ(ui(f).label2()->text().toStdString(), "Can't work! - VBMP3.DLL Not Found");
    EXPECT_FALSE(ui(f).menu().mnuMainForm->isEnabled());
    f.Form_MouseDown(2, 0, 10, 10);
    EXPECT_FALSE(ui(f).menu().mnuMainForm->isVisible());
    EXPECT_EQ(h.tracks(), std::vector<std::string>{h.dir.file("a.mp3")});
    EXPECT_EQ(h.buttons(), "100010");
    h.fake.elapsed = 42;
    f.Timer1_Timer();
    EXPECT_EQ(h.state().ElapsedSeconds, 42);
}

TEST(StartupTest, ALibraryOfAnotherSizeOrVersionIsWarnedAbout) {
    for (const bool size : {true, false}) {
        MainFormHarness h;
        h.env.expectedLibrarySize += size;
        h.env.expectedLibraryVersion += !size;
        MainForm &f = h.start();
        EXPECT_EQ(ui(f).label2()->text().toStdString(), "Caution - VBMP3.DLL Version Missmatch");
        EXPECT_TRUE(ui(f).menu().mnuPlayModeSet[0]->isChecked());
    }
}
