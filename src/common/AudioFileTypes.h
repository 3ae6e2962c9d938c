// SPDX-License-Identifier: GPL-3.0-or-later
// The files the player takes as tracks, decided by their names: what a list,
// a drop, the command line and the file dialogs accept, and the media types
// the desktop and the media controls are told about.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class AudioFileTypes {
public:
    // .mp1 .mp2 .mp3 .rmp .wav .flac .ogg .oga .opus, in any letter case.
    static bool isAudioPath(std::string_view path);

    // .flac .ogg .oga .opus: types only libsndfile reads. A file so named is
    // not handed to the MPEG decoder unless it starts like MPEG audio.
    static bool isSndfileOnlyPath(std::string_view path);

    // A track or a list (.m3u): what the list editor's drop takes.
    static bool isTrackOrListPath(std::string_view path);

    // The filter of the dialogs that pick tracks and lists, as description NUL
    // pattern NUL pairs: "MPEG Audio & m3u ListFile" first, with .wav in its
    // pattern, then the types libsndfile adds.
    static std::string openDialogFilter();

    // The lyrics files of a track are named from this: the path up to and
    // including the dot of its extension ("song.flac" -> "song.").
    static std::string lyricsStem(std::string_view path);

    // Media types of the tracks and lists, for the media controls (the
    // desktop entry names the same ones).
    static std::vector<std::string> mimeTypes();
};
