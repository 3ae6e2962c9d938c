// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/PathUtil.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <vector>

std::string PathUtil::withTrailingSlash(std::string_view folder) {
    std::string s(folder);
    if (s.empty() || s.back() != '/') s.push_back('/');
    return s;
}

bool PathUtil::fileExists(const std::string &path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathUtil::folderExists(const std::string &path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string PathUtil::fileName(std::string_view path) {
    const auto pos = path.rfind('/');
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string PathUtil::folderOf(std::string_view path) {
    const auto pos = path.rfind('/');
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

std::string PathUtil::absolute(std::string_view path, std::string_view currentFolder) {
    if (!path.empty() && path.front() == '/') return std::string(path);
    return withTrailingSlash(currentFolder) + std::string(path);
}

std::string PathUtil::currentFolder() {
    std::vector<char> buf(PATH_MAX + 1);
    if (::getcwd(buf.data(), buf.size()) == nullptr) return "/";
    return withTrailingSlash(buf.data());
}

std::string PathUtil::lowerAscii(std::string_view text) {
    std::string s(text);
    for (char &c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool PathUtil::hasExtension4(std::string_view path, std::string_view ext4) {
    if (path.size() < 4) return false;
    return lowerAscii(path.substr(path.size() - 4)) == ext4;
}
