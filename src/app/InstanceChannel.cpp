// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/InstanceChannel.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include "common/PathUtil.h"

namespace {

constexpr char Header[] = "corvale-open\n";

QString socketPath(const std::string &name) { return QFile::decodeName(QByteArray::fromStdString(name)); }

}  // namespace

InstanceChannel::InstanceChannel(const std::string &name, Receiver receiver)
    : server_(std::make_unique<QLocalServer>()), receiver_(std::move(receiver)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Only the lock holder gets here, so a socket file already there was
    // left by a player that ended without removing it.
    QLocalServer::removeServer(socketPath(name));
    if (!server_->listen(socketPath(name))) return;
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket *socket = server_->nextPendingConnection()) accept(socket);
    });
}

InstanceChannel::~InstanceChannel() {
    if (server_) server_->close();  // removes the socket file
}

bool InstanceChannel::listening() const { return server_->isListening(); }

void InstanceChannel::accept(QLocalSocket *socket) {
    auto buffer = std::make_shared<std::string>();
    auto take = [socket, buffer] {
        const QByteArray bytes = socket->readAll();
        if (static_cast<long long>(buffer->size()) + bytes.size() > MaxMessageBytes) {
            buffer->clear();
            socket->abort();  // not a message of ours
            return false;
        }
        buffer->append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        return true;
    };
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [take] { take(); });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, [this, socket, buffer, take] {
        std::vector<std::string> paths;
        if (take() && parse(*buffer, paths) && receiver_) receiver_(paths);
        socket->deleteLater();
    });
    if (socket->state() != QLocalSocket::ConnectedState) {
        // Gone before we looked: what it wrote is still to be read.
        std::vector<std::string> paths;
        if (take() && parse(*buffer, paths) && receiver_) receiver_(paths);
        socket->deleteLater();
    }
}

bool InstanceChannel::send(const std::string &name, const std::vector<std::string> &paths, int waitMs) {
    QLocalSocket socket;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        socket.connectToServer(socketPath(name));
        if (socket.waitForConnected(std::max(1, waitMs))) break;
        if (clock.elapsed() >= waitMs) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::string message = compose(paths);
    socket.write(message.data(), static_cast<qint64>(message.size()));
    bool written = true;
    while (written && socket.bytesToWrite() > 0) written = socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(2000);
    return written;
}

std::string InstanceChannel::socketNameFor(const std::string &lockFileName) {
    std::string name = lockFileName;
    const std::string lockSuffix = ".lock";
    if (name.size() >= lockSuffix.size() &&
        name.compare(name.size() - lockSuffix.size(), lockSuffix.size(), lockSuffix) == 0)
        name.erase(name.size() - lockSuffix.size());
    return name + ".socket";
}

std::vector<std::string> InstanceChannel::absolutePaths(const std::vector<std::string> &arguments,
                                                        const std::string &currentFolder) {
    std::vector<std::string> paths;
    for (const std::string &argument : arguments) {
        if (argument.find_first_not_of(' ') == std::string::npos) continue;
        paths.push_back(std::filesystem::path(PathUtil::absolute(argument, currentFolder)).lexically_normal().string());
    }
    return paths;
}

std::string InstanceChannel::compose(const std::vector<std::string> &paths) {
    std::string message = Header;
    for (const std::string &path : paths) {
        message += path;
        message.push_back('\0');
    }
    return message;
}

bool InstanceChannel::parse(const std::string &message, std::vector<std::string> &paths) {
    paths.clear();
    const std::string header = Header;
    if (message.compare(0, header.size(), header) != 0) return false;
    std::size_t start = header.size();
    while (start < message.size()) {
        const std::size_t end = message.find('\0', start);
        if (end == std::string::npos) return false;  // cut short
        // Only absolute paths: the sender's current folder means nothing here.
        if (end > start && message[start] == '/') paths.push_back(message.substr(start, end - start));
        start = end + 1;
    }
    return true;
}
