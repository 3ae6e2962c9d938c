// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "common/PathUtil.h"
#include "common/TextFile.h"
#include "config/SettingFile.h"

namespace fs = std::filesystem;

std::string AppFolder::choose(const std::string &programDir) {
    Inputs in;
    in.programDir = PathUtil::withTrailingSlash(programDir);
    in.programDirWritable = writable(in.programDir);
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME")) in.xdgConfigHome = xdg;
    if (const char *home = std::getenv("HOME")) in.home = home;
    if (in.home.empty()) {
        if (const passwd *pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) in.home = pw->pw_dir;
    }
    return choose(in);
}

std::string AppFolder::choose(const Inputs &inputs) {
    const std::string programDir = PathUtil::withTrailingSlash(inputs.programDir);
    // Below /usr nothing is written at run time, not even by root: an
    // installed program keeps every user's files in their own folder, and its
    // package removes cleanly.
    if (inputs.programDirWritable && programDir.rfind("/usr/", 0) != 0) return programDir;
    const std::string folder = userFolder(inputs.xdgConfigHome, inputs.home);
    if (folder.empty()) return programDir;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!writable(folder)) {
        // Neither folder can be written: run with the settings that can be
        // read (the exit says that they could not be saved).
        return PathUtil::fileExists(folder + SettingFile::FileName) ? folder : programDir;
    }
    copyProgramSettings(programDir, folder);
    copyBundledSchemes(programDir, folder);
    return folder;
}

void AppFolder::copyProgramSettings(const std::string &programDir, const std::string &appPath) {
    // A copied portable install or an old version left its settings beside
    // the program: the per-user folder starts from them, once.
    const std::string target = appPath + SettingFile::FileName;
    if (::access(target.c_str(), F_OK) == 0) return;
    if (const auto bytes = TextFile::readAll(programDir + SettingFile::FileName)) TextFile::writeAtomic(target, *bytes);
}

std::string AppFolder::userFolder(const std::string &xdgConfigHome, const std::string &home) {
    // A relative $XDG_CONFIG_HOME is invalid and ignored.
    if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/')
        return PathUtil::withTrailingSlash(xdgConfigHome) + "corvale/";
    if (home.empty()) return {};
    return PathUtil::withTrailingSlash(home) + ".config/corvale/";
}

bool AppFolder::writable(const std::string &folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

void AppFolder::copyBundledSchemes(const std::string &programDir, const std::string &appPath) {
    // Only on first use: a scheme the user has since removed or changed stays so.
    const fs::path target = appPath + "color";
    std::error_code ec;
    if (fs::exists(target, ec) || !PathUtil::folderExists(appPath)) return;
    if (!fs::create_directory(target, ec)) return;
    fs::directory_iterator it(programDir + "color", ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc) || !PathUtil::hasExtension4(it->path().filename().string(), ".kcl")) continue;
        std::error_code copyEc;
        fs::copy_file(it->path(), target / it->path().filename(), fs::copy_options::skip_existing, copyEc);
    }
}
