// SPDX-License-Identifier: GPL-3.0-or-later
// One running player per user and AppPath: a lock file in the user's runtime
// folder, named after a hash of AppPath. A lock left by a process that has
// died is taken over.
#pragma once

#include <memory>
#include <string>

class QLockFile;

class InstanceLock {
public:
    // folder: where the lock file lives; appPath: the folder it guards.
    InstanceLock(const std::string &folder, const std::string &appPath);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // False when another running process holds the lock; true when this
    // process holds it now, or when no lock file can be made at all.
    bool tryLock();
    const std::string &fileName() const { return fileName_; }

    // $XDG_RUNTIME_DIR, else the temporary folder with the user id in its name.
    static std::string defaultFolder();

private:
    std::string fileName_;
    std::unique_ptr<QLockFile> lock_;
};
