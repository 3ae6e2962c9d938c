// SPDX-License-Identifier: GPL-3.0-or-later
// Colour scheme files (.kcl): key=value lines, a colour as "red,green,blue",
// the menu caption under the key "colortitle". Also the built-in scheme and
// the listing of the scheme folder.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/ColorSetData.h"

class ColorSchemeFile {
public:
    struct ColorField {
        std::string_view key;  // lower case, as in the file
        ColorValue ColorSetData::*member;
    };
    // The 33 colour keys, in the record's order.
    static const std::array<ColorField, 33> &colorFields();

    // The built-in scheme "緑－黄－赤(標準)" (its path and title stay empty).
    static ColorSetData builtIn();
    static constexpr const char *BuiltInTitle = "緑－黄－赤(標準)";

    // Applies the lines of one scheme file to entry:
    // - a line must hold exactly one "=", else it is ignored;
    // - a value of exactly three comma-separated pieces is converted to a
    //   colour first (each piece a 16-bit whole number, blanks around it
    //   allowed; above 255 counts as 255, below 0 as 0), then stored when the
    //   lower-cased key names a colour field;
    // - any other value under the key "colortitle" gives the title: the text up
    //   to the first comma.
    // False when a colour piece is not a 16-bit whole number; the lines before
    // it stay applied and *badLine (when given) gets its number, counted from 1.
    static bool applyLines(const std::vector<std::string> &lines, ColorSetData &entry, std::size_t *badLine = nullptr);

    // The names of the ".kcl" files (any letter case) in folder, sorted by
    // byte value; nothing when the folder cannot be listed.
    static std::optional<std::vector<std::string>> listSchemeFiles(const std::string &folder);
};
