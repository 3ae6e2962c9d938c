// SPDX-License-Identifier: GPL-3.0-or-later
// The diagnostic log: "[hh:nn:ss] " + message, into the debug window's list and,
// when DebugMode is 0, appended to AppPath + "debuglog.txt" (opened and closed
// per line, so the file is complete even if the program is killed).
// Never throws, never blocks for long.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "log/LogListModel.h"

class DebugLog {
public:
    DebugLog();

    void setDebugMode(uint8_t mode) { mode_ = mode; }
    uint8_t debugMode() const { return mode_; }
    void setAppPath(std::string appPath) { appPath_ = std::move(appPath); }

    void WriteDebugLog(const std::string &message) noexcept;

    LogListModel &list() { return list_; }

    // Loads the debug window (without showing it). Installed by the application
    // once the debug window exists; run at most once, by ensureWindowLoaded or by
    // the first line written.
    void setWindowLoader(std::function<void()> loader) { loader_ = std::move(loader); }
    void ensureWindowLoaded() noexcept;

    // Local wall-clock time source; tests replace it.
    void setTimeSource(std::function<std::tm()> source) { timeSource_ = std::move(source); }

    static std::string timeStamp(const std::tm &t);  // "[hh:nn:ss] "

private:
    uint8_t mode_ = 255;
    std::string appPath_;
    LogListModel list_;
    std::function<void()> loader_;
    bool windowLoaded_ = false;
    bool loading_ = false;
    std::function<std::tm()> timeSource_;
};
