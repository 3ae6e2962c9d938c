// SPDX-License-Identifier: GPL-3.0-or-later
// The channel from a second start to the running player: what the hand-over
// run cannot show (an oversized message, a dead player's socket,
// messages checked before use).
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <QEventLoop>
#include <QTimer>

#include "app/InstanceChannel.h"
#include "support/TempDir.h"

using Paths = std::vector<std::string>;

TEST(InstanceChannelTest, AnOversizedMessageIsDroppedAndTheNextServed) {
    TempDir dir;
    const std::string name = dir.file("corvale-test.socket");
    std::vector<Paths> received;
    InstanceChannel channel(name, [&](const Paths &p) { received.push_back(p); });
    std::atomic<bool> done{false};
    std::thread sender([&] {
        InstanceChannel::send(name, {"/" + std::string(InstanceChannel::MaxMessageBytes, 'x')});
        InstanceChannel::send(name, {"/a.mp3"});
        done = true;
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done && !received.empty()) loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    sender.join();
    EXPECT_EQ(received, std::vector<Paths>{Paths{"/a.mp3"}});
}

TEST(InstanceChannelTest, NothingOrADeadPlayerListeningMeansNotSentAndTheSocketIsReplaced) {
    TempDir dir;
    const std::string name = dir.file("corvale-test.socket");
    EXPECT_FALSE(InstanceChannel::send(name, {"/a.mp3"}, 50));
    {
        // A bound socket file that nobody listens on any more.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        name.copy(addr.sun_path, sizeof addr.sun_path - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
        ::close(fd);
    }
    EXPECT_FALSE(InstanceChannel::send(name, {"/a.mp3"}, 50));
    std::vector<Paths> received;
    InstanceChannel channel(name, [&](const Paths &p) { received.push_back(p); });
    EXPECT_TRUE(channel.listening());
}

TEST(InstanceChannelTest, MessagesAreCheckedBeforeUse) {
    Paths paths;
    const Paths sent = {"/music/\x82\xa0 cp932.mp3", "/music/new\nline.wav", "/music/-dash.mp2"};
    EXPECT_TRUE(InstanceChannel::parse(InstanceChannel::compose(sent), paths));
    EXPECT_EQ(paths, sent);
    EXPECT_FALSE(InstanceChannel::parse("hello\n/a.mp3", paths));                                     // not ours
    EXPECT_FALSE(InstanceChannel::parse(InstanceChannel::compose({"/a.mp3"}).substr(0, 17), paths));  // cut short
    // Relative and empty names mean nothing to the player: left out.
    EXPECT_TRUE(InstanceChannel::parse(InstanceChannel::compose({"a.mp3", "", "/b.mp3"}), paths));
    EXPECT_EQ(paths, Paths{"/b.mp3"});
}
