// SPDX-License-Identifier: GPL-3.0-or-later
// The NUL-separated path list: the form in which the file dialog hands back a
// selection, and in which the playlist loaders take files.
//
//   one path               /music/a.mp3
//   a folder and names     /music NUL a.mp3 NUL b.mp3 NUL NUL   (a multi-selection)
//   full paths             /x/a.mp3 NUL /y/b.mp3 NUL NUL        (the command line, drops)
#pragma once

#include <string>
#include <string_view>
#include <vector>

class PathList {
public:
    // The paths a list stands for, in order. The list ends at its first double
    // NUL; an empty entry (a trailing NUL) names nothing. When the second
    // entry is a bare name (no '/'), the first entry is the list's folder and
    // every following entry lies in it.
    static std::vector<std::string> split(std::string_view list);
    // The list of the given items: each followed by a NUL, and one more NUL.
    static std::string join(const std::vector<std::string> &items);
    // A list up to its first double NUL; the whole list when it has none.
    static std::string cutAtDoubleNul(std::string_view list);
    // A text up to its first NUL; the whole text when it has none. A dialog
    // result of one file, and the library's fixed-length text fields.
    static std::string strCutNull(std::string_view text);
};
