/*
 * vbmp3.h - the Corvale audio engine library (libvbmp3.so).
 *
 * A C interface, usable from C and C++. Every function returns at once: no
 * call waits on the audio device for more than a few milliseconds. Unless a
 * function says otherwise it returns non-zero on success and 0 on failure or
 * rejection. Strings are UTF-8 and NUL-terminated. All int are 32-bit.
 * Calls made before vbmp3_init or after vbmp3_free do nothing and return 0.
 *
 * (The detailed manual of every call is kept below, next to each function.)
 */
#ifndef VBMP3_H
#define VBMP3_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define VBMP3_API __attribute__((visibility("default")))
#else
#define VBMP3_API
#endif

/* The library's version constant, returned by vbmp3_getVersion. */
#define VBMP3_VERSION 1000

/* Information of the open track (272 bytes). Texts are UTF-8, cut at a
 * character boundary so that they fit with their NUL. */
typedef struct {
    char Title[128];      /* ID3v2 title, else ID3v1 title, else empty; for WAV the format tag name */
    char SecondLine[128]; /* the artist, else empty */
    int32_t Channels;     /* channel count of the source */
    int32_t AverageBitRate; /* kbit/s */
    int32_t SamplingRate; /* Hz, of the source */
    int32_t LengthSeconds; /* whole seconds */
} TrackInfoData;

/* Timed lyrics around the current line (1040 bytes). */
typedef struct {
    int32_t LineCount;       /* lines loaded (a line with several time tags counts once per tag) */
    int32_t Key;             /* 0: no current line; else the current line's position in time order + 1 */
    int32_t LineStartMs;     /* start of the current line */
    int32_t NextLineStartMs; /* start of the next line, or -1 */
    char Text[8][128];       /* 0..4: the five lines before, 5: current line, 6..7: the next two */
} LyricsData;

/* Buffer options. InputFrame and OutputFrame: 1..100 blocks of 256 sample
 * frames at the output rate; InputFrame >= OutputFrame. InputWait 0..50 ms,
 * OutputWait 0..50 ms. */
typedef struct {
    int32_t InputFrame;
    int32_t OutputFrame;
    int32_t InputWait;
    int32_t OutputWait;
} Vbmp3OptionData;

/* Decode options. InputSample 0,1,2: 1:1, 1:1/2, 1:1/4; OutputChannel 0 stereo,
 * 1 mono; OutputSample 8000..48000: the highest output rate. */
typedef struct {
    int32_t InputSample;
    int32_t OutputChannel;
    int32_t OutputSample;
} DecodeOptionData;

#ifdef __cplusplus
static_assert(sizeof(TrackInfoData) == 272, "TrackInfoData must be 272 bytes");
static_assert(sizeof(LyricsData) == 1040, "LyricsData must be 1040 bytes");
static_assert(sizeof(Vbmp3OptionData) == 16, "Vbmp3OptionData must be 16 bytes");
static_assert(sizeof(DecodeOptionData) == 12, "DecodeOptionData must be 12 bytes");
#else
_Static_assert(sizeof(TrackInfoData) == 272, "TrackInfoData must be 272 bytes");
_Static_assert(sizeof(LyricsData) == 1040, "LyricsData must be 1040 bytes");
_Static_assert(sizeof(Vbmp3OptionData) == 16, "Vbmp3OptionData must be 16 bytes");
_Static_assert(sizeof(DecodeOptionData) == 12, "DecodeOptionData must be 12 bytes");
#endif

/* Engine state codes returned by vbmp3_getState. */
#define VBMP3_STATE_STOPPED 0 /* stopped, ended, or nothing open */
#define VBMP3_STATE_PLAYING 1
#define VBMP3_STATE_PAUSED  2

VBMP3_API int vbmp3_init(void);
VBMP3_API int vbmp3_free(void);
VBMP3_API int vbmp3_getVersion(void);
VBMP3_API int vbmp3_setVbmp3Option(const Vbmp3OptionData *o);
VBMP3_API int vbmp3_setDecodeOption(const DecodeOptionData *o);
VBMP3_API int vbmp3_setKaraokeUse(int use);
VBMP3_API int vbmp3_setLyricsTime(int base);
VBMP3_API int vbmp3_setFftWindow(int window);
VBMP3_API int vbmp3_setNotTagLyricsLine(int process);
VBMP3_API int vbmp3_setLyricsAdjustTime(int ms);
VBMP3_API int vbmp3_open(const char *path, TrackInfoData *info);
VBMP3_API int vbmp3_play(void);
VBMP3_API int vbmp3_stop(void);
VBMP3_API int vbmp3_pause(void);
VBMP3_API int vbmp3_restart(void);
VBMP3_API int vbmp3_close(void);
VBMP3_API int vbmp3_seek(int seconds);
VBMP3_API int vbmp3_getState(int *elapsedSeconds);
VBMP3_API int vbmp3_getPlayBitRate(void);
VBMP3_API int vbmp3_clearLyrics(void);
VBMP3_API int vbmp3_setLyricsFile(const char *path);
VBMP3_API int vbmp3_getLyrics2(LyricsData *d);
VBMP3_API int vbmp3_getSpectrum(int32_t left[256], int32_t right[256]);
VBMP3_API int vbmp3_setPitch(int percent);
VBMP3_API int vbmp3_setEqualizer(const int32_t bands[10]);
VBMP3_API int vbmp3_setSoftVolume(int left, int right);
VBMP3_API int vbmp3_reload(void);

#ifdef __cplusplus
}
#endif

#endif /* VBMP3_H */
