// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/WakeSignal.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t), "a futex word is 32 bits");

namespace {

uint32_t *word(std::atomic<uint32_t> &a) { return reinterpret_cast<uint32_t *>(&a); }

}  // namespace

void WakeSignal::post() {
    sequence_.fetch_add(1, std::memory_order_seq_cst);
    if (waiters_.load(std::memory_order_seq_cst) > 0)
        syscall(SYS_futex, word(sequence_), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

void WakeSignal::wait(uint32_t seen, int timeoutMs) {
    waiters_.fetch_add(1, std::memory_order_seq_cst);
    if (sequence_.load(std::memory_order_seq_cst) == seen) {
        sleeps_.fetch_add(1, std::memory_order_relaxed);
        timespec ts{timeoutMs / 1000, long(timeoutMs % 1000) * 1000000L};
        syscall(SYS_futex, word(sequence_), FUTEX_WAIT_PRIVATE, seen, timeoutMs < 0 ? nullptr : &ts, nullptr, 0);
    }
    waiters_.fetch_sub(1, std::memory_order_seq_cst);
}
