// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: a wide, low front panel with the analyser and meters, the
// title and lyrics lines, the readout panel and six transport buttons. It
// owns the program's modules, runs start-up (Form_Load / Main), the 10 ms tick
// (Timer1_Timer) and shutdown (Form_QueryUnload), and handles the buttons,
// keys, pop-up menu, mouse, drops and window placement. It is also what the
// desktop media controls see of the player.
//
// The handlers live in files named after what they hold: MainForm.cpp
// (construction, start-up, shutdown, layout and colours), MainFormTick.cpp
// (the tick, painting and the lines shown), MainFormKeys.cpp (buttons and
// keys), MainFormMenus.cpp (the pop-up menu), MainFormMouse.cpp (mouse,
// drops, forwarded paths and window placement), MainFormMpris.cpp (the
// media-controls host).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include "engine/PlayerView.h"
#include "log/DebugLog.h"
#include "mainwindow/MainMenu.h"
#include "mpris/MprisHost.h"
#include "vbmp3/Vbmp3Calls.h"

class Clock;
class DebugWindow;
class InstanceLock;
class Krc1000;
class Krm1000;
class Krw1000;
class MainFormTestAccess;
class PanelPainter;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QUrl;
class UserDialogs;
class Vbmp3Loader;

class MainForm : public QWidget, public PlayerView, public MprisHost {
public:
    // What the window needs from outside. Every member left empty gets the
    // real thing (tests script them).
    struct Environment {
        std::string programDir;              // the executable's folder; ends in '/'
        std::string appPath;                 // folder of corvale.ini, debuglog.txt, color/; empty: programDir
        std::vector<std::string> arguments;  // the command line after the program name
        std::string lockFolder;              // folder of the single-instance lock
        int64_t expectedLibrarySize = -1;    // libvbmp3.so as built
        int expectedLibraryVersion = 0;
        UserDialogs *dialogs = nullptr;
        Clock *clock = nullptr;
        // Loads the engine library into the table; false when it cannot be loaded.
        std::function<bool(Vbmp3Api &api)> loadEngine;
        // The desktop work area in screen pixels (right and bottom exclusive as QRect says).
        std::function<QRect()> workArea;
        // Starts a program by its path without waiting for it.
        std::function<void(const std::string &path)> startProgram;
    };

    static constexpr int ClientWidth = 634;
    static constexpr int ClientHeight = 115;
    static constexpr int CompactClientWidth = 377;  // 5740 twips outer instead of 9600
    static constexpr const char *LibraryFileName = "libvbmp3.so";

    explicit MainForm(Environment environment);
    ~MainForm() override;

    // Start-up. False when the process is to end now: another instance runs,
    // or a start-up step failed (its message has been shown).
    bool Form_Load();
    // After a false Form_Load: true when it was a second start (nothing shown).
    bool endedAsSecondInstance() const { return secondInstance_; }
    // The single-instance lock file (empty before Main has looked for it).
    std::string instanceLockFile() const;
    // Paths handed on by a second start: the window comes to the front and
    // takes them as a drop (no paths: it only comes to the front).
    void openForwarded(const std::vector<std::string> &paths);
    void Timer1_Timer();
    void Form_QueryUnload();
    // A request to end the program (a termination signal, the media
    // controls' Quit): every open dialog closes as Cancel would (the list
    // editor keeps an unsaved list in keptListFile), then the window closes
    // the normal way once the dialogs have returned.
    void requestQuit();
    // Where the list editor keeps an unsaved list when the program ends under
    // it; the editor takes it up the next time it opens.
    std::string keptListFile() const { return appPath_ + "listeditor-unsaved.m3u"; }
    void Form_Paint();

    // Buttons and keys.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void ButtonEnableCheck() override;
    // KeyCode: virtual key code (set to 0 on return); Shift: 1 Shift, 2 Ctrl, 4 Alt.
    void Text1_KeyDown(int &KeyCode, int Shift);

    // Mouse, drop and volume. Button: 1 left, 2 right, 4 middle.
    void Form_MouseDown(int Button, int Shift, int X, int Y);
    void Form_DblClick();
    void Form_OLEDragDrop(const QList<QUrl> &urls);

    // Menu handlers.
    void mnuPlayPitchSet_Click(int Index);
    void mnuPlayModeSet_Click(int Index);
    void mnuSoundAssistSet_Click(int Index);
    void mnuRunListEditor_Click();
    void mnuSpeanaEnable_Click();
    void mnuSpeanaPeakHold_Click();
    void mnuSpeanaMode_Click(int Index);
    void mnuRunColorEditor_Click();
    void mnuColorSet_Click(int Index);
    void mnuSetWindowTop_Click();
    void mnuMoveWindowUp_Click();
    void mnuMoveWindowDown_Click();
    void mnuMoveWindowLeft_Click();
    void mnuMoveWindowRight_Click();
    void mnuRunSetting_Click();
    void mnuRunDebugger_Click();
    void mnuRunVersion_Click();

