// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's transport buttons and keys.
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

#include "common/AudioFileTypes.h"
#include "config/Krc1000.h"
#include "engine/Krm1000.h"
#include "mainwindow/ButtonEnableRule.h"
#include "mainwindow/KeyTranslation.h"
#include "mainwindow/MainForm.h"
#include "ui/DialogFlags.h"
#include "ui/ShowFileDialog.h"

void MainForm::focusText1() {
    if (text1_) text1_->setFocus(Qt::OtherFocusReason);
}

void MainForm::Command1_Click() {
    writeLog("MainFrm Called  - Command1");
    if (!engineUsable()) return;
    SettingData &s = krc_->settings();
    std::string folder = s.LastPath;
    const std::string result = ShowFileDialog(*env_.dialogs, 0, "ファイルを開く", this, DialogFlags::OpenFiles,
                                              AudioFileTypes::openDialogFilter(), "", folder);
    s.LastPath = folder;
    // Closed under a termination request: Cancel, whatever the dialog said.
    if (result.empty() || !engineUsable()) {
        writeLog("MainFrm Cancel  - Command1");
        return;
    }
    if (krm_->bytPlayListNewOpen(result) != 0) {
        writeLog("MainFrm Failed  - Command1");
        return;
    }
    ButtonEnableCheck();
    focusText1();
}

void MainForm::Command2_Click() {
    writeLog("MainFrm Called  - Command2");
    if (engineUsable()) krm_->bytPlayStop();
    ButtonEnableCheck();
    focusText1();
}

void MainForm::Command3_Click() {
    writeLog("MainFrm Called  - Command3");
    if (engineUsable()) krm_->bytPlayRewind();
    ButtonEnableCheck();
    focusText1();
}

void MainForm::Command4_Click() {
    writeLog("MainFrm Called  - Command4");
    if (engineUsable()) krm_->bytPlayForward();
    ButtonEnableCheck();
    focusText1();
}

void MainForm::Command5_Click() {
    writeLog("MainFrm Called  - Command5");
    if (engineUsable()) krm_->bytPlayStart();
    ButtonEnableCheck();
    focusText1();
}

void MainForm::Command6_Click() {
    writeLog("MainFrm Called  - Command6");
    if (engineUsable()) krm_->bytPlayPause();
    ButtonEnableCheck();
    focusText1();
}

void MainForm::ButtonEnableCheck() {
    writeLog("MainFrm Called  - ButtonEnableCheck");
    if (!krm_) return;
    ButtonEnableRule::States current{};
    for (std::size_t i = 0; i < 6; ++i) current[i] = commands_[i]->isEnabled();
    const EngineState &e = krm_->state();
    applyButtonStates(ButtonEnableRule::apply(current, e.PlayList.TrackCount, e.PlayList.TrackNumber, e.PlayState,
                                              krc_->settings().PlayMode));
}

void MainForm::applyButtonStates(const std::array<bool, 6> &states) {
    for (std::size_t i = 0; i < 6; ++i) commands_[i]->setEnabled(states[i]);
}

void MainForm::Text1_KeyDown(int &KeyCode, int Shift) {
    writeLog("MainFrm Called  - Text1_KeyDown");
    auto enabled = [this](int n) { return commands_[static_cast<std::size_t>(n - 1)]->isEnabled(); };
    if (Shift == KeyTranslation::AltMask) {
        if (KeyCode == 115) close();
        KeyCode = 0;
        return;
    }
    switch (KeyCode) {
    case 81:  // Q
        close();
        break;
    case 79:   // O
    case 112:  // F1
        if (enabled(1)) Command1_Click();
        break;
    case 82:   // R
    case 116:  // F5
        if (enabled(3)) Command3_Click();
        break;
    case 70:   // F
    case 119:  // F8
        if (enabled(4)) Command4_Click();
        break;
    case 83:   // S
    case 120:  // F9
        if (enabled(2)) Command2_Click();
        break;
    case 73:   // I
    case 121:  // F10
        if (enabled(6)) Command6_Click();
        break;
    case 72:   // H
    case 122:  // F11
        Form_DblClick();
        break;
    case 80:   // P
    case 123:  // F12
        if (enabled(5)) Command5_Click();
        break;
    default: break;
    }
    KeyCode = 0;
}

bool MainForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == text1_) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            int code = KeyTranslation::virtualKey(key->key());
            Text1_KeyDown(code, KeyTranslation::shiftMask(key->modifiers()));
            return true;
        }
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();  // every key goes to the key handler
            return true;
        }
    } else if (watched == windowHandle() && event->type() == QEvent::Expose) {
        Form_Paint();
    }
    return QWidget::eventFilter(watched, event);
}
