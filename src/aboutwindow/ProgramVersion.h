// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own version numbers and the texts made from them.
#pragma once

#include <string>

class ProgramVersion {
public:
    static constexpr int Major = 1;
    static constexpr int Minor = 2;
    static constexpr int Revision = 710;

    // "Corvale Ver 1.02 Build 0710"
    static std::string aboutText();
    // "1.02-0710", as the debug window logs it
    static std::string logText();
};
