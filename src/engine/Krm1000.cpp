// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Krm1000.h"

#include <algorithm>
#include <numeric>

#include "common/AudioFileTypes.h"
#include "common/FileLookup.h"
#include "common/PathList.h"
#include "common/PathUtil.h"
#include "common/TextCodec.h"
#include "engine/M3uReader.h"
#include "log/DebugLog.h"

namespace {

constexpr std::string_view CalledPrefix = "KRM1000 Called  - ";
constexpr std::size_t LyricsLineWidth = 39;  // CP932 bytes

template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
    return TextCodec::toUtf8(PathList::strCutNull(std::string_view(field, N)));
}

}  // namespace

Krm1000::Krm1000(const Vbmp3Api &api, DebugLog &log, Clock &clock, SettingData &settings,
                 EngineOptionData &engineOptions, PlayerView &view)
    : api_(api), lib_(api_, &log), log_(log), clock_(clock), settings_(settings), engineOptions_(engineOptions),
      view_(view) {
    setRandomSource({});
    state_.LastRewindTime = clock_.timeGetTime();
}

void Krm1000::logCalled(std::string_view routine) {
    std::string line(CalledPrefix);
    line += routine;
    log_.WriteDebugLog(line);
}

// ---------------------------------------------------------------- playlist

void Krm1000::resetPlayList() { state_.PlayList = PlayListData{}; }

uint8_t Krm1000::bytPlayListNew() {
    logCalled("bytPlayListNew");
    resetPlayList();
    return 0;
}

bool Krm1000::appendPath(std::string path) {
    PlayListData &pl = state_.PlayList;
    if (pl.LastIndex + 1 >= MaxTracks) return false;
    ++pl.LastIndex;
    const auto i = static_cast<std::size_t>(pl.LastIndex);
    if (i < pl.FileList.size()) {
        pl.FileList[i] = std::move(path);
    } else {
        pl.FileList.push_back(std::move(path));
    }
    if (i < pl.PlayOrder.size()) {
        pl.PlayOrder[i] = pl.LastIndex;
    } else {
        pl.PlayOrder.push_back(pl.LastIndex);
    }
    return true;
}

uint8_t Krm1000::bytPlayListAdd(std::string &spec) {
    logCalled("bytPlayListAdd");
    PlayListData &pl = state_.PlayList;
    try {
        // The caller's spec is cut at its first double NUL too.
        spec = PathList::cutAtDoubleNul(spec);
        bool cut = false;
        for (const std::string &item : PathList::split(spec)) {
            const bool isList = PathUtil::hasExtension4(item, ".m3u");
            const auto room = static_cast<std::size_t>(MaxTracks - (pl.LastIndex + 1));
            if (room == 0) {
                cut = AudioFileTypes::isAudioPath(item) || (isList && !M3uReader::read(item, 1).empty());
                if (cut) break;
                continue;
            }
            if (isList) {
                bool listCut = false;
                for (std::string &path : M3uReader::read(item, room, &listCut)) appendPath(std::move(path));
                cut = cut || listCut;
            } else if (AudioFileTypes::isAudioPath(item)) {
                appendPath(item);
            }
        }
        if (cut) log_.WriteDebugLog("KRM1000 Caution - bytPlayListAdd (list cut at 9999 tracks)");
    } catch (...) {
        // Whatever was added before the failure stays.
    }
    if (pl.LastIndex >= 0) {
        pl.TrackCount = static_cast<int16_t>(pl.LastIndex + 1);
        return 0;
    }
    return 255;
}

uint8_t Krm1000::bytPlayListNewOpen(std::string spec) {
    logCalled("bytPlayListNewOpen");
    // The new list is built aside: a load that yields nothing leaves the
    // list, the open track and the display as they were.
    PlayListData kept = state_.PlayList;
    bool taken = false;
    try {
        bytPlayListNew();
        if (bytPlayListAdd(spec) != 0) {
            state_.PlayList = std::move(kept);
            log_.WriteDebugLog("KRM1000 Failed  - bytPlayListNewOpen");
            return 255;
        }
        taken = true;
        PlayListData &pl = state_.PlayList;
        if (playMode() == PlayModes::Random) TrackRandomize();
        pl.TrackNumber = static_cast<int16_t>(orderAt(pl.PlayPosition) + 1);
        bytOpenPlayFile(orderAt(0));
        return 0;
    } catch (...) {
        if (!taken) state_.PlayList = std::move(kept);
        return 255;
    }
}

