// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FileLookup.h"

#include <dirent.h>
#include <locale.h>
#include <wctype.h>

#include "common/PathUtil.h"
#include "common/TextCodec.h"

namespace {

// The UTF-8 locale whose case tables fold the names; null when the system
// has none, and then only ASCII letters fold.
locale_t foldLocale() {
    static const locale_t loc = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return loc;
}

}  // namespace

std::string FileLookup::foldCase(std::string_view name) {
    const locale_t loc = foldLocale();
    if (loc == nullptr || !TextCodec::isValidUtf8(name)) return PathUtil::lowerAscii(name);
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto b = static_cast<unsigned char>(name[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(name[i + k]) & 0x3F);
        i += static_cast<std::size_t>(extra) + 1;
        if (cp < 0x80) {
            if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
        } else {
            const auto lower = static_cast<char32_t>(::towlower_l(static_cast<wint_t>(cp), loc));
            if (lower < 0xD800 || (lower > 0xDFFF && lower <= 0x10FFFF)) cp = lower;
        }
        TextCodec::appendUtf8(out, cp);
    }
    return out;
}

const std::map<std::string, std::set<std::string>> &FileLookup::entries(const std::string &folder) {
    const auto known = folders_.find(folder);
    if (known != folders_.end()) return known->second;
    auto &byFolded = folders_[folder];
    if (DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
        while (const dirent *e = ::readdir(dir)) byFolded[foldCase(e->d_name)].insert(e->d_name);
        ::closedir(dir);
    }
    return byFolded;
}

// `name` inside `folder` as it stands, else the first entry in byte order
// that matches it apart from letter case and is of the wanted kind.
std::string FileLookup::findEntry(const std::string &folder, const std::string &name, bool wantFolder, bool anyCase) {
    const auto isWanted = [wantFolder](const std::string &path) {
        return wantFolder ? PathUtil::folderExists(path) : PathUtil::fileExists(path);
    };
    if (isWanted(folder + name)) return folder + name;
    if (!anyCase || name == "." || name == "..") return {};
    const auto &byFolded = entries(folder);
    const auto same = byFolded.find(foldCase(name));
    if (same == byFolded.end()) return {};
    for (const std::string &m : same->second)
        if (isWanted(folder + m)) return folder + m;
    return {};
}

std::string FileLookup::find(std::string_view folder, std::string_view relative, bool anyCase) {
    std::string path = folder.empty() ? std::string() : PathUtil::withTrailingSlash(folder);
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = relative.find('/', start);
        const std::string name(relative.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos)
            return name.empty() ? std::string() : findEntry(path, name, false, anyCase);
        start = slash + 1;
        if (name.empty()) continue;  // "a//b" is "a/b"
        path = findEntry(path, name, true, anyCase);
        if (path.empty()) return {};
        path.push_back('/');
    }
}
