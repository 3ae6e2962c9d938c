// SPDX-License-Identifier: GPL-3.0-or-later
// Turns SIGTERM, SIGINT and SIGHUP into a call on the UI thread (through a
// socket pair watched by the event loop), so the program can close its
// window the normal way and write its settings. Should the UI thread not get
// there in time (busy, or blocked in a call that does not return), a watchdog
// thread ends the process by the signal's default action GraceMs after the
// request, leaving the settings file as it was. One instance per process;
// destroying it (the normal end) disarms the watchdog.
#pragma once

#include <functional>
#include <memory>
#include <thread>

class QSocketNotifier;

class TerminationWatch {
public:
    static constexpr int GraceMs = 1500;

    explicit TerminationWatch(std::function<void()> onSignal);
    ~TerminationWatch();
    TerminationWatch(const TerminationWatch &) = delete;
    TerminationWatch &operator=(const TerminationWatch &) = delete;

private:
    void watchdog();

    std::function<void()> onSignal_;
    int fds_[2] = {-1, -1};       // signal handler -> event loop
    int watchFds_[2] = {-1, -1};  // signal handler (signal number) or destructor (0) -> watchdog
    std::unique_ptr<QSocketNotifier> notifier_;
    std::thread watchdog_;
};
