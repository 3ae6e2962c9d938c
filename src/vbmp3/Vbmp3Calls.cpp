// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/Vbmp3Calls.h"

#include <string>

#include "log/DebugLog.h"

void Vbmp3Calls::cannotCall(Function function, const char *name) const {
    ++missedCalls_;
    if (released_) return;
    const auto index = static_cast<std::size_t>(function);
    if (reported_[index]) return;
    reported_[index] = true;
    if (log_ != nullptr) log_->WriteDebugLog(std::string("VBMP3   Missing - ") + name);
}
