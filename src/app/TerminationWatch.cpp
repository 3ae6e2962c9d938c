// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TerminationWatch.h"

#include <fcntl.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

#include <chrono>

#include <QSocketNotifier>

namespace {

// The write ends for the signal handler; a signal handler can reach nothing else.
volatile sig_atomic_t signalFd = -1;
volatile sig_atomic_t watchdogFd = -1;

void onTerminationSignal(int sig) {
    const int fd = signalFd;
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(fd, &byte, 1);
    }
    const int wd = watchdogFd;
    if (wd >= 0) {
        const char byte = static_cast<char>(sig);
        [[maybe_unused]] ssize_t n = ::write(wd, &byte, 1);
    }
}

}  // namespace

TerminationWatch::TerminationWatch(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) return;
    signalFd = fds_[0];
    notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char buf[16];
        while (::read(fds_[1], buf, sizeof buf) > 0) {
        }
        if (onSignal_) onSignal_();
    });
    if (::pipe2(watchFds_, O_CLOEXEC) == 0) {
        watchdogFd = watchFds_[1];
        watchdog_ = std::thread([this] { watchdog(); });
    }
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

TerminationWatch::~TerminationWatch() {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) std::signal(sig, SIG_DFL);
    signalFd = -1;
    watchdogFd = -1;
    if (watchdog_.joinable()) {
        const char stop = 0;
        [[maybe_unused]] ssize_t n = ::write(watchFds_[1], &stop, 1);
        watchdog_.join();
    }
    notifier_.reset();
    for (int fd : {fds_[0], fds_[1], watchFds_[0], watchFds_[1]})
        if (fd >= 0) ::close(fd);
}

void TerminationWatch::watchdog() {
    char byte = 0;
    for (;;) {
        const ssize_t n = ::read(watchFds_[0], &byte, 1);
        if (n == 1) break;
        if (n < 0 && errno == EINTR) continue;
        return;
    }
    if (byte == 0) return;  // the normal end
    const int sig = byte;
    // Further requests change nothing; only the normal end stops the wait.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(GraceMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        pollfd p{watchFds_[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) == 1 && ::read(watchFds_[0], &byte, 1) == 1 && byte == 0) return;
    }
    // The UI thread did not end the program in time: end it as the signal
    // would have, without touching anything that thread may be using.
    std::signal(sig, SIG_DFL);
    ::kill(::getpid(), sig);
    ::_exit(128 + sig);
}
