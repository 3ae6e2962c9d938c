// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FileFilter.h"

std::string FileFilter(std::string_view description, std::string_view pattern) {
    std::string f(description);
    f.push_back('\0');
    f += pattern;
    f.push_back('\0');
    return f;
}
