// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzWorkDir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

FuzzWorkDir::FuzzWorkDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "corvale-fuzz-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) {
        std::perror("corvale fuzz: mkdtemp");
        std::abort();
    }
    path_ = tmpl + "/";
}

FuzzWorkDir::~FuzzWorkDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

FuzzWorkDir &FuzzWorkDir::instance() {
    static FuzzWorkDir dir;
    return dir;
}

const std::string &FuzzWorkDir::path() { return instance().path_; }

std::string FuzzWorkDir::write(std::string_view name, std::string_view bytes) {
    const std::string full = path() + std::string(name);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(full).parent_path(), ec);
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "corvale fuzz: cannot write %s\n", full.c_str());
        std::abort();
    }
    return full;
}

void FuzzWorkDir::remove(std::string_view name) {
    std::error_code ec;
    std::filesystem::remove_all(path() + std::string(name), ec);
}
