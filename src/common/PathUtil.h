// SPDX-License-Identifier: GPL-3.0-or-later
// Path helpers. The separator is '/'; a Linux path has no drive.
#pragma once

#include <string>
#include <string_view>

class PathUtil {
public:
    static std::string withTrailingSlash(std::string_view folder);
    static bool fileExists(const std::string &path);     // an existing regular file
    static bool folderExists(const std::string &path);   // an existing directory
    static std::string fileName(std::string_view path);  // after the last '/'
    static std::string folderOf(std::string_view path);  // up to and including the last '/'
    static std::string absolute(std::string_view path, std::string_view currentFolder);
    static std::string currentFolder();  // with a trailing '/'
    static std::string lowerAscii(std::string_view text);
    // True when the last four characters, in lower case, equal ext4 (e.g. ".mp3").
    static bool hasExtension4(std::string_view path, std::string_view ext4);
};
