// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's 10 ms tick, its painting, and the lines and readouts it
// shows for the engine module.
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include "config/Krc1000.h"
#include "display/Krw1000.h"
#include "display/PanelPainter.h"
#include "engine/Krm1000.h"
#include "mainwindow/MainForm.h"

namespace {

QString labelText(const std::string &text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

}  // namespace

void MainForm::Timer1_Timer() {
    if (!krm_ || !krw_ || unloaded_) return;
    tickNow_ = env_.clock->timeGetTime();
    krm_->PlayStateCheck();
    krm_->LyricsCheck();
    krw_->DrawBitRate();
    // The window is asked to repaint at most once per PresentInterval: the
    // analyser and the meter move on those ticks only, since nothing in
    // between would ever be seen.
    const bool present = Clock::passed(tickNow_, lastPresent_, PresentInterval);
    if (present && krc_->settings().Speana == 0) {
        krw_->UpdateSpeana();
        krw_->UpdateLvMeter();
        flush(painter_->FlushSpeana(backing_));
        flush(painter_->FlushLvMeter(backing_));
    }
    if (Clock::passed(tickNow_, lastSlowTick_, 150)) {
        krw_->DrawNowTime();
        lastSlowTick_ = tickNow_;
    }
    flush(painter_->FlushReadout(backing_));
    if (present && !pendingPaint_.isEmpty()) {
        update(pendingPaint_);
        pendingPaint_ = QRegion();
        lastPresent_ = tickNow_;
    }
}

void MainForm::flush(const QRegion &touched) { pendingPaint_ += touched; }

void MainForm::Form_Paint() {
    if (krw_) krw_->MarkAllDirty();
}

void MainForm::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    for (const QRect &r : event->region()) painter.drawImage(r, backing_, r);
}

void MainForm::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (QWindow *w = windowHandle()) {
        w->removeEventFilter(this);
        w->installEventFilter(this);
    }
    Form_Paint();
    focusText1();
}

void MainForm::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized)) Form_Paint();
}

// ---------------------------------------------------------------- PlayerView

void MainForm::SetTitleLine(const std::string &text) { label1_->setText(labelText(text)); }

void MainForm::SetLyricsLine(const std::string &text) { label2_->setText(labelText(text)); }

void MainForm::SetWindowCaption(const std::string &text) { setWindowTitle(QString::fromStdString(text)); }

void MainForm::DrawTrackNumber() {
    if (krw_) krw_->DrawTrackNumber();
}

void MainForm::DrawAllTime() {
    if (krw_) krw_->DrawAllTime();
}

void MainForm::DrawFrequency() {
    if (krw_) krw_->DrawFrequency();
}
