#include "common/FileLookup.h"

#include <dirent.h>
#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "common/PathUtil.h"
#include "common/TextCodec.h"

namespace {

// The UTF-8 locale whose case tables fold the names; null when the system
// has none, and then only ASCII letters fold.
locale_t foldLocale() {
    static const locale_t loc = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return loc;
}

// The code points of a UTF-8 name in lower case; nothing when it is not UTF-8.
std::optional<std::u32string> folded(std::string_view name) {
    if (!TextCodec::isValidUtf8(name)) return std::nullopt;
    std::u32string out;
    for (std::size_t i = 0; i < name.size();) {
        const auto b = static_cast<unsigned char>(name[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(name[i + k]) & 0x3F);
        i += static_cast<std::size_t>(extra) + 1;
        if (cp < 0x80) {
            if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
        } else if (const locale_t loc = foldLocale()) {
            cp = static_cast<char32_t>(::towlower_l(static_cast<wint_t>(cp), loc));
        }
        out.push_back(cp);
    }
    return out;
}

enum class Kind { Folder, File };

bool exists(const std::string &path, Kind kind) {
    return kind == Kind::Folder ? PathUtil::folderExists(path) : PathUtil::fileExists(path);
}

// `name` inside `folder` as it stands, else the first entry in byte order
// that matches it apart from letter case and is of the wanted kind.
std::string findEntry(const std::string &folder, const std::string &name, Kind kind, bool anyCase) {
    if (exists(folder + name, kind)) return folder + name;
    if (!anyCase || name == "." || name == "..") return {};
    DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return {};
    std::vector<std::string> matches;
    while (const dirent *e = ::readdir(dir)) {
        if (FileLookup::sameIgnoringCase(e->d_name, name)) matches.emplace_back(e->d_name);
    }
    ::closedir(dir);
    std::sort(matches.begin(), matches.end());
    for (const std::string &m : matches)
        if (exists(folder + m, kind)) return folder + m;
    return {};
}

}  // namespace

bool FileLookup::sameIgnoringCase(std::string_view a, std::string_view b) {
    const auto fa = folded(a);
    const auto fb = folded(b);
    if (fa && fb) return *fa == *fb;
    return a.size() == b.size() && PathUtil::lowerAscii(a) == PathUtil::lowerAscii(b);
}

std::string FileLookup::find(std::string_view folder, std::string_view relative, bool anyCase) {
    std::string path = folder.empty() ? std::string() : PathUtil::withTrailingSlash(folder);
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = relative.find('/', start);
        const std::string name(relative.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos) return name.empty() ? std::string() : findEntry(path, name, Kind::File, anyCase);
        start = slash + 1;
        if (name.empty()) continue;  // "a//b" is "a/b"
        path = findEntry(path, name, Kind::Folder, anyCase);
        if (path.empty()) return {};
        path.push_back('/');
    }
}
