// Turns SIGTERM, SIGINT and SIGHUP into a call on the UI thread (through a
// socket pair watched by the event loop), so the program can close its
// window the normal way. One instance per process.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

class TerminationWatch {
public:
    explicit TerminationWatch(std::function<void()> onSignal);
    ~TerminationWatch();
    TerminationWatch(const TerminationWatch &) = delete;
    TerminationWatch &operator=(const TerminationWatch &) = delete;

private:
    std::function<void()> onSignal_;
    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};
