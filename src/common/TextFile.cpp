// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/PathUtil.h"
#include "common/RegularFile.h"

namespace {

bool writeAllFd(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A write cut short (the process killed between creating its temporary file
// and the rename) leaves "<name>.tmp-XXXXXX" behind. Remove such files once
// they are a minute old: a write in progress never is.
void removeStaleTemporaries(const std::string &path) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const std::string prefix = target.filename().string() + ".tmp-";
    const auto cutoff = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code ec;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::error_code statError;
        if (!it->is_regular_file(statError) || it->last_write_time(statError) > cutoff || statError) continue;
        fs::remove(it->path(), statError);
    }
}

// The process's file-creation mask, read without changing it.
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8) & 0777);
    return 022;
}

}  // namespace

std::optional<std::string> TextFile::readAll(const std::string &path, std::size_t maxBytes) {
    const int fd = RegularFile::openForReading(path);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<std::size_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return std::nullopt;
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
            ::close(fd);
            return std::nullopt;
        }
        data.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return data;
}

bool TextFile::writeAtomic(const std::string &linkOrPath, std::string_view bytes) {
    if (linkOrPath.empty() || linkOrPath.back() == '/') return false;
    // A link (a settings file kept with the user's dotfiles) stays a link: the
    // file it leads to is the one replaced.
    const std::string path = finalTarget(linkOrPath);
    if (path.empty()) return false;
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    // Only a regular file is ever replaced: never a folder, a device, a FIFO.
    if (replacing && !S_ISREG(old.st_mode)) return false;

    std::string tmpl = path + ".tmp-XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    bool ok = writeAllFd(fd, bytes) && ::fsync(fd) == 0;
    // The replaced file's group and permissions; a new file gets what the
    // process's umask allows.
    // A group that cannot be kept loses its rights rather than handing them
    // to the user's own group.
    mode_t mode = 0666 & ~currentUmask();
    if (replacing) mode = old.st_mode & (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0 ? 0777 : 0707);
    if (ok) ok = ::fchmod(fd, mode) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok) ok = ::rename(name.data(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(name.data());
        return false;
    }
    // Make the rename itself durable.
    const std::string folder = PathUtil::folderOf(path);
    const int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    removeStaleTemporaries(path);
    return true;
}

std::string TextFile::finalTarget(const std::string &path) {
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1);
        const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return {};
        const std::string to(buf.data(), static_cast<std::size_t>(n));
        p = to.front() == '/' ? to : PathUtil::folderOf(p) + to;
    }
    return {};  // a loop of links
}

bool TextFile::append(const std::string &path, std::string_view bytes) {
    // O_NONBLOCK: a FIFO in the file's place refuses at once instead of
    // waiting for a reader; only a regular file is written.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
    if (fd < 0) return false;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && writeAllFd(fd, bytes);
    return (::close(fd) == 0) && ok;
}
