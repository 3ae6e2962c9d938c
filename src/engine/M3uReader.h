// SPDX-License-Identifier: GPL-3.0-or-later
// Reads an m3u list file as the player plays it: one entry per line, lines
// ending in CR LF, LF or CR, each line in UTF-8 or else CP932. Only lines naming an
// existing audio file (AudioFileTypes) count; everything else,
// "#" directives and nested list files included, names no audio file and is
// passed over.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class FileLookup;

class M3uReader {
public:
    // A list file larger than this is not a playlist and is not read.
    static constexpr std::size_t MaxFileBytes = 16u * 1024u * 1024u;
    // A line longer than this cannot name a file.
    static constexpr std::size_t MaxLineBytes = 4096;

    // The audio files that the list file names, in list order, at most `room`
    // of them; *cut (when given) tells whether more were left out. Relative
    // lines resolve against the list file's own folder. A list that cannot be
    // read (missing, a folder, a device, too large) gives nothing.
    static std::vector<std::string> read(const std::string &listPath, std::size_t room, bool *cut = nullptr);

    // The existing audio file a list line names, or "". Each line is taken
    // on its own: its bytes as they stand, and when they are not UTF-8 also
    // its text decoded as CP932. An exact name wins; failing that, a name
    // differing only in letter case, component by component (lists made on
    // Windows). One lookup serves all the lines of a list.
    static std::string findEntry(std::string_view line, std::string_view baseFolder, FileLookup &lookup);

private:
    // The line with '/' for '\', or "" when it cannot name a file here.
    static std::string normalizedLine(std::string_view line);
};
