// SPDX-License-Identifier: GPL-3.0-or-later
// The scratch folder of one fuzzing process: made on first use, reused by
// every input, removed with its contents when the process exits normally.
#pragma once

#include <string>
#include <string_view>

class FuzzWorkDir {
public:
    // The folder, ending in '/'.
    static const std::string &path();

    // Writes bytes to path() + name (making folders on the way); the full path.
    static std::string write(std::string_view name, std::string_view bytes);

    // Removes path() + name (a file or a folder with its contents).
    static void remove(std::string_view name);

private:
    FuzzWorkDir();
    ~FuzzWorkDir();
    static FuzzWorkDir &instance();

    std::string path_;
};
