#include "mpris/MprisRootAdaptor.h"

#include "mpris/MprisController.h"

MprisRootAdaptor::MprisRootAdaptor(QObject *parent, MprisController &controller)
    : QDBusAbstractAdaptor(parent), controller_(controller) {}

QString MprisRootAdaptor::Identity() const { return QStringLiteral("Corvale"); }

QString MprisRootAdaptor::DesktopEntry() const { return QStringLiteral("corvale"); }

QStringList MprisRootAdaptor::SupportedUriSchemes() const { return {QStringLiteral("file")}; }

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    return {QStringLiteral("audio/mpeg"), QStringLiteral("audio/x-wav"), QStringLiteral("audio/x-mpegurl")};
}

void MprisRootAdaptor::Raise() { controller_.raise(); }

void MprisRootAdaptor::Quit() { controller_.quit(); }
