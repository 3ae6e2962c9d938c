// SPDX-License-Identifier: GPL-3.0-or-later
// Hands the paths of a second start to the running player: a local socket
// beside the single-instance lock, readable by the user alone. The running
// player listens; a second start connects, writes its paths and ends.
//
// A message is the line "corvale-open" followed by each path ended by a NUL;
// no paths asks the running player only to show itself.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

class InstanceChannel {
public:
    using Receiver = std::function<void(const std::vector<std::string> &paths)>;
    static constexpr long long MaxMessageBytes = 4 << 20;

    // The running player: listens on `name` and hands each complete message
    // to the receiver. A socket left by a player that died is replaced.
    InstanceChannel(const std::string &name, Receiver receiver);
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel &) = delete;
    InstanceChannel &operator=(const InstanceChannel &) = delete;
    bool listening() const;

    // A second start: sends the paths; false when no player took them.
    // A player that holds the lock but is still starting gets until waitMs.
    static bool send(const std::string &name, const std::vector<std::string> &paths, int waitMs = 1000);

    // The socket that belongs to a lock file: the same name, ".socket" for ".lock".
    static std::string socketNameFor(const std::string &lockFileName);
    // Each argument made absolute against currentFolder; blank ones dropped.
    static std::vector<std::string> absolutePaths(const std::vector<std::string> &arguments,
                                                  const std::string &currentFolder);
    // The paths of one message; false when it is not one of ours.
    static bool parse(const std::string &message, std::vector<std::string> &paths);
    static std::string compose(const std::vector<std::string> &paths);

private:
    void accept(QLocalSocket *socket);

    std::unique_ptr<QLocalServer> server_;
    Receiver receiver_;
};
