// SPDX-License-Identifier: GPL-3.0-or-later
// A scripted engine library: records every call as a short text ("open
// /x/a.mp3", "seek 0") and answers from its script. The table it hands out
// reaches the fake made last on this thread.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vbmp3/Vbmp3Api.h"

class FakeVbmp3 {
public:
    FakeVbmp3();
    ~FakeVbmp3();
    FakeVbmp3(const FakeVbmp3 &) = delete;
    FakeVbmp3 &operator=(const FakeVbmp3 &) = delete;

    static Vbmp3Api api();
    static FakeVbmp3 &current();

    std::set<std::string> failingOpens;                                 // paths whose open fails
    std::map<std::string, std::pair<std::string, std::string>> titles;  // path -> title, second line
    int state = 1;                                                      // vbmp3_getState's result
    int elapsed = 0;
    int bitRate = 128;
    LyricsData lyrics{};
    int framesResult = 1;
    int decodeResult = 1;

    std::vector<std::string> calls;  // the record

    int count(std::string_view call) const;   // calls equal to `call`
    std::vector<std::string> opened() const;  // paths of the open calls, in order
    void clear() { calls.clear(); }
    void setLyric(int key, std::string_view text);

private:
    FakeVbmp3 *previous_;
};
