// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/BitRateTimeline.h"

void BitRateTimeline::note(uint32_t gen, int64_t trackFrame, int kbps) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!changes_.empty() && changes_.back().gen == gen && changes_.back().kbps == kbps) return;
    changes_.push_back({gen, trackFrame, kbps});
    if (changes_.size() > MaxChanges) changes_.pop_front();
}

void BitRateTimeline::dropBefore(uint32_t gen) {
    std::lock_guard<std::mutex> lock(mutex_);
    while (!changes_.empty() && changes_.front().gen != gen) changes_.pop_front();
}

int BitRateTimeline::at(uint32_t gen, int64_t trackFrame) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int found = 0;
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
        if (it->gen != gen) continue;
        found = it->kbps;
        if (it->frame <= trackFrame) return found;
    }
    return found;  // before the first change known: the first rate
}
