// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Vbmp3Loader.h"

#include <dlfcn.h>

#include "common/PathUtil.h"

Vbmp3Loader::Vbmp3Loader(const std::string &programFolder, const std::string &fileName) {
    if (fileName.empty()) {
        error_ = "no library name";
        return;
    }
    // The copy beside the executable wins over any other on the system.
    if (!programFolder.empty() && tryOpen(PathUtil::withTrailingSlash(programFolder) + fileName)) {
        resolve();
        return;
    }
    const std::string firstError = error_;
    if (tryOpen(fileName)) {
        resolve();
        return;
    }
    if (!firstError.empty()) error_ = firstError + "; " + error_;
}

Vbmp3Loader::~Vbmp3Loader() {
    if (handle_ != nullptr) ::dlclose(handle_);
}

bool Vbmp3Loader::tryOpen(const std::string &name) {
    ::dlerror();
    // The engine stays mapped until the process ends: its libraries (FFTW's
    // plan caches, SDL's drivers) keep state that must not be unmapped under them.
    handle_ = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle_ == nullptr) {
        const char *why = ::dlerror();
        error_ = why != nullptr ? why : ("cannot load " + name);
        return false;
    }
    loadedFrom_ = name;
    error_.clear();
    return true;
}

void Vbmp3Loader::resolve() {
#define VBMP3_RESOLVE(name, ret, params, missing)                         \
    api_.name = reinterpret_cast<ret(*) params>(::dlsym(handle_, #name)); \
    if (api_.name == nullptr) missing_.emplace_back(#name);
    VBMP3_API_FUNCTIONS(VBMP3_RESOLVE)
#undef VBMP3_RESOLVE
}
