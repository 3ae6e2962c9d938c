// Reads an m3u list file as the player plays it: one entry per line, lines
// ending in CR LF, LF or CR, text in UTF-8 or else CP932. Only lines naming an
// existing audio file (AudioFileTypes) count; everything else,
// "#" directives and nested list files included, names no audio file and is
// passed over.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class M3uReader {
public:
    // A list file larger than this is not a playlist and is not read.
    static constexpr std::size_t MaxFileBytes = 16u * 1024u * 1024u;
    // A line longer than this cannot name a file.
    static constexpr std::size_t MaxLineBytes = 4096;

    // The audio files that the list file names, in list order, at most `room`
    // of them. Relative lines resolve against the list file's own folder.
    // A list that cannot be read (missing, a folder, a device, too large)
    // gives nothing.
    static std::vector<std::string> read(const std::string &listPath, std::size_t room);

    // The path a list line stands for, or "" when the line cannot name a file
    // here. Backslashes become '/'; a line beginning with '/' is absolute; a
    // Windows drive path ("C:...") names nothing; any other line gets
    // baseFolder (ending in '/') in front. Neither extension nor existence is
    // tested.
    static std::string resolveLine(std::string_view line, std::string_view baseFolder);
};
