// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's mouse, drops, paths handed on by a second start, and its
// placement on the screen (with the window menu that moves it).
#include <cmath>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QWindow>

#include "common/PathList.h"
#include "config/Krc1000.h"
#include "engine/Krm1000.h"
#include "mainwindow/InstanceLock.h"
#include "mainwindow/KeyTranslation.h"
#include "mainwindow/MainForm.h"
#include "ui/TopmostRule.h"
#include "ui/Twips.h"

void MainForm::mousePressEvent(QMouseEvent *event) {
    int button = 0;
    if (event->button() == Qt::LeftButton) button = 1;
    if (event->button() == Qt::RightButton) button = 2;
    if (event->button() == Qt::MiddleButton) button = 4;
    const QPoint p = event->position().toPoint();
    Form_MouseDown(button, KeyTranslation::shiftMask(event->modifiers()), p.x(), p.y());
}

void MainForm::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) Form_DblClick();
}

void MainForm::Form_MouseDown(int Button, int /*Shift*/, int X, int Y) {
    if (Button != 2 || !menu_->mnuMainForm->isEnabled()) return;
    menu_->mnuMainForm->popup(mapToGlobal(QPoint(X, Y)));
}

void MainForm::Form_DblClick() {
    if (!krc_) return;
    SettingData &s = krc_->settings();
    s.HalfVolume = static_cast<uint8_t>(~s.HalfVolume);
    writeLog("MainFrm Called  - Form_DblClick(" + std::to_string(s.HalfVolume) + ")");
    const int volume = s.HalfVolume == 0 ? 50 : 100;
    lib_.vbmp3_setSoftVolume(volume, volume);
    lib_.vbmp3_reload();
    const std::string title = krm_ ? krm_->state().TitleText : std::string();
    std::string caption = title + (s.HalfVolume == 0 ? " - Corvale(Volume 1/2)" : " - Corvale");
    if (title.empty()) caption.erase(0, 3);
    SetWindowCaption(caption);
}

void MainForm::dragEnterEvent(QDragEnterEvent *event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainForm::dragMoveEvent(QDragMoveEvent *event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainForm::dropEvent(QDropEvent *event) {
    Form_OLEDragDrop(event->mimeData()->urls());
    event->acceptProposedAction();
}

void MainForm::Form_OLEDragDrop(const QList<QUrl> &urls) {
    writeLog("MainFrm Called  - Form_OLEDragDrop");
    if (!engineUsable() || !commands_[0]->isEnabled() || urls.isEmpty() || urls.front().toLocalFile().isEmpty()) return;
    // Full paths, so files from different folders keep their own; folders
    // and anything else that is not a file are passed over.
    std::vector<std::string> paths;
    for (const QUrl &url : urls) {
        const QFileInfo info(url.toLocalFile());
        if (url.toLocalFile().isEmpty() || !info.isFile()) continue;
        paths.push_back(QFile::encodeName(info.absoluteFilePath()).toStdString());
    }
    if (paths.empty()) return;
    if (krm_->bytPlayListNewOpen(PathList::join(paths)) == 0) ButtonEnableCheck();
}

std::string MainForm::instanceLockFile() const { return instanceLock_ ? instanceLock_->fileName() : std::string(); }

void MainForm::openForwarded(const std::vector<std::string> &paths) {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    // While a dialog is open the window takes no drop: the dialog comes forward.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
        return;
    }
    if (paths.empty()) return;
    QList<QUrl> urls;
    for (const std::string &path : paths) urls.push_back(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
    Form_OLEDragDrop(urls);
}

void MainForm::placeAt(int32_t positionX, int32_t positionY) {
    QPoint p(static_cast<int>(std::lround(positionX / double(TwipsPerPixel))),
             static_cast<int>(std::lround(positionY / double(TwipsPerPixel))));
    // A position saved on a screen that is gone puts the window on the primary one.
    const QRect wanted(p, size());
    bool visible = false;
    for (QScreen *screen : QGuiApplication::screens()) visible = visible || screen->geometry().intersects(wanted);
    if (!visible && QGuiApplication::primaryScreen())
        p = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
    move(p);
}

void MainForm::moveFrameTo(int x, int y) { move(x, y); }

void MainForm::mnuSetWindowTop_Click() {
    if (!krc_) return;
    SettingData &s = krc_->settings();
    s.AllwaysTop = s.AllwaysTop == 0 ? 255 : 0;
    menu_->mnuSetWindowTop->setChecked(!menu_->mnuSetWindowTop->isChecked());
    writeLog("MainFrm Called  - mnuSetWindowsTop(" + std::to_string(s.AllwaysTop) + ")");
    TopmostRule::setTopmost(*this, s.AllwaysTop == 0);
}

void MainForm::GetWorkArea() { workAreaRect_ = env_.workArea(); }

void MainForm::mnuMoveWindowUp_Click() {
    writeLog("MainFrm Called  - mnuMoveWindowUp");
    GetWorkArea();
    moveFrameTo(pos().x(), workAreaRect_.top());
}

void MainForm::mnuMoveWindowDown_Click() {
    writeLog("MainFrm Called  - mnuMoveWindowDown");
    GetWorkArea();
    moveFrameTo(pos().x(), workAreaRect_.top() + workAreaRect_.height() - frameGeometry().height());
}

void MainForm::mnuMoveWindowLeft_Click() {
    writeLog("MainFrm Called  - mnuMoveWindowLeft");
    GetWorkArea();
    moveFrameTo(workAreaRect_.left(), pos().y());
}

void MainForm::mnuMoveWindowRight_Click() {
    writeLog("MainFrm Called  - mnuMoveWindowRight");
    GetWorkArea();
    moveFrameTo(workAreaRect_.left() + workAreaRect_.width() - frameGeometry().width(), pos().y());
}
