#include "engine/M3uReader.h"

#include <algorithm>
#include <optional>

#include "common/AudioFileTypes.h"
#include "common/PathUtil.h"
#include "common/TextCodec.h"
#include "common/TextFile.h"

std::vector<std::string> M3uReader::read(const std::string &listPath, std::size_t room) {
    std::vector<std::string> found;
    // Only a regular file: a fifo or a device named *.m3u would block or never end.
    if (room == 0 || !PathUtil::fileExists(listPath)) return found;
    const std::optional<std::string> bytes = TextFile::readAll(listPath, MaxFileBytes);
    if (!bytes) return found;

    std::string_view raw(*bytes);
    if (raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);  // UTF-8 byte order mark
    const std::string text = TextCodec::toUtf8(raw);
    const std::string base = PathUtil::folderOf(listPath);

    for (const std::string &line : TextCodec::splitLines(text)) {
        const std::string path = resolveLine(line, base);
        if (path.empty() || !AudioFileTypes::isAudioPath(path) || !PathUtil::fileExists(path)) continue;
        found.push_back(path);
        if (found.size() >= room) break;
    }
    return found;
}

std::string M3uReader::resolveLine(std::string_view line, std::string_view baseFolder) {
    // A NUL would cut the name short in every file-system call.
    if (line.empty() || line.size() > MaxLineBytes || line.find('\0') != std::string_view::npos) return {};
    std::string entry(line);
    std::replace(entry.begin(), entry.end(), '\\', '/');
    if (entry.size() >= 2 && entry[1] == ':') return {};  // a Windows drive: no such file here
    if (entry.front() == '/') return entry;
    return std::string(baseFolder) + entry;
}
