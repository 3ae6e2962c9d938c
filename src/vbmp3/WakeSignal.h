// SPDX-License-Identifier: GPL-3.0-or-later
// A wake-up for one waiting thread that any thread may give without a lock,
// the audio thread included: a sequence number and a futex.
//
// The waiter reads sequence() before it looks for work, and then waits with
// that number: a post() made in between is never lost. post() costs a system
// call only while someone is waiting.
#pragma once

#include <atomic>
#include <cstdint>

class WakeSignal {
public:
    uint32_t sequence() const { return sequence_.load(std::memory_order_seq_cst); }

    // Any thread; never blocks.
    void post();

    // Waits until the sequence is no longer `seen`, or timeoutMs have passed
    // (a negative timeout waits for good). Returns at once when it already
    // moved on. May also return early, like any futex wait.
    void wait(uint32_t seen, int timeoutMs);

    // Times wait() has actually gone to sleep (for tests and benchmarks).
    uint64_t sleeps() const { return sleeps_.load(std::memory_order_relaxed); }

private:
    std::atomic<uint32_t> sequence_{0};
    std::atomic<int> waiters_{0};
    std::atomic<uint64_t> sleeps_{0};
};
