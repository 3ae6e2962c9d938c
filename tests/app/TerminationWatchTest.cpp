// SPDX-License-Identifier: GPL-3.0-or-later
// A termination request ends the process even when the window's thread never
// gets back to its event loop; the normal end disarms the watchdog.
#include <unistd.h>
#include <csignal>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "app/TerminationWatch.h"

namespace {

void busyWindowThread(int sig) {
    TerminationWatch watch([] { std::_Exit(3); });  // the event loop never runs it
    ::alarm(10);                                    // without the watchdog: ends by SIGALRM, and the test fails
    ::kill(::getpid(), sig);
    for (;;) ::pause();
}

void normalEnd() {
    {
        TerminationWatch watch([] { QCoreApplication::quit(); });
        QTimer::singleShot(0, [] { ::kill(::getpid(), SIGTERM); });
        QCoreApplication::exec();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(TerminationWatch::GraceMs + 300));
    std::_Exit(0);
}

}  // namespace

TEST(TerminationWatchDeathTest, RequestEndsABusyProcessAndTheNormalEndDisarmsTheWatchdog) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int sig : {SIGTERM, SIGHUP}) EXPECT_EXIT(busyWindowThread(sig), ::testing::KilledBySignal(sig), "");
    EXPECT_EXIT(normalEnd(), ::testing::ExitedWithCode(0), "");
}
