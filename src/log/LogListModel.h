// SPDX-License-Identifier: GPL-3.0-or-later
// The list of recent log lines that the debug window shows: oldest first, at
// most 199 lines after any call returns. Plain C++; the debug window listens.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

class LogListModel {
public:
    static constexpr std::size_t MaxLines = 199;

    // Adds a line at the end; drops the oldest once 200 are held.
    void append(std::string line);
    const std::deque<std::string> &lines() const { return lines_; }
    std::size_t size() const { return lines_.size(); }

    // Called after each append, with the number of lines dropped from the front (0 or 1).
    void setListener(std::function<void(std::size_t droppedFront)> listener) { listener_ = std::move(listener); }

private:
    std::deque<std::string> lines_;
    std::function<void(std::size_t)> listener_;
};
