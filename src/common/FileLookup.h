// Finding a file named by a list or beside a track when its letter case
// differs from the file system's: lists and lyrics made on Windows name
// "Music\Song.mp3" for music/song.mp3, or keep song.LRC beside song.mp3.
#pragma once

#include <string>
#include <string_view>

class FileLookup {
public:
    // The path of the regular file that `relative` names inside `folder`
    // (taken as it stands; "" for the current folder). The exact name wins;
    // when it is missing and anyCase is set, each component of `relative`
    // in turn may match a folder entry that differs only in letter case (the
    // first such entry in byte order when several do). "" when nothing matches.
    static std::string find(std::string_view folder, std::string_view relative, bool anyCase);

    // True when the two names are equal apart from letter case (Unicode
    // simple case folding for UTF-8 names, ASCII for the rest).
    static bool sameIgnoringCase(std::string_view a, std::string_view b);
};
