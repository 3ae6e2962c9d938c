// SPDX-License-Identifier: GPL-3.0-or-later
// One filter of a file dialog, as the dialog routine takes them: description
// NUL pattern NUL, patterns joined by ';'. Filters are concatenated.
#pragma once

#include <string>
#include <string_view>

std::string FileFilter(std::string_view description, std::string_view pattern);
