// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris/MprisRootAdaptor.h"

#include "mpris/MprisController.h"

#include "common/AudioFileTypes.h"

MprisRootAdaptor::MprisRootAdaptor(QObject *parent, MprisController &controller)
    : QDBusAbstractAdaptor(parent), controller_(controller) {}

QString MprisRootAdaptor::Identity() const { return QStringLiteral("Corvale"); }

QString MprisRootAdaptor::DesktopEntry() const { return QStringLiteral("corvale"); }

QStringList MprisRootAdaptor::SupportedUriSchemes() const { return {QStringLiteral("file")}; }

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    QStringList types;
    for (const std::string &type : AudioFileTypes::mimeTypes()) types << QString::fromStdString(type);
    return types;
}

void MprisRootAdaptor::Raise() { controller_.raise(); }

void MprisRootAdaptor::Quit() { controller_.quit(); }
