// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's pop-up menu: pitch, play mode, sound assist, the other
// windows, the analyser and the colour schemes.
#include <cstdio>

#include <QAction>
#include <QDialog>

#include "aboutwindow/Version.h"
#include "common/PathUtil.h"
#include "config/Krc1000.h"
#include "debugwindow/DebugWindow.h"
#include "display/Krw1000.h"
#include "engine/Krm1000.h"
#include "listeditor/ListEditor.h"
#include "mainwindow/MainForm.h"
#include "settingsdialog/SetForm.h"

void MainForm::mnuPlayPitchSet_Click(int Index) {
    if (Index < 0 || Index >= MainMenu::PitchCount || MainMenu::PitchValues[Index] == 0) return;
    const int value = MainMenu::PitchValues[Index];
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", value / 100.0);
    writeLog(std::string("MainFrm Called  - mnuPlayPitchSet(x") + text + ")");
    lib_.vbmp3_setPitch(value);
    for (QAction *a : menu_->mnuPlayPitchSet) a->setChecked(false);
    menu_->mnuPlayPitchSet[Index]->setChecked(true);
}

void MainForm::mnuPlayModeSet_Click(int Index) {
    if (!krc_ || Index < 0 || Index > 3) return;
    SettingData &s = krc_->settings();
    s.PlayMode = static_cast<uint8_t>(Index);
    for (QAction *a : menu_->mnuPlayModeSet) a->setChecked(false);
    menu_->mnuPlayModeSet[Index]->setChecked(true);
    s.PlayMode = static_cast<uint8_t>(Index - 1);
    krc_->engineOptions().PlayMode = s.PlayMode;
    writeLog("MainFrm Called  - mnuPlayModeSet(" + std::to_string(s.PlayMode) + ")");
    if (krm_ && krm_->bytPlayModeChange() == 0) {
        ButtonEnableCheck();
        krw_->DrawRepeatMark();
    }
}

void MainForm::mnuSoundAssistSet_Click(int Index) {
    if (!krc_ || Index < 0 || Index > 1) return;
    SettingData &s = krc_->settings();
    if (Index == 0) {
        s.BassAssist = static_cast<uint8_t>(~s.BassAssist);
        const bool on = s.BassAssist == 0;
        equalizerBands_[0] = on ? 30 : 0;
        equalizerBands_[1] = on ? 20 : 0;
        equalizerBands_[2] = on ? 10 : 0;
    } else {
        s.TrebleAssist = static_cast<uint8_t>(~s.TrebleAssist);
        const bool on = s.TrebleAssist == 0;
        equalizerBands_[7] = on ? 10 : 0;
        equalizerBands_[8] = on ? 20 : 0;
        equalizerBands_[9] = on ? 30 : 0;
    }
    lib_.vbmp3_setEqualizer(equalizerBands_.data());
    lib_.vbmp3_reload();
    QAction *item = menu_->mnuSoundAssistSet[static_cast<std::size_t>(Index)];
    item->setChecked(!item->isChecked());
    writeLog("MainFrm Called  - mnuSoundAssistSet(" + std::to_string(Index) + ")");
}

// The list editor, the settings dialog and the About window are modal to this
// window (it takes no input while one is open) and the tick goes on.
static void openModal(QDialog *dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MainForm::mnuRunListEditor_Click() {
    writeLog("MainFrm Called  - mnuRunListEditor");
    if (!krc_ || closing_) return;
    auto *editor = new ListEditor(this, *env_.dialogs, krc_->settings().AllwaysTop);
    openModal(editor);
    editor->takeUpKeptList(keptListFile());
}

void MainForm::mnuRunSetting_Click() {
    writeLog("MainFrm Called  - mnuRunSetting");
    if (!krc_ || closing_) return;
    openModal(new SetForm(this, log_, *env_.dialogs, krc_->settings()));
}

void MainForm::mnuRunDebugger_Click() {
    if (!debugWindow_) return;
    debugWindow_->show();
    debugWindow_->raise();
    debugWindow_->activateWindow();
}

void MainForm::mnuRunVersion_Click() {
    writeLog("MainFrm Called  - mnuRunVersion");
    if (!krc_ || closing_) return;
    openModal(new Version(this, log_, krc_->settings().AllwaysTop, env_.programDir));
}

void MainForm::connectDebugWindow() {
    if (!debugWindow_ || !krm_ || !krw_) return;
    debugWindow_->setSources({&krm_->state(), &krc_->engineOptions(), &krw_->SpeanaCells(), &krw_->LvMeterCells()});
}

// ---------------------------------------------------------------- analyser and colours

void MainForm::mnuSpeanaEnable_Click() {
    if (!krc_) return;
    menu_->mnuSpeanaEnable->setChecked(!menu_->mnuSpeanaEnable->isChecked());
    SettingData &s = krc_->settings();
    s.Speana = s.Speana == 0 ? 255 : 0;
    writeLog("MainFrm Called  - mnuSpeanaEnable(" + std::to_string(s.Speana) + ")");
    applyLayout();
    refillBacking();
}

void MainForm::mnuSpeanaPeakHold_Click() {
    if (!krc_) return;
    menu_->mnuSpeanaPeakHold->setChecked(!menu_->mnuSpeanaPeakHold->isChecked());
    SettingData &s = krc_->settings();
    s.PeakHold = s.PeakHold == 0 ? 255 : 0;
    writeLog("MainFrm Called  - mnuSpeanaPeakHold(" + std::to_string(s.PeakHold) + ")");
}

void MainForm::mnuSpeanaMode_Click(int Index) {
    if (!krc_) return;
    krc_->settings().SpeanaMode = static_cast<uint8_t>(Index);
    if (krw_) krw_->SetSpeanaMode(Index);
    for (QAction *a : menu_->mnuSpeanaMode) a->setChecked(false);
    if (Index >= 0 && Index < 2) menu_->mnuSpeanaMode[static_cast<std::size_t>(Index)]->setChecked(true);
}

void MainForm::mnuRunColorEditor_Click() {
    writeLog("MainFrm Called  - mnuRunColorEditor");
    if (!krc_) return;
    const std::string &editor = krc_->settings().CEditor;
    if (!editor.empty() && PathUtil::fileExists(editor)) env_.startProgram(editor);
}

void MainForm::mnuColorSet_Click(int Index) {
    if (!krc_) return;
    if (Index < 0 || Index > menu_->highestColorSetIndex()) Index = 0;
    krc_->settings().ColorSet = static_cast<uint8_t>(Index);
    krc_->applyColorSet(Index);
    applyColours();
    if (krw_) krw_->RedrawAfterColorChange();
    refillBacking();
    for (auto &[index, action] : menu_->mnuColorSet) action->setChecked(index == Index);
}
