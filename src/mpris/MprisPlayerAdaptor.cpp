// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris/MprisPlayerAdaptor.h"

#include <QFile>
#include <QUrl>

#include "mpris/MprisController.h"
#include "mpris/MprisMetadata.h"

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject *parent, MprisController &controller, std::function<void()> afterAction)
    : QDBusAbstractAdaptor(parent), controller_(controller), afterAction_(std::move(afterAction)) {}

void MprisPlayerAdaptor::done() const {
    if (afterAction_) afterAction_();
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
    return QString::fromStdString(controller_.snapshot().playbackStatus);
}

QString MprisPlayerAdaptor::LoopStatus() const { return QString::fromStdString(controller_.snapshot().loopStatus); }

void MprisPlayerAdaptor::setLoopStatus(const QString &status) {
    controller_.setLoopStatus(status.toStdString());
    done();
}

bool MprisPlayerAdaptor::Shuffle() const { return controller_.snapshot().shuffle; }

void MprisPlayerAdaptor::setShuffle(bool on) {
    controller_.setShuffle(on);
    done();
}

QVariantMap MprisPlayerAdaptor::Metadata() const { return MprisMetadata::toMap(controller_.snapshot().track); }

double MprisPlayerAdaptor::Volume() const { return controller_.snapshot().volume; }

void MprisPlayerAdaptor::setVolume(double volume) {
    controller_.setVolume(volume);
    done();
}

qlonglong MprisPlayerAdaptor::Position() const { return controller_.positionMicroseconds(); }

bool MprisPlayerAdaptor::CanGoNext() const { return controller_.snapshot().canGoNext; }
bool MprisPlayerAdaptor::CanGoPrevious() const { return controller_.snapshot().canGoPrevious; }
bool MprisPlayerAdaptor::CanPlay() const { return controller_.snapshot().canPlay; }
bool MprisPlayerAdaptor::CanPause() const { return controller_.snapshot().canPause; }

void MprisPlayerAdaptor::Next() {
    controller_.next();
    done();
}

void MprisPlayerAdaptor::Previous() {
    controller_.previous();
    done();
}

void MprisPlayerAdaptor::Pause() {
    controller_.pause();
    done();
}

void MprisPlayerAdaptor::PlayPause() {
    controller_.playPause();
    done();
}

void MprisPlayerAdaptor::Stop() {
    controller_.stop();
    done();
}

void MprisPlayerAdaptor::Play() {
    controller_.play();
    done();
}

// The player cannot seek (CanSeek is false): both calls are ignored.
void MprisPlayerAdaptor::Seek(qlonglong) {}
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &, qlonglong) {}

void MprisPlayerAdaptor::OpenUri(const QString &uri) {
    const QUrl url(uri);
    if (!url.isLocalFile()) return;
    controller_.openFile(QFile::encodeName(url.toLocalFile()).toStdString());
    done();
}
