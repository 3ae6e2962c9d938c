// The engine library's functions as a table of pointers. The real table is
// filled by the loader from libvbmp3.so; tests hand the modules a fake one.
// A null entry means the library lacks that function: callers test the entry
// before calling and report that the call cannot be made.
#pragma once

#include "vbmp3/vbmp3.h"

// X(name, return, parameters)
#define VBMP3_API_FUNCTIONS(X)                                              \
    X(vbmp3_init, int, (void))                                              \
    X(vbmp3_free, int, (void))                                              \
    X(vbmp3_getVersion, int, (void))                                        \
    X(vbmp3_setVbmp3Option, int, (const Vbmp3OptionData *))                 \
    X(vbmp3_setDecodeOption, int, (const DecodeOptionData *))               \
    X(vbmp3_setKaraokeUse, int, (int))                                      \
    X(vbmp3_setLyricsTime, int, (int))                                      \
    X(vbmp3_setFftWindow, int, (int))                                       \
    X(vbmp3_setNotTagLyricsLine, int, (int))                                \
    X(vbmp3_setLyricsAdjustTime, int, (int))                                \
    X(vbmp3_open, int, (const char *, TrackInfoData *))                     \
    X(vbmp3_play, int, (void))                                              \
    X(vbmp3_stop, int, (void))                                              \
    X(vbmp3_pause, int, (void))                                             \
    X(vbmp3_restart, int, (void))                                           \
    X(vbmp3_close, int, (void))                                             \
    X(vbmp3_seek, int, (int))                                               \
    X(vbmp3_getState, int, (int *))                                         \
    X(vbmp3_getPlayBitRate, int, (void))                                    \
    X(vbmp3_clearLyrics, int, (void))                                       \
    X(vbmp3_setLyricsFile, int, (const char *))                             \
    X(vbmp3_getLyrics2, int, (LyricsData *))                                \
    X(vbmp3_getSpectrum, int, (int32_t *, int32_t *))                       \
    X(vbmp3_setPitch, int, (int))                                           \
    X(vbmp3_setEqualizer, int, (const int32_t *))                           \
    X(vbmp3_setSoftVolume, int, (int, int))                                 \
    X(vbmp3_reload, int, (void))

struct Vbmp3Api {
#define VBMP3_API_MEMBER(name, ret, params) ret(*name) params = nullptr;
    VBMP3_API_FUNCTIONS(VBMP3_API_MEMBER)
#undef VBMP3_API_MEMBER
};
