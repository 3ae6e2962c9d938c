// SPDX-License-Identifier: GPL-3.0-or-later
// The engine library's functions as a table of pointers. The real table is
// filled by the loader from libvbmp3.so; tests hand the modules a fake one.
// A null entry means the library lacks that function; the modules call
// through Vbmp3Calls, which answers such a call in one place.
#pragma once

#include "vbmp3/vbmp3.h"

// X(name, return, parameters, the answer when the library lacks the function)
#define VBMP3_API_FUNCTIONS(X)                                   \
    X(vbmp3_init, int, (void), 0)                                \
    X(vbmp3_free, int, (void), 0)                                \
    X(vbmp3_getVersion, int, (void), -1)                         \
    X(vbmp3_setVbmp3Option, int, (const Vbmp3OptionData *), 0)   \
    X(vbmp3_setDecodeOption, int, (const DecodeOptionData *), 0) \
    X(vbmp3_setKaraokeUse, int, (int), 0)                        \
    X(vbmp3_setLyricsTime, int, (int), 0)                        \
    X(vbmp3_setFftWindow, int, (int), 0)                         \
    X(vbmp3_setNotTagLyricsLine, int, (int), 0)                  \
    X(vbmp3_setLyricsAdjustTime, int, (int), 0)                  \
    X(vbmp3_open, int, (const char *, TrackInfoData *), 0)       \
    X(vbmp3_play, int, (void), 0)                                \
    X(vbmp3_stop, int, (void), 0)                                \
    X(vbmp3_pause, int, (void), 0)                               \
    X(vbmp3_restart, int, (void), 0)                             \
    X(vbmp3_close, int, (void), 0)                               \
    X(vbmp3_seek, int, (int), 0)                                 \
    X(vbmp3_getState, int, (int *), 0)                           \
    X(vbmp3_getPlayBitRate, int, (void), 0)                      \
    X(vbmp3_clearLyrics, int, (void), 0)                         \
    X(vbmp3_setLyricsFile, int, (const char *), 0)               \
    X(vbmp3_getLyrics2, int, (LyricsData *), 0)                  \
    X(vbmp3_getSpectrum, int, (int32_t *, int32_t *), 0)         \
    X(vbmp3_setPitch, int, (int), 0)                             \
    X(vbmp3_setEqualizer, int, (const int32_t *), 0)             \
    X(vbmp3_setSoftVolume, int, (int, int), 0)                   \
    X(vbmp3_reload, int, (void), 0)

struct Vbmp3Api {
#define VBMP3_API_MEMBER(name, ret, params, missing) ret(*name) params = nullptr;
    VBMP3_API_FUNCTIONS(VBMP3_API_MEMBER)
#undef VBMP3_API_MEMBER
};