    // Window placement.
    void GetWorkArea();
    const QRect &WorkAreaRect() const { return workAreaRect_; }

    // PlayerView.
    void SetTitleLine(const std::string &text) override;
    void SetLyricsLine(const std::string &text) override;
    void SetWindowCaption(const std::string &text) override;
    void DrawTrackNumber() override;
    void DrawAllTime() override;
    void DrawFrequency() override;

    // MprisHost: the window as the desktop media controls see it.
    bool available() const override;
    uint8_t playState() const override;
    bool commandEnabled(int n) const override;
    void invokeCommand(int n) override;
    uint8_t playMode() const override;
    bool playModeChangeable() const override;
    void choosePlayMode(uint8_t mode) override;
    bool halfVolume() const override;
    void toggleHalfVolume() override;
    MprisTrack currentTrack() const override;
    int32_t elapsedSeconds() const override;
    void raiseWindow() override;
    void quit() override;
    bool openFile(const std::string &path) override;

    // The modules, for the other windows and for tests. They exist once Main
    // has got that far.
    DebugLog &log() { return log_; }
    const std::string &AppPath() const { return appPath_; }
    const std::string &ProgramDir() const { return env_.programDir; }
    Krc1000 *config() { return krc_.get(); }
    Krm1000 *engine() { return krm_.get(); }
    Krw1000 *display() { return krw_.get(); }
    const std::array<int32_t, 10> &EqualizerBands() const { return equalizerBands_; }
    int32_t TickNow() const { return tickNow_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Tests look at the controls and the backing image through this.
    friend class MainFormTestAccess;

    bool Main();
    void buildControls();
    void connectMenu();
    void endStart(const char *message);
    void applyLayout();
    void applyColours();
    void refillBacking();
    void flush(const QRegion &touched);
    void applyButtonStates(const std::array<bool, 6> &states);
    void focusText1();
    void placeAt(int32_t positionX, int32_t positionY);
    void moveFrameTo(int x, int y);
    void openCommandLine();
    bool libraryChecks();
    void restoreMenuStates();
    void connectDebugWindow();  // hands the debug window its figures once the modules exist
    void writeLog(const std::string &message) { log_.WriteDebugLog(message); }
    void closeDialogs();
    // The engine module exists and has not been released.
    bool engineUsable() const { return krm_ != nullptr && !unloaded_; }

    Environment env_;
    std::unique_ptr<UserDialogs> ownDialogs_;
    std::unique_ptr<Clock> ownClock_;
    std::unique_ptr<InstanceLock> instanceLock_;
    std::unique_ptr<Vbmp3Loader> loader_;

    DebugLog log_;
    std::string appPath_;
    Vbmp3Api api_;
    Vbmp3Calls lib_{api_, &log_};  // the window's own calls into the table
    std::unique_ptr<Krc1000> krc_;
    std::unique_ptr<Krm1000> krm_;
    std::unique_ptr<Krw1000> krw_;
    std::unique_ptr<PanelPainter> painter_;
    std::unique_ptr<DebugWindow> debugWindow_;  // after log_: it unhooks itself from the log

    // Clock values; all three start from the clock when the window is made.
    int32_t tickNow_ = 0;
    int32_t lastSlowTick_ = 0;
    // What the flushes touched since the window was last asked to repaint.
    // The tick runs every 10 ms, faster than screens refresh, and every
    // repaint is a trip through the window system: the window is asked at
    // most once per PresentInterval ms (every fourth tick, 25 times a second).
    static constexpr int32_t PresentInterval = 35;
    QRegion pendingPaint_;
    int32_t lastPresent_ = 0;
    std::array<int32_t, 10> equalizerBands_{};
    QRect workAreaRect_;
    bool started_ = false;   // Main ran to its end or to the library check
    bool unloaded_ = false;  // Form_QueryUnload has run
    bool secondInstance_ = false;
    bool closing_ = false;        // the window has been asked to close
    bool quitRequested_ = false;  // by requestQuit: nothing may wait for the user

    QImage backing_;
    std::unique_ptr<MainMenu> menu_;
    std::array<QPushButton *, 6> commands_{};
    QLabel *label1_ = nullptr;
    QLabel *label2_ = nullptr;
    QLineEdit *text1_ = nullptr;
    QTimer *timer1_ = nullptr;
};
