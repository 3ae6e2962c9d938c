// SPDX-License-Identifier: GPL-3.0-or-later
// The options the program answers by itself, before any window exists:
// "--help" and "--version", each only as the one argument. Every other
// argument is a path (a path that begins with '-' can be given as ./-name).
#pragma once

#include <string>
#include <vector>

class CommandLineOptions {
public:
    enum class Action { Start, Help, Version };

    // arguments: the command line after the program name.
    static Action parse(const std::vector<std::string> &arguments);
    // "Corvale 1.02 Build 0710"
    static std::string versionText();
    // A few lines of usage, ending in a line end.
    static std::string usageText();
};
