// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reading and safe writing.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class TextFile {
public:
    // The file's bytes, or nothing when it cannot be read (missing, a folder,
    // larger than maxBytes).
    static std::optional<std::string> readAll(const std::string &path, std::size_t maxBytes = 64u * 1024u * 1024u);

    // Writes a temporary file in the same folder, flushes it to disk and renames
    // it over path. A symbolic link is written through: the file it leads to
    // is replaced, the link stays. Only a regular file (or a missing one) is
    // replaced, keeping its group and permissions; a new file gets what the
    // umask allows. On any failure the old file stays as it was and false is
    // returned.
    // After a write, temporary files that earlier writes of the same path left
    // behind (cut short by a kill) are removed once they are a minute old.
    static bool writeAtomic(const std::string &path, std::string_view bytes);

    // The path a chain of symbolic links ends at (path itself when it is no
    // link, or missing); "" for a loop or an unreadable link.
    static std::string finalTarget(const std::string &path);

    // Appends bytes to a regular file (opening and closing it); false on failure.
    static bool append(const std::string &path, std::string_view bytes);
};
