#include "mpris/MainFormMprisHost.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QUrl>

#include "config/Krc1000.h"
#include "engine/Krm1000.h"
#include "mainwindow/MainForm.h"

MainFormMprisHost::MainFormMprisHost(MainForm &form) : form_(form) { form_.installEventFilter(this); }

MainFormMprisHost::~MainFormMprisHost() { form_.removeEventFilter(this); }

bool MainFormMprisHost::eventFilter(QObject *watched, QEvent *event) {
    // The window always accepts its close, and shutdown releases the engine.
    if (watched == &form_ && event->type() == QEvent::Close) closing_ = true;
    return false;
}

bool MainFormMprisHost::available() const {
    return !closing_ && form_.engine() != nullptr && form_.config() != nullptr;
}

uint8_t MainFormMprisHost::playState() const { return form_.engine()->state().PlayState; }

bool MainFormMprisHost::commandEnabled(int n) const {
    return n >= 1 && n <= 6 && form_.command(n)->isEnabled();
}

void MainFormMprisHost::invokeCommand(int n) {
    switch (n) {
    case 1: form_.Command1_Click(); break;
    case 2: form_.Command2_Click(); break;
    case 3: form_.Command3_Click(); break;
    case 4: form_.Command4_Click(); break;
    case 5: form_.Command5_Click(); break;
    case 6: form_.Command6_Click(); break;
    default: break;
    }
}

uint8_t MainFormMprisHost::playMode() const { return form_.config()->settings().PlayMode; }

bool MainFormMprisHost::playModeChangeable() const { return form_.menu().mnuMainForm->isEnabled(); }

void MainFormMprisHost::choosePlayMode(uint8_t mode) {
    // Menu item i stands for play mode i - 1 taken as a byte.
    form_.mnuPlayModeSet_Click(mode == 255 ? 0 : mode + 1);
}

bool MainFormMprisHost::halfVolume() const { return form_.config()->settings().HalfVolume == 0; }

void MainFormMprisHost::toggleHalfVolume() { form_.Form_DblClick(); }

MprisTrack MainFormMprisHost::currentTrack() const {
    MprisTrack track;
    const EngineState &e = form_.engine()->state();
    const PlayListData &list = e.PlayList;
    const int index = list.TrackNumber - 1;
    if (list.TrackCount <= 0 || index < 0 || index >= static_cast<int>(list.FileList.size())) return track;
    track.present = true;
    track.trackNumber = list.TrackNumber;
    track.tagTitle = Krm1000::strCutNull({e.TrackInfo.Title, sizeof e.TrackInfo.Title});
    track.tagArtist = Krm1000::strCutNull({e.TrackInfo.SecondLine, sizeof e.TrackInfo.SecondLine});
    track.path = list.FileList[static_cast<std::size_t>(index)];
    track.lengthSeconds = e.TrackInfo.LengthSeconds;
    return track;
}

int32_t MainFormMprisHost::elapsedSeconds() const { return form_.engine()->state().ElapsedSeconds; }

void MainFormMprisHost::raiseWindow() {
    if (form_.isMinimized()) form_.showNormal();
    form_.raise();
    form_.activateWindow();
}

void MainFormMprisHost::quit() { form_.close(); }

bool MainFormMprisHost::openFile(const std::string &path) {
    const QString file = QFile::decodeName(path.c_str());
    if (!commandEnabled(1) || !QFileInfo(file).isFile()) return false;
    form_.Form_OLEDragDrop({QUrl::fromLocalFile(file)});
    return true;
}
