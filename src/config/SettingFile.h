// SPDX-License-Identifier: GPL-3.0-or-later
// The text of corvale.ini: the keys, the conversion of the values, the checks
// that bring every value into its accepted range, and the two line orders the
// program writes (the file made on first start and the one written at exit).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/SettingData.h"

class SettingFile {
public:
    static constexpr const char *FileName = "corvale.ini";

    // Every field its default, LastPath being appPath and HalfVolume 255. The
    // three lyric fields keep what they hold.
    static void setDefaults(SettingData &s, const std::string &appPath);

    // Stores the value of every known key into s; the later of two lines for
    // the same key wins. A key is the text before the first "=", compared in
    // lower case without trimming; the value is the rest of the line. Lines
    // without "=" and unknown keys are ignored. False when a number does not
    // convert to its field's type (s is then partly filled; *badLine, when
    // given, gets the number of that line, counted from 1).
    static bool applyLines(const std::vector<std::string> &lines, SettingData &s, std::size_t *badLine = nullptr);

    // Replaces values outside their accepted range, raises InputFrame to
    // OutputFrame, and clears a CEditor that names no existing file.
    static void applyChecks(SettingData &s);

    // The 26 lines of a new file (defaults, LastPath appPath), CR LF each.
    static std::string createdText(const std::string &appPath);

    // The record as written at exit: 26 lines, or 27 with DebugMode first when
    // logging is on; CR LF each.
    static std::string writtenText(const SettingData &s);
};
