// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutwindow/ProgramVersion.h"

#include <cstdio>

std::string ProgramVersion::aboutText() {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Corvale Ver %d.%02d Build %04d", Major, Minor, Revision);
    return buf;
}

std::string ProgramVersion::logText() {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%02d-%04d", Major, Minor, Revision);
    return buf;
}
