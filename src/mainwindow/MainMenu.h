// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's pop-up menu "メニュー" with every entry in its order:
// pitch, play mode, sound assist, list editor, analyser, colours, window,
// settings, debugger and version. Indexed groups keep their indexes (pitch
// separators included); the window connects the handlers.
#pragma once

#include <array>
#include <map>

#include <QString>

class QAction;
class QMenu;
class QWidget;

class MainMenu {
public:
    static constexpr int PitchCount = 17;
    // The pitch of each item in percent; 0 marks a separator.
    static constexpr std::array<int, PitchCount> PitchValues{50,  60,  70,  80,  90, 0,   100, 0,  110,
                                                             120, 130, 140, 150, 0,  200, 0,   300};
    static constexpr int PitchDefaultIndex = 6;  // "x1.0"

    explicit MainMenu(QWidget *parent);
    ~MainMenu();
    MainMenu(const MainMenu &) = delete;
    MainMenu &operator=(const MainMenu &) = delete;

    QMenu *mnuMainForm;
    QMenu *mnuPlayPitch;
    std::array<QAction *, PitchCount> mnuPlayPitchSet{};
    QMenu *mnuPlayMode;
    std::array<QAction *, 4> mnuPlayModeSet{};
    QMenu *mnuSoundAssist;
    std::array<QAction *, 2> mnuSoundAssistSet{};
    QAction *mnuRunListEditor;
    QMenu *mnuSpeana;
    QAction *mnuSpeanaEnable;
    QAction *mnuSpeanaPeakHold;
    std::array<QAction *, 2> mnuSpeanaMode{};
    QMenu *mnuColor;
    QAction *mnuRunColorEditor;
    std::map<int, QAction *> mnuColorSet;  // by scheme table index; gaps where a scheme has no title
    QMenu *mnuWindow;
    QAction *mnuSetWindowTop;
    QAction *mnuMoveWindowUp;
    QAction *mnuMoveWindowDown;
    QAction *mnuMoveWindowLeft;
    QAction *mnuMoveWindowRight;
    QAction *mnuRunSetting;
    QAction *mnuRunDebugger;
    QAction *mnuRunVersion;

    // Adds the scheme item with the table index, after the items there are.
    QAction *addColorSet(int index, const QString &title);
    int highestColorSetIndex() const;

    // Qt flips a checkable item before its handler runs; the handlers set the
    // marks themselves, so the flip is undone first.
    static void undoAutoCheck(QAction *action);
};
