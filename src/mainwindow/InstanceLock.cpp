// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/InstanceLock.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>

#include "common/PathUtil.h"

InstanceLock::InstanceLock(const std::string &folder, const std::string &appPath) {
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(appPath), QCryptographicHash::Sha256).toHex().left(16);
    fileName_ = PathUtil::withTrailingSlash(folder) + "corvale-" + hash.toStdString() + ".lock";
    lock_ = std::make_unique<QLockFile>(QFile::decodeName(fileName_.c_str()));
    lock_->setStaleLockTime(0);  // stale only when its process is gone, never by age
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock() {
    if (lock_->isLocked()) return true;
    if (lock_->tryLock(0)) return true;
    // Only a lock held by a running player ends this start; a folder that
    // cannot hold the lock file must not keep the player from starting.
    return lock_->error() != QLockFile::LockFailedError;
}

std::string InstanceLock::defaultFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QFile::decodeName(runtime)).exists()) return runtime.toStdString();
    const QString folder = QDir::tempPath() + QStringLiteral("/corvale-") + QString::number(::getuid());
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return QFile::encodeName(folder).toStdString();
}