int16_t Krm1000::orderAt(int16_t position) const {
    const PlayListData &pl = state_.PlayList;
    if (position < 0 || position > pl.LastIndex || static_cast<std::size_t>(position) >= pl.PlayOrder.size()) return -1;
    return pl.PlayOrder[static_cast<std::size_t>(position)];
}

// ------------------------------------------------- track, titles and lyrics

uint8_t Krm1000::bytOpenPlayFile(int16_t index) {
    logCalled("bytOpenPlayFile");
    PlayListData &pl = state_.PlayList;
    try {
        const bool valid = index >= 0 && index <= pl.LastIndex && static_cast<std::size_t>(index) < pl.FileList.size();
        const std::string path = valid ? pl.FileList[static_cast<std::size_t>(index)] : std::string();

        state_.TrackInfo = TrackInfoData{};
        trackOpen_ = !path.empty() && lib_.vbmp3_open(path.c_str(), &state_.TrackInfo) != 0;
        // A failed open shows nothing of what was there before.
        if (!trackOpen_) state_.TrackInfo = TrackInfoData{};

        if (state_.LyricsCleared == 0) {
            lib_.vbmp3_clearLyrics();
            state_.LyricsCleared = 255;
        }
        lookForLyrics(path);
        state_.LastLyricsKey = -1;
        makeTitles(path);
        pl.TrackNumber = static_cast<int16_t>(orderAt(pl.PlayPosition) + 1);
    } catch (...) {
        trackOpen_ = false;
    }
    TitleShow();
    view_.DrawTrackNumber();
    view_.DrawAllTime();
    view_.DrawFrequency();
    return trackOpen_ ? 0 : 255;
}

void Krm1000::lookForLyrics(const std::string &path) {
    // song.mp3 looks for song.txt, song.lrc, song.kra; the last one found wins.
    // The exact name wins; song.LRC from Windows is found too.
    const std::string stem = PathUtil::fileName(AudioFileTypes::lyricsStem(path));
    if (stem.empty()) return;
    std::string found;
    FileLookup lookup;
    for (const char *ext : {"txt", "lrc", "kra"}) {
        std::string candidate = lookup.find(PathUtil::folderOf(path), stem + ext, true);
        if (!candidate.empty()) found = std::move(candidate);
    }
    if (found.empty()) return;
    state_.LyricsCleared = 0;
    lib_.vbmp3_setLyricsFile(found.c_str());
}

void Krm1000::makeTitles(const std::string &path) {
    const std::string title = fieldText(state_.TrackInfo.Title);
    const auto byFileName = [&](const char *name) {
        state_.TitleText = name;
        state_.DisplayText = std::string(name) + "\r\n(" + TextCodec::toUtf8(PathUtil::fileName(path)) + ")";
    };
    if (title.empty()) {
        byFileName("No Title");
    } else if (title == "WAVE_FORMAT_PCM") {
        byFileName("Linear-PCM");
    } else {
        state_.TitleText = title;
        state_.DisplayText = title + "\r\n" + fieldText(state_.TrackInfo.SecondLine);
    }
}

void Krm1000::TitleShow() {
    view_.SetTitleLine(state_.DisplayText);
    std::string caption = state_.TitleText + " - Corvale";
    if (settings_.HalfVolume == 0) caption += "(Volume 1/2)";
    view_.SetWindowCaption(caption);
}

void Krm1000::LyricsCheck() {
    // Without lyrics for the track the line is cleared once, then the tick
    // asks the engine nothing more.
    if (state_.LyricsCleared != 0 && state_.LastLyricsKey == 0) return;
    // A call that fills nothing reads as "no current line".
    state_.LyricsInfo = LyricsData{};
    lib_.vbmp3_getLyrics2(&state_.LyricsInfo);
    const int32_t key = state_.LyricsInfo.Key;
    if (key == state_.LastLyricsKey) return;
    view_.SetLyricsLine(TextCodec::cutToCp932Width(fieldText(state_.LyricsInfo.Text[5]), LyricsLineWidth));
    state_.LastLyricsKey = key;
}

// ------------------------------------------------------------- transport

uint8_t Krm1000::bytPlayStart() {
    logCalled("bytPlayStart");
    state_.PlayState = PlayStates::Playing;
    lib_.vbmp3_play();
    return 0;
}

uint8_t Krm1000::bytPlayStop() {
    logCalled("bytPlayStop");
    state_.PlayState = PlayStates::Stopped;
    lib_.vbmp3_stop();
    return 0;
}

