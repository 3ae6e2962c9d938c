// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AudioFileTypes.h"

#include "common/FileFilter.h"
#include "common/PathUtil.h"

#include <array>

namespace {

struct TrackType {
    std::string_view extension;
    bool sndfileOnly;  // read by libsndfile alone, never MPEG inside
};

constexpr std::array<TrackType, 9> TrackTypes{{{".mp1", false},
                                               {".mp2", false},
                                               {".mp3", false},
                                               {".rmp", false},
                                               {".wav", false},
                                               {".flac", true},
                                               {".ogg", true},
                                               {".oga", true},
                                               {".opus", true}}};

// The accepted type the path ends in, in any letter case; null for none.
const TrackType *typeOf(std::string_view path) {
    for (const TrackType &type : TrackTypes) {
        const std::size_t n = type.extension.size();
        if (path.size() > n && PathUtil::lowerAscii(path.substr(path.size() - n)) == type.extension) return &type;
    }
    return nullptr;
}

}  // namespace

bool AudioFileTypes::isAudioPath(std::string_view path) { return typeOf(path) != nullptr; }

bool AudioFileTypes::isSndfileOnlyPath(std::string_view path) {
    const TrackType *type = typeOf(path);
    return type && type->sndfileOnly;
}

bool AudioFileTypes::isTrackOrListPath(std::string_view path) {
    return isAudioPath(path) || PathUtil::hasExtension4(path, ".m3u");
}

std::string AudioFileTypes::openDialogFilter() {
    // "*.mp1;*.mp2" for the types chosen, then ";*.m3u" when asked.
    const auto patterns = [](bool mpegAndWave, bool sndfileOnly, bool lists) {
        std::string p;
        for (const TrackType &type : TrackTypes) {
            if (type.sndfileOnly ? !sndfileOnly : !mpegAndWave) continue;
            if (!p.empty()) p += ';';
            p += '*';
            p += type.extension;
        }
        return lists ? p + ";*.m3u" : p;
    };
    return FileFilter("MPEG Audio & m3u ListFile", patterns(true, false, true)) +
           FileFilter("FLAC, Ogg Vorbis & Opus", patterns(false, true, false)) +
           FileFilter("All Audio & m3u ListFile", patterns(true, true, true));
}

std::string AudioFileTypes::lyricsStem(std::string_view path) {
    // Without the letters of the extension; "song.mp3" -> "song.".
    const TrackType *type = typeOf(path);
    const std::size_t letters = type ? type->extension.size() - 1 : 3;
    return path.size() <= letters ? std::string() : std::string(path.substr(0, path.size() - letters));
}

std::vector<std::string> AudioFileTypes::mimeTypes() {
    return {"audio/mpeg",         "audio/x-wav",      "audio/flac", "audio/x-flac",   "audio/ogg",
            "audio/x-vorbis+ogg", "audio/x-opus+ogg", "audio/opus", "audio/x-mpegurl"};
}
