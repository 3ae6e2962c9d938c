// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the desktop media controls see it: its buttons, play
// mode menu, volume toggle and the engine module's state. Once the window has
// been asked to close it reports itself unavailable, so nothing reaches the
// released engine.
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QUrl>

#include "common/PathList.h"
#include "config/Krc1000.h"
#include "engine/Krm1000.h"
#include "mainwindow/MainForm.h"

bool MainForm::available() const { return !closing_ && engineUsable() && krc_ != nullptr; }

uint8_t MainForm::playState() const { return krm_->state().PlayState; }

bool MainForm::commandEnabled(int n) const {
    return n >= 1 && n <= 6 && commands_[static_cast<std::size_t>(n - 1)]->isEnabled();
}

void MainForm::invokeCommand(int n) {
    switch (n) {
    case 1: Command1_Click(); break;
    case 2: Command2_Click(); break;
    case 3: Command3_Click(); break;
    case 4: Command4_Click(); break;
    case 5: Command5_Click(); break;
    case 6: Command6_Click(); break;
    default: break;
    }
}

uint8_t MainForm::playMode() const { return krc_->settings().PlayMode; }

bool MainForm::playModeChangeable() const { return menu_->mnuMainForm->isEnabled(); }

void MainForm::choosePlayMode(uint8_t mode) {
    // Menu item i stands for play mode i - 1 taken as a byte.
    mnuPlayModeSet_Click(mode == PlayModes::None ? 0 : mode + 1);
}

bool MainForm::halfVolume() const { return krc_->settings().HalfVolume == 0; }

void MainForm::toggleHalfVolume() { Form_DblClick(); }

MprisTrack MainForm::currentTrack() const {
    MprisTrack track;
    const EngineState &e = krm_->state();
    const PlayListData &list = e.PlayList;
    const int index = list.TrackNumber - 1;
    if (list.TrackCount <= 0 || index < 0 || index >= static_cast<int>(list.FileList.size())) return track;
    track.present = true;
    track.trackNumber = list.TrackNumber;
    track.tagTitle = PathList::strCutNull({e.TrackInfo.Title, sizeof e.TrackInfo.Title});
    track.tagArtist = PathList::strCutNull({e.TrackInfo.SecondLine, sizeof e.TrackInfo.SecondLine});
    track.path = list.FileList[static_cast<std::size_t>(index)];
    track.lengthSeconds = e.TrackInfo.LengthSeconds;
    return track;
}

int32_t MainForm::elapsedSeconds() const { return krm_->state().ElapsedSeconds; }

void MainForm::raiseWindow() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void MainForm::quit() { requestQuit(); }

bool MainForm::openFile(const std::string &path) {
    const QString file = QFile::decodeName(path.c_str());
    if (!commandEnabled(1) || !QFileInfo(file).isFile()) return false;
    Form_OLEDragDrop({QUrl::fromLocalFile(file)});
    return true;
}
