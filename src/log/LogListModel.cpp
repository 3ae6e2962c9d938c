// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/LogListModel.h"

void LogListModel::append(std::string line) {
    lines_.push_back(std::move(line));
    std::size_t dropped = 0;
    while (lines_.size() > MaxLines) {
        lines_.pop_front();
        ++dropped;
    }
    if (listener_) listener_(dropped);
}
