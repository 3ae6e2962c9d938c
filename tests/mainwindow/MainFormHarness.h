// SPDX-License-Identifier: GPL-3.0-or-later
// A main window on the offscreen platform with a program folder in a
// temporary directory, the fake library, scripted dialogs and clock.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "config/Krc1000.h"
#include "debugwindow/DebugWindow.h"
#include "display/Krw1000.h"
#include "engine/Krm1000.h"
#include "mainwindow/MainForm.h"
#include "support/FakeVbmp3.h"
#include "support/ScriptedClock.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "vbmp3/vbmp3.h"

inline int record(std::string call) {
    FakeVbmp3::current().calls.push_back(std::move(call));
    return 1;
}

inline Vbmp3Api windowFakeApi() {
    Vbmp3Api a = FakeVbmp3::api();
    a.vbmp3_getVersion = [] { return VBMP3_VERSION; };
    a.vbmp3_setPitch = [](int p) { return record("setPitch " + std::to_string(p)); };
    a.vbmp3_setEqualizer = [](const int32_t *b) {
        std::string s = "setEqualizer";
        for (int i = 0; i < 10; ++i) s += " " + std::to_string(b[i]);
        return record(s);
    };
    a.vbmp3_setSoftVolume = [](int l, int r) {
        return record("setSoftVolume " + std::to_string(l) + " " + std::to_string(r));
    };
    a.vbmp3_reload = [] { return record("reload"); };
    a.vbmp3_getSpectrum = [](int32_t *l, int32_t *r) {
        std::fill_n(l, 256, 0);
        std::fill_n(r, 256, 0);
        return record("getSpectrum");
    };
    a.vbmp3_setLyricsTime = a.vbmp3_setFftWindow = a.vbmp3_setNotTagLyricsLine =
        a.vbmp3_setLyricsAdjustTime = [](int) { return 1; };
    return a;
}

class MainFormTestAccess {
public:
    static constexpr int32_t PresentInterval = MainForm::PresentInterval;
    explicit MainFormTestAccess(MainForm &form) : form_(form) {}
    QPushButton *command(int n) const { return form_.commands_[static_cast<std::size_t>(n - 1)]; }
    QLabel *label1() const { return form_.label1_; }
    QLabel *label2() const { return form_.label2_; }
    QLineEdit *text1() const { return form_.text1_; }
    QTimer *timer1() const { return form_.timer1_; }
    MainMenu &menu() const { return *form_.menu_; }
    const QImage &backingImage() const { return form_.backing_; }
    bool repaintPending() const { return !form_.pendingPaint_.isEmpty(); }
    DebugWindow *debugWindow() const { return form_.debugWindow_.get(); }

private:
    MainForm &form_;
};
inline MainFormTestAccess ui(MainForm &form) { return MainFormTestAccess(form); }

// Checked states as "1010".
template <typename Items>
std::string checks(const Items &items) {
    std::string s;
    for (const QAction *a : items) s += a->isChecked() ? '1' : '0';
    return s;
}
inline std::string checks(std::initializer_list<const QAction *> items) { return checks<>(items); }

struct MainFormHarness {
    static constexpr int64_t LibrarySize = 1234;

    TempDir dir;  // the program folder
    TempDir lockDir;
    FakeVbmp3 fake;
    Vbmp3Api api = windowFakeApi();
    ScriptedDialogs dialogs;
    ScriptedClock clock;
    bool engineLoads = true;
    QRect workArea{0, 0, 1024, 740};
    MainForm::Environment env;
    std::unique_ptr<MainForm> form;
    bool loaded = false;

    MainFormHarness() {
        fake.state = 0;
        dir.write("libvbmp3.so", std::string(LibrarySize, 'x'));
        env.programDir = dir.path();
        env.lockFolder = lockDir.path();
        env.expectedLibrarySize = LibrarySize;
        env.expectedLibraryVersion = VBMP3_VERSION;
        env.dialogs = &dialogs;
        env.clock = &clock;
        env.loadEngine = [this](Vbmp3Api &a) {
            if (!engineLoads) return false;
            a = api;
            return true;
        };
        env.workArea = [this] { return workArea; };
    }

    void ini(const std::string &lines) { dir.write("corvale.ini", lines); }

    MainForm &start(std::vector<std::string> arguments = {}) {
        env.arguments = std::move(arguments);
        form = std::make_unique<MainForm>(env);
        loaded = form->Form_Load();
        return *form;
    }

    Krm1000 &engine() { return *form->engine(); }
    SettingData &settings() { return form->config()->settings(); }
    const EngineState &state() { return form->engine()->state(); }

    std::vector<std::string> log() const {
        std::vector<std::string> out;
        for (const std::string &line : form->log().list().lines()) out.push_back(line.substr(11));
        return out;
    }
    int logCount(const std::string &prefix) const {
        int n = 0;
        for (const std::string &m : log()) n += m.rfind(prefix, 0) == 0;
        return n;
    }
    bool logged(const std::string &message) const {
        const auto lines = log();
        return std::find(lines.begin(), lines.end(), message) != lines.end();
    }
    std::vector<std::string> tracks() {
        const PlayListData &pl = state().PlayList;
        return {pl.FileList.begin(), pl.FileList.begin() + pl.TrackCount};
    }

    // Enabled states of Command1..Command6 as "100010".
    std::string buttons() {
        std::string s;
        for (int i = 1; i <= 6; ++i) s += ui(*form).command(i)->isEnabled() ? '1' : '0';
        return s;
    }

    void key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, qtKey, modifiers);
        QCoreApplication::sendEvent(ui(*form).text1(), &press);
    }

    std::string audio(const std::string &name) { return dir.write(name, "ID3"); }
};
