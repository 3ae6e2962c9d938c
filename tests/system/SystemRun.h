// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the tests that run the built program: tools on the PATH, shell
// commands with their output, the disk driver's samples, log lines.
#pragma once

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/TextCodec.h"
#include "support/TempDir.h"

namespace SystemRun {

inline bool onPath(const char *tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// A word for sh, in single quotes.
inline std::string shellWord(const std::string &text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct Result {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

inline Result shell(const std::string &command) {
    Result r;
    FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return r;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.output.append(buffer, n);
    const int status = ::pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// A copy of the built program folder's items in work/prog, logging to
// debuglog.txt; the copy's path without a trailing slash.
inline std::string copyProgram(const TempDir &work, std::initializer_list<const char *> items) {
    namespace fs = std::filesystem;
    const fs::path prog = work.path() + "prog";
    fs::create_directories(prog);
    for (const char *item : items)
        fs::copy(fs::path(CORVALE_PROGRAM_DIR) / item, prog / item, fs::copy_options::recursive);
    work.write("prog/corvale.ini", "DebugMode=0\r\n");
    return prog.string();
}

// Every value of lines "key=value" in a script's output, in order.
inline std::vector<std::string> values(const std::string &output, const std::string &key) {
    std::vector<std::string> found;
    for (const std::string &line : TextCodec::splitLines(output))
        if (line.rfind(key + "=", 0) == 0) found.push_back(line.substr(key.size() + 1));
    return found;
}

inline std::vector<float> readFloats(const std::string &path) {
    const std::string bytes = TempDir::read(path);
    std::vector<float> v(bytes.size() / sizeof(float));
    std::memcpy(v.data(), bytes.data(), v.size() * sizeof(float));
    return v;
}

// Log lines (time stamp cut off) that equal message.
inline int countLogLines(const std::string &log, const std::string &message) {
    int n = 0;
    for (const std::string &line : TextCodec::splitLines(log))
        if (line.size() > 11 && line.substr(11) == message) ++n;
    return n;
}

}  // namespace SystemRun
