// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/M3uReader.h"

#include <algorithm>
#include <optional>

#include "common/AudioFileTypes.h"
#include "common/FileLookup.h"
#include "common/PathUtil.h"
#include "common/TextCodec.h"
#include "common/TextFile.h"

std::vector<std::string> M3uReader::read(const std::string &listPath, std::size_t room, bool *cut) {
    std::vector<std::string> found;
    if (cut != nullptr) *cut = false;
    if (room == 0) return found;
    // Only a regular file: a FIFO or a device named *.m3u would block or never end.
    const std::optional<std::string> bytes = TextFile::readAll(listPath, MaxFileBytes);
    if (!bytes) return found;

    std::string_view raw(*bytes);
    if (raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);  // UTF-8 byte order mark
    const std::string base = PathUtil::folderOf(listPath);

    // Line by line: one Latin-1 or CP932 line leaves the UTF-8 lines around it as they are.
    FileLookup lookup;
    for (const std::string &line : TextCodec::splitLines(raw)) {
        std::string path = findEntry(line, base, lookup);
        if (path.empty()) continue;
        if (found.size() >= room) {
            if (cut != nullptr) *cut = true;
            break;
        }
        found.push_back(std::move(path));
    }
    return found;
}

std::string M3uReader::findEntry(std::string_view line, std::string_view baseFolder, FileLookup &lookup) {
    // The line's own bytes first (they may name a file whose name is not
    // UTF-8), then its text decoded as CP932; exact names before any match in
    // another letter case.
    std::vector<std::string> entries{normalizedLine(line)};
    if (!TextCodec::isValidUtf8(line)) entries.push_back(normalizedLine(TextCodec::cp932ToUtf8(line)));
    for (const bool anyCase : {false, true}) {
        for (const std::string &entry : entries) {
            if (entry.empty() || !AudioFileTypes::isAudioPath(entry)) continue;
            const bool absolute = entry.front() == '/';
            std::string path = lookup.find(absolute ? std::string_view("/") : baseFolder,
                                           std::string_view(entry).substr(absolute ? 1 : 0), anyCase);
            if (!path.empty()) return path;
        }
    }
    return {};
}

std::string M3uReader::normalizedLine(std::string_view line) {
    // A NUL would cut the name short in every file-system call.
    if (line.empty() || line.size() > MaxLineBytes || line.find('\0') != std::string_view::npos) return {};
    std::string entry(line);
    std::replace(entry.begin(), entry.end(), '\\', '/');
    if (entry.size() >= 2 && entry[1] == ':') return {};  // a Windows drive: no such file here
    return entry;
}