uint8_t Krm1000::bytPlayPause() {
    logCalled("bytPlayPause");
    if (state_.PlayState == PlayStates::Playing) {
        lib_.vbmp3_pause();
        state_.PlayState = PlayStates::Paused;
    } else if (state_.PlayState == PlayStates::Paused) {
        lib_.vbmp3_restart();
        state_.PlayState = PlayStates::Playing;
    }
    return 0;
}

uint8_t Krm1000::bytPlayRewind() {
    logCalled("bytPlayRewind");
    PlayListData &pl = state_.PlayList;
    if (listEmpty()) return 255;

    if (state_.PlayState == PlayStates::Stopped) {
        // Stopped: load the previous track, wrapping to the last one, without playing.
        lib_.vbmp3_close();
        pl.PlayPosition = pl.PlayPosition <= 0 ? pl.LastIndex : static_cast<int16_t>(pl.PlayPosition - 1);
        return bytOpenPlayFile(orderAt(pl.PlayPosition)) != 0 ? 255 : 0;
    }

    const int32_t now = clock_.timeGetTime();
    const int32_t since = Clock::diff(now, state_.LastRewindTime);
    if (!state_.Rewound || since > RewindStepBackMs || since < 0) {
        // Back to the start of this track; playing from there even if it was paused.
        state_.LastRewindTime = now;
        state_.Rewound = true;
        lib_.vbmp3_seek(0);
        lib_.vbmp3_play();
        state_.PlayState = PlayStates::Playing;
        return 0;
    }

    // A second press soon after: the previous track. The time is not renewed,
    // so quick presses keep stepping back.
    if (pl.PlayPosition > 0) {
        --pl.PlayPosition;
    } else if (playMode() == PlayModes::RepeatAll || playMode() == PlayModes::Random) {
        pl.PlayPosition = pl.LastIndex;
    }
    lib_.vbmp3_stop();
    lib_.vbmp3_close();
    if (bytOpenPlayFile(orderAt(pl.PlayPosition)) != 0) return 255;
    lib_.vbmp3_play();
    state_.PlayState = PlayStates::Playing;
    return 0;
}

uint8_t Krm1000::bytPlayForward() {
    logCalled("bytPlayForward");
    PlayListData &pl = state_.PlayList;
    if (listEmpty()) return 255;

    if (pl.PlayPosition >= pl.LastIndex) {
        pl.PlayPosition = 0;
        if (playMode() == PlayModes::Random) TrackRandomize();
    } else {
        ++pl.PlayPosition;
    }
    const bool playing = state_.PlayState == PlayStates::Playing;
    if (playing) {
        lib_.vbmp3_stop();
        lib_.vbmp3_close();
    }
    if (bytOpenPlayFile(orderAt(pl.PlayPosition)) != 0) return 255;
    if (playing) lib_.vbmp3_play();
    return 0;
}

void Krm1000::setRandomSource(RandomSource source) {
    if (source) {
        random_ = std::move(source);
    } else {
        random_ = [this] { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_); };
    }
}

uint32_t Krm1000::randomBelow(uint32_t bound) {
    double f = random_();
    if (!(f >= 0.0)) f = 0.0;  // also NaN
    const double scaled = f * static_cast<double>(bound);
    return scaled >= static_cast<double>(bound) ? bound - 1 : static_cast<uint32_t>(scaled);
}

void Krm1000::TrackRandomize() {
    logCalled("TrackRandomize");
    PlayListData &pl = state_.PlayList;
    if (pl.LastIndex <= 0) return;
    const auto count = static_cast<uint32_t>(pl.LastIndex + 1);
    const int16_t previousLast = orderAt(pl.LastIndex);

    pl.PlayOrder.resize(count);
    std::iota(pl.PlayOrder.begin(), pl.PlayOrder.end(), int16_t{0});
    // The first track is any but the one that ended the previous order ...
    uint32_t first;
    if (previousLast >= 0) {
        first = randomBelow(count - 1);
        if (first >= static_cast<uint32_t>(previousLast)) ++first;
    } else {
        first = randomBelow(count);
    }
    std::swap(pl.PlayOrder[0], pl.PlayOrder[first]);
    // ... and the rest a uniform shuffle of the others.
    for (uint32_t i = count - 1; i > 1; --i) std::swap(pl.PlayOrder[i], pl.PlayOrder[1 + randomBelow(i)]);
}

