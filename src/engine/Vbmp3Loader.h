// SPDX-License-Identifier: GPL-3.0-or-later
// Loads the engine library libvbmp3.so and fills the function table from it.
// The library is looked for in the program folder (the executable's folder)
// first, then on the library search path. A function the library lacks stays
// a null entry in the table.
#pragma once

#include <string>
#include <vector>

#include "vbmp3/Vbmp3Api.h"

class Vbmp3Loader {
public:
    static constexpr const char *LibraryFileName = "libvbmp3.so";

    // programFolder may be empty (then only the search path is tried).
    explicit Vbmp3Loader(const std::string &programFolder, const std::string &fileName = LibraryFileName);
    ~Vbmp3Loader();
    Vbmp3Loader(const Vbmp3Loader &) = delete;
    Vbmp3Loader &operator=(const Vbmp3Loader &) = delete;

    bool loaded() const { return handle_ != nullptr; }
    const Vbmp3Api &api() const { return api_; }

    // The name the library was opened by: a path in the program folder, or the
    // bare file name when the search path found it. Empty when not loaded.
    const std::string &loadedFrom() const { return loadedFrom_; }
    // Why loading failed (the loader's own message); empty when loaded.
    const std::string &error() const { return error_; }
    // Names of the table's functions the library does not export.
    const std::vector<std::string> &missingFunctions() const { return missing_; }

private:
    bool tryOpen(const std::string &name);
    void resolve();

    void *handle_ = nullptr;
    Vbmp3Api api_;
    std::string loadedFrom_;
    std::string error_;
    std::vector<std::string> missing_;
};
