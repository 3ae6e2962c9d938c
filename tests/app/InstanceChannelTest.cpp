// Paths handed from a second start to the running player over the local
// socket, with the server on this thread's event loop and the sender on its own.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/InstanceChannel.h"
#include "support/TempDir.h"

namespace {

using Paths = std::vector<std::string>;

struct Listener {
    TempDir dir;
    std::string name = dir.file("corvale-test.socket");
    std::vector<Paths> received;
    InstanceChannel channel{name, [this](const Paths &p) { received.push_back(p); }};

    // Sends from another thread while this one serves, until the sender is
    // done and `count` messages have arrived (or a generous guard ends it).
    bool sendAndWait(const Paths &paths, std::size_t count) {
        std::atomic<bool> done{false};
        bool sent = false;
        std::thread sender([&] {
            sent = InstanceChannel::send(name, paths);
            done = true;
        });
        QEventLoop loop;
        QTimer poll, guard;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done && received.size() >= count) loop.quit();
        });
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        poll.start(5);
        guard.start(20000);
        loop.exec();
        sender.join();
        return sent;
    }
};

}  // namespace

// An oversized message is dropped and the next one served; no paths only
// asks the player to come forward.
TEST(InstanceChannelTest, PathsArriveByteForByte) {
    Listener l;
    ASSERT_TRUE(l.channel.listening());
    l.sendAndWait({"/" + std::string(InstanceChannel::MaxMessageBytes, 'x')}, 0);
    EXPECT_TRUE(l.received.empty());
    const Paths paths = {"/music/a b.mp3", "/music/\x82\xa0 cp932.mp3", "/music/new\nline.wav", "/music/-dash.mp2"};
    EXPECT_TRUE(l.sendAndWait(paths, 1));
    EXPECT_TRUE(l.sendAndWait({}, 2));
    EXPECT_EQ(l.received, (std::vector<Paths>{paths, {}}));
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
    EXPECT_TRUE(InstanceChannel::parse(InstanceChannel::compose({"/a.mp3", "/b.wav"}), paths));
    EXPECT_EQ(paths, (Paths{"/a.mp3", "/b.wav"}));
    EXPECT_FALSE(InstanceChannel::parse("hello\n/a.mp3", paths));                // not ours
    EXPECT_FALSE(InstanceChannel::parse(InstanceChannel::compose({"/a.mp3"}).substr(0, 17), paths));  // cut short
    // Relative and empty names mean nothing to the player: left out.
    EXPECT_TRUE(InstanceChannel::parse(InstanceChannel::compose({"a.mp3", "", "/b.mp3"}), paths));
    EXPECT_EQ(paths, Paths{"/b.mp3"});
}