void Krm1000::stopAndShowButtons() {
    bytPlayStop();
    view_.ButtonEnableCheck();
}

void Krm1000::PlayStateCheck() {
    try {
        int elapsed = 0;
        const int engineState = lib_.vbmp3_getState(&elapsed);
        state_.ElapsedSeconds = elapsed;
        state_.BitRate = lib_.vbmp3_getPlayBitRate();
        if (engineState != 0 || state_.PlayState != PlayStates::Playing) return;

        // The track has ended.
        PlayListData &pl = state_.PlayList;
        const uint8_t mode = playMode();
        const bool repeatsList = mode == PlayModes::RepeatAll || mode == PlayModes::Random;
        if (listEmpty()) {
            stopAndShowButtons();
            return;
        }
        if (mode == PlayModes::RepeatOne || (repeatsList && pl.LastIndex == 0)) {
            // The same track again, unless it never opened.
            if (!trackOpen_) {
                stopAndShowButtons();
                return;
            }
            lib_.vbmp3_stop();
            lib_.vbmp3_play();
            return;
        }
        if (pl.PlayPosition >= pl.LastIndex) {
            if (!repeatsList) {
                stopAndShowButtons();
                return;
            }
            if (mode == PlayModes::Random) TrackRandomize();
            pl.PlayPosition = -1;
        }
        ++pl.PlayPosition;
        lib_.vbmp3_stop();
        lib_.vbmp3_close();
        if (bytOpenPlayFile(orderAt(pl.PlayPosition)) != 0) {
            stopAndShowButtons();
            return;
        }
        lib_.vbmp3_play();
        // The new position may change what previous and next can do.
        view_.ButtonEnableCheck();
    } catch (...) {
    }
}

uint8_t Krm1000::bytPlayModeChange() {
    try {
        PlayListData &pl = state_.PlayList;
        const int16_t current = orderAt(pl.PlayPosition);  // the track playing or loaded
        if (playMode() == PlayModes::Random) {
            // The current track leads the new order, so every other track
            // plays once before any comes again; the readout keeps its number.
            TrackRandomize();
            const auto at = std::find(pl.PlayOrder.begin(), pl.PlayOrder.end(), current);
            if (current >= 0 && at != pl.PlayOrder.end()) {
                std::iter_swap(pl.PlayOrder.begin(), at);
                pl.PlayPosition = 0;
            }
            return 0;
        }
        if (listEmpty()) return 0;
        // List order again, going on from the current track's place in the list.
        if (current >= 0) pl.PlayPosition = current;
        pl.TrackNumber = static_cast<int16_t>(pl.PlayPosition + 1);
        pl.PlayOrder.resize(static_cast<std::size_t>(pl.LastIndex + 1));
        std::iota(pl.PlayOrder.begin(), pl.PlayOrder.end(), int16_t{0});
        return 0;
    } catch (...) {
        return 255;
    }
}

// ------------------------------------------------------ start-up, release

uint8_t Krm1000::KRM1000_Init() {
    logCalled("KRM1000_Init");
    logCalled("vbmp3_init");
    rng_.seed(static_cast<uint32_t>(clock_.timeGetTime()));
    state_.PlayState = PlayStates::Stopped;
    bytPlayListNew();
    state_.LyricsCleared = 255;
    lib_.vbmp3_init();

    const Vbmp3OptionData frames{engineOptions_.InputFrame, engineOptions_.OutputFrame, engineOptions_.InputWait,
                                 engineOptions_.OutputWait};
    const bool framesTaken = lib_.vbmp3_setVbmp3Option(&frames) != 0;
    const DecodeOptionData decode{engineOptions_.InputSample, engineOptions_.OutputChannel,
                                  engineOptions_.OutputSample};
    const bool decodeTaken = lib_.vbmp3_setDecodeOption(&decode) != 0;
    lib_.vbmp3_setKaraokeUse(1);
    return framesTaken && decodeTaken ? 0 : 255;
}

void Krm1000::KRM1000_Free() {
    logCalled("vbmp3_free");
    resetPlayList();
    state_.PlayList.FileList.shrink_to_fit();
    state_.PlayList.PlayOrder.shrink_to_fit();
    trackOpen_ = false;
    lib_.vbmp3_free();
    // Nothing reaches the released library: the wrappers find an empty table
    // and answer without a call (and without a word in the log).
    api_ = Vbmp3Api{};
    lib_.released();
}
