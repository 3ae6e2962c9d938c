// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a file named by a list or beside a track when its letter case
// differs from the file system's: lists and lyrics made on Windows name
// "Music\Song.mp3" for music/song.mp3, or keep song.LRC beside song.mp3.
// One lookup may serve a whole list: each folder it has to search is read
// once, so a long list of names in another case costs one pass per folder.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

class FileLookup {
public:
    // The path of the regular file that `relative` names inside `folder`
    // (taken as it stands; "" for the current folder). The exact name wins;
    // when it is missing and anyCase is set, each component of `relative`
    // in turn may match a folder entry that differs only in letter case (the
    // first such entry in byte order when several do). "" when nothing matches.
    std::string find(std::string_view folder, std::string_view relative, bool anyCase);

    // The name in lower case, for comparing names apart from letter case:
    // Unicode simple case mapping for a UTF-8 name, ASCII for the rest.
    static std::string foldCase(std::string_view name);

private:
    // Entries of `folder` by their folded names.
    const std::map<std::string, std::set<std::string>> &entries(const std::string &folder);
    std::string findEntry(const std::string &folder, const std::string &name, bool wantFolder, bool anyCase);

    std::map<std::string, std::map<std::string, std::set<std::string>>> folders_;
};
