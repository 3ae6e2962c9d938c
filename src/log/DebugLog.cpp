// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/DebugLog.h"

#include <cstdio>

#include "common/TextFile.h"

DebugLog::DebugLog()
    : timeSource_([] {
          std::time_t now = std::time(nullptr);
          std::tm local{};
          localtime_r(&now, &local);
          return local;
      }) {}

std::string DebugLog::timeStamp(const std::tm &t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "[%02d:%02d:%02d] ", t.tm_hour % 100, t.tm_min % 100, t.tm_sec % 100);
    return buf;
}

void DebugLog::ensureWindowLoaded() noexcept {
    if (windowLoaded_ || loading_ || !loader_) return;
    loading_ = true;  // the window's own load lines come back here
    try {
        loader_();
    } catch (...) {
    }
    loading_ = false;
    windowLoaded_ = true;
}

void DebugLog::WriteDebugLog(const std::string &message) noexcept {
    if (mode_ == 255) return;
    try {
        std::string line = timeStamp(timeSource_());
        line += message;
        ensureWindowLoaded();
        list_.append(line);
        if (mode_ == 0 && !appPath_.empty()) {
            line += "\r\n";
            TextFile::append(appPath_ + "debuglog.txt", line);
        }
    } catch (...) {
        // The log never fails its caller.
    }
}
