// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris/MprisService.h"

#include <cstdio>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include "mpris/MprisPlayerAdaptor.h"
#include "mpris/MprisRootAdaptor.h"

std::unique_ptr<MprisService> MprisService::start(MprisHost &host) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "Corvale: no session bus, media controls are off\n");
        return nullptr;
    }
    return start(host, bus);
}

std::unique_ptr<MprisService> MprisService::start(MprisHost &host, QDBusConnection connection) {
    if (!connection.isConnected()) return nullptr;
    std::unique_ptr<MprisService> service(new MprisService(host, connection));
    if (!service->registerOnBus()) {
        std::fprintf(stderr, "Corvale: media controls could not be registered on the session bus\n");
        return nullptr;
    }
    return service;
}

MprisService::MprisService(MprisHost &host, QDBusConnection connection)
    : connection_(std::move(connection)), controller_(host) {
    new MprisRootAdaptor(&root_, controller_);
    player_ = new MprisPlayerAdaptor(&root_, controller_, [this] { poll(); });
    last_ = controller_.snapshot();
    timer_.setInterval(PollIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, &root_, [this] { poll(); });
    timer_.start();
}

MprisService::~MprisService() {
    timer_.stop();
    if (!busName_.isEmpty()) connection_.unregisterService(busName_);
    if (objectRegistered_) connection_.unregisterObject(QString::fromLatin1(ObjectPath));
}

bool MprisService::registerOnBus() {
    if (!connection_.registerObject(QString::fromLatin1(ObjectPath), &root_, QDBusConnection::ExportAdaptors))
        return false;
    objectRegistered_ = true;
    const QString name = QString::fromLatin1(ServiceName);
    if (connection_.registerService(name)) {
        busName_ = name;
        return true;
    }
    // Another player of ours holds the name (a second folder's instance).
    const QString instance = name + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid());
    if (!connection_.registerService(instance)) return false;
    busName_ = instance;
    return true;
}

void MprisService::poll() {
    MprisSnapshot now = controller_.snapshot();
    const auto names = MprisController::changedProperties(last_, now);
    const bool seeked = MprisController::seekedBack(last_, now);
    last_ = std::move(now);
    if (!names.empty()) {
        QVariantMap changed;
        for (const char *name : names) changed.insert(QString::fromLatin1(name), player_->property(name));
        QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(ObjectPath),
                                                         QStringLiteral("org.freedesktop.DBus.Properties"),
                                                         QStringLiteral("PropertiesChanged"));
        signal << QString::fromLatin1(PlayerInterface) << changed << QStringList();
        connection_.send(signal);
    }
    if (seeked) emit player_->Seeked(controller_.positionMicroseconds());
}
