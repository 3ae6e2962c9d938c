// SPDX-License-Identifier: GPL-3.0-or-later
// Publishes the player on the session bus as org.mpris.MediaPlayer2.corvale
// (the desktop's media keys and sound menu use it). Every PollIntervalMs it
// takes a snapshot of the player and signals, with PropertiesChanged, only
// the properties that changed; a method call or property write is followed by
// a snapshot at once.
#pragma once

#include <memory>

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>

#include "mpris/MprisController.h"

class MprisPlayerAdaptor;

class MprisService {
public:
    static constexpr const char *ServiceName = "org.mpris.MediaPlayer2.corvale";
    static constexpr const char *ObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char *PlayerInterface = "org.mpris.MediaPlayer2.Player";
    static constexpr int PollIntervalMs = 150;

    // Registers on the session bus. Null when there is no session bus or the
    // player cannot be registered there; the player then runs without it.
    static std::unique_ptr<MprisService> start(MprisHost &host);
    // The same on the given connection (tests use a private bus).
    static std::unique_ptr<MprisService> start(MprisHost &host, QDBusConnection connection);

    ~MprisService();
    MprisService(const MprisService &) = delete;
    MprisService &operator=(const MprisService &) = delete;

    // The bus name taken: ServiceName, or ServiceName plus ".instance<pid>"
    // when another player holds it.
    const QString &busName() const { return busName_; }
    // Compares the player with the last snapshot and signals the changes.
    void poll();
    // Stops the periodic snapshots (tests drive poll themselves).
    void stopTimer() { timer_.stop(); }

private:
    MprisService(MprisHost &host, QDBusConnection connection);
    bool registerOnBus();

    QDBusConnection connection_;
    MprisController controller_;
    QObject root_;
    MprisPlayerAdaptor *player_ = nullptr;  // owned by root_
    QTimer timer_;
    MprisSnapshot last_;
    QString busName_;
    bool objectRegistered_ = false;
};
