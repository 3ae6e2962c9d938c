// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecorderView.h"
#include "common/PathList.h"
#include "engine/Krm1000.h"
#include "log/DebugLog.h"
#include "support/FakeVbmp3.h"
#include "support/ScriptedClock.h"
#include "support/TempDir.h"

class EngineFixture : public ::testing::Test {
protected:
    EngineFixture() { log.setDebugMode(127); }

    PlayListData &list() { return engine.state().PlayList; }

    // Empty files in the temporary folder.
    std::vector<std::string> touch(std::initializer_list<const char *> names) {
        std::vector<std::string> paths;
        for (const char *n : names) paths.push_back(dir.write(n, ""));
        return paths;
    }

    uint8_t load(const std::vector<std::string> &paths) { return engine.bytPlayListNewOpen(PathList::join(paths)); }

    // The log lines without their time stamps.
    std::vector<std::string> logLines() {
        std::vector<std::string> lines;
        for (const std::string &l : log.list().lines()) lines.push_back(l.substr(11));
        return lines;
    }

    TempDir dir;
    FakeVbmp3 fake;
    DebugLog log;
    ScriptedClock clock;
    SettingData settings;
    EngineOptionData options;
    RecorderView view;
    Krm1000 engine{FakeVbmp3::api(), log, clock, settings, options, view};
};
