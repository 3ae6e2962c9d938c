// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * vbmp3.h - the Corvale audio engine library (libvbmp3.so).
 *
 * A C interface, usable from C and C++. Every function returns at once: no
 * call waits on the audio device or the decoder for more than a few
 * milliseconds, and a transport call (play, stop, pause, restart, seek, close)
 * has already changed what vbmp3_getState reports when it returns. Unless a
 * function says otherwise it returns non-zero on success and 0 on failure or
 * rejection. Strings are UTF-8 and NUL-terminated. All int are 32-bit.
 * Calls made before vbmp3_init or after vbmp3_free do nothing and return 0.
 * The functions may be called from any one thread at a time (the library
 * serialises them); the library runs its own threads behind them.
 *
 * Formats
 *   MPEG-1, 2 and 2.5 audio, Layers I, II and III (".mp1", ".mp2", ".mp3"),
 *   also inside a RIFF/WAVE container (".rmp", format tag 0x50 or 0x55), with
 *   libmpg123; WAV with integer PCM, float, ADPCM, A-law, mu-law, FLAC (".flac"),
 *   Ogg Vorbis and Opus (".ogg", ".oga", ".opus") and whatever else libsndfile
 *   reads (also AIFF, AU, CAF). The content decides, not the name, except that a
 *   file named as FLAC or Ogg is never handed to libmpg123 unless it starts like
 *   MPEG audio. A FLAC or Ogg file none of whose audio decodes, or whose length
 *   cannot be told (an Ogg stream cut short), is refused. A source of more than
 *   two channels plays its first two.
 *
 * Threads and buffers
 *   One decoder thread decodes into a lock-free ring at the track's own rate;
 *   the sound device's callback pulls from the ring through the rate converter
 *   (pitch, output-rate cap), the equalizer, the volume ramp and the mono mix.
 *   Output goes through SDL2 audio (whatever SDL picks: PipeWire, PulseAudio,
 *   ALSA; SDL_AUDIODRIVER=disk writes it to SDL_DISKAUDIOFILE). When no device
 *   opens, a silent output takes the audio in real time, so the player still
 *   works; the library then says so once on stderr. The device is opened at the
 *   track's output rate, stereo, 32-bit float, and stays open (sounding
 *   silence) between tracks of the same rate.
 *
 * Positions
 *   Positions are in the track's own time (pitch does not change them). "The
 *   position heard" is the track position of what the device callback handed
 *   over minus the device buffer (OutputFrame x 32 frames), moved on by the time
 *   since the last callback.
 *
 * Version
 *   VBMP3_VERSION, returned by vbmp3_getVersion; the player checks it.
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

/* Information of the open track (272 bytes), filled by vbmp3_open. Texts are
 * UTF-8 (tags that are not valid UTF-8 are read as CP932), cut at a character
 * boundary so that they fit their 128 bytes with the NUL. */
typedef struct {
    char Title[128];        /* MPEG: ID3v2 title, else ID3v1 title, else (inside RIFF) the
                               format tag name, else empty. WAV: the name of the format tag,
                               "WAVE_FORMAT_PCM" (integer PCM), "WAVE_FORMAT_IEEE_FLOAT",
                               "WAVE_FORMAT_ADPCM", "WAVE_FORMAT_DVI_ADPCM", "WAVE_FORMAT_ALAW",
                               "WAVE_FORMAT_MULAW", "WAVE_FORMAT_GSM610", ..., or
                               "WAVE_FORMAT_0x1234" for a tag without a name (an extensible
                               file names its sub-format). FLAC and Ogg: the TITLE comment,
                               else empty. Other containers: empty. */
    char SecondLine[128];   /* the artist (ID3v2, else ID3v1; the ARTIST comment of FLAC and
                               Ogg), else empty */
    int32_t Channels;       /* channel count of the source */
    int32_t AverageBitRate; /* kbit/s: MPEG from the size of the audio data and the length
                               (a constant bit rate stream gives its frames' rate); WAV
                               rate x channels x bits per sample / 1000; FLAC and Ogg the
                               file's size over its length (also their playing bit rate) */
    int32_t SamplingRate;   /* Hz, of the source (before any down-sampling) */
    int32_t LengthSeconds;  /* whole seconds, rounded down */
} TrackInfoData;

/* Timed lyrics around the current line (1040 bytes), filled by
 * vbmp3_getLyrics2. Texts are UTF-8, each cut at a character boundary to 127
 * bytes, empty where there is no line. */
typedef struct {
    int32_t LineCount;       /* lines loaded (a line with several time tags counts once per tag,
                                each processed untimed line once); 0 with lyrics off or none */
    int32_t Key;             /* 0: no current line (no lyrics, or before the first line); else the
                                current line's place in time order + 1, so it changes whenever
                                another line becomes current; never -1 */
    int32_t LineStartMs;     /* start of the current line (adjust time included), 0 when none */
    int32_t NextLineStartMs; /* start of the next line, or -1 */
    char Text[8][128];       /* [0]..[4]: the five lines before the current one, oldest first;
                                [5]: the current line; [6], [7]: the next two (before the first
                                line: the first two) */
} LyricsData;

/* Buffer options (vbmp3_setVbmp3Option). Defaults 30, 20, 5, 0.
 *   InputFrame 1..100: the decoded audio kept ready ahead of the device, in
 *     blocks of 256 sample frames at the output rate (at least 2048 frames of
 *     the track); taken at the next vbmp3_open.
 *   OutputFrame 1..100: the device's buffer, hence the latency, in eighths of a
 *     block: OutputFrame x 32 sample frames at the output rate, at least 128
 *     (20 gives 640 frames: 14.5 ms at 44.1 kHz, 13.3 ms at 48 kHz; 100 gives
 *     3200 frames, 73 ms at 44.1 kHz). The device's callback hands over that
 *     much at a time, so a change of pitch, equalizer or volume, a play, pause
 *     or stop reaches the audio handed to the device within one such period.
 *     Taken when the device is next opened (at the first track, or at a track
 *     of another output rate).
 *   InputWait 0..50: milliseconds the decoder thread waits once the ring is
 *     full before it looks again; it waits at least 1 ms and at least half the
 *     time one decode block (1152 frames) takes to play, so that it wakes
 *     seldom (about 13 ms at 44.1 kHz). At once.
 *   OutputWait 0..50: milliseconds of decoded audio that must be ready before
 *     output starts or resumes (after play, restart, a seek or an underrun);
 *     the rest of the track always suffices. At once.
 * Rejected (0, nothing changes): any value out of range, or InputFrame below
 * OutputFrame. */
typedef struct {
    int32_t InputFrame;
    int32_t OutputFrame;
    int32_t InputWait;
    int32_t OutputWait;
} Vbmp3OptionData;

/* Decode options (vbmp3_setDecodeOption). Defaults 0, 0, 48000.
 *   InputSample 0, 1, 2: decode at 1:1, 1:1/2, 1:1/4 of the source rate
 *     (libmpg123's down-sampling for MPEG; resampling for other sources).
 *     Taken at the next vbmp3_open.
 *   OutputChannel 0 stereo, 1 mono (both channels mixed, the mix played on
 *     both speakers). At once.
 *   OutputSample 8000..48000: the highest output rate; a source above it
 *     (after down-sampling) is resampled down to it. The output rate of a
 *     track is min(source rate after down-sampling, OutputSample). Taken at the
 *     next vbmp3_open.
 * Rejected (0, nothing changes): anything out of range. */
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

/* Engine state codes returned by vbmp3_getState. A track that plays to its end
 * reports 0 from the moment its last sample has been handed to the device (the
 * device may still be sounding its buffer), and its position is then back at
 * its start. */
#define VBMP3_STATE_STOPPED 0 /* stopped, ended, or nothing open */
#define VBMP3_STATE_PLAYING 1
#define VBMP3_STATE_PAUSED 2

/* Starts the library (its decoder thread; the sound device opens with the
 * first track). Defaults: pitch 100, equalizer flat, volume 100 and 100,
 * lyrics off until vbmp3_setKaraokeUse(1), lyrics time base 1, FFT window 1,
 * untimed lyric lines processed, adjust 0, the option defaults above. Pitch,
 * equalizer and volume keep their values across vbmp3_open and vbmp3_close.
 * A second call while started changes nothing and returns 1. */
VBMP3_API int vbmp3_init(void);
/* Ends everything: a playing track stops at once, every thread is joined and
 * the device is closed. Returns 0 when the library was not started. */
VBMP3_API int vbmp3_free(void);
/* VBMP3_VERSION. */
VBMP3_API int vbmp3_getVersion(void);
/* See Vbmp3OptionData. */
VBMP3_API int vbmp3_setVbmp3Option(const Vbmp3OptionData *o);
/* See DecodeOptionData. */
VBMP3_API int vbmp3_setDecodeOption(const DecodeOptionData *o);
/* Timed lyrics: 1 on, 0 off (vbmp3_getLyrics2 then reports no lines).
 * Other values are rejected. */
VBMP3_API int vbmp3_setKaraokeUse(int use);
/* The position lyrics follow: 1 "standard time", the position heard; 0
 * "WinAmp time", the position decoded (handed to the device), which runs
 * ahead of the one heard by the device buffer, for lyrics timed against such
 * players. Other values are rejected. */
VBMP3_API int vbmp3_setLyricsTime(int base);
/* Window of the spectrum's FFT: 0 rectangle, 1 Hanning, 2 Hamming,
 * 3 Blackman. Other values are rejected. */
VBMP3_API int vbmp3_setFftWindow(int window);
/* Lyric lines without a time tag: 1 processed (each is shown after the timed
 * line before it, sharing that line's time span in equal parts; after the
 * last timed line 3 s each; before the first timed line they share the time
 * from 0 to it), 0 dropped. Takes effect at once, also on loaded lyrics. */
VBMP3_API int vbmp3_setNotTagLyricsLine(int process);
/* -1000..1000: every lyric line appears that much later (earlier when
 * negative). Out of range: rejected. */
VBMP3_API int vbmp3_setLyricsAdjustTime(int ms);
/* Opens a track: stops and closes the one open first, then loads the new one,
 * stopped, at its start, and fills info. On failure (0) info is zeroed and
 * nothing is open. A damaged file opens if anything in it can be decoded and
 * plays what can be decoded. */
VBMP3_API int vbmp3_open(const char *path, TrackInfoData *info);
/* Plays the loaded track from its current position (its start after a stop
 * or after it ended). While playing: nothing changes. 0 with nothing open. */
VBMP3_API int vbmp3_play(void);
/* Stops handing the track's audio to the device (a 3 ms fade) and moves the
 * position to the start of the track. 0 with nothing open. */
VBMP3_API int vbmp3_stop(void);
/* Pauses a playing track (a 3 ms fade) where it is. While stopped or paused:
 * nothing changes. 0 with nothing open. */
VBMP3_API int vbmp3_pause(void);
/* Same as vbmp3_play: resumes a paused track, plays a stopped one. */
VBMP3_API int vbmp3_restart(void);
/* Stops and closes the track. 0 with nothing open. */
VBMP3_API int vbmp3_close(void);
/* Moves the position to `seconds` of the track (below 0: its start; beyond
 * its end: the end, so a playing track ends) while stopped, paused or
 * playing; the state stays. 0 with nothing open. */
VBMP3_API int vbmp3_seek(int seconds);
/* Returns VBMP3_STATE_STOPPED (0: stopped, ended or nothing open),
 * VBMP3_STATE_PLAYING (1) or VBMP3_STATE_PAUSED (2). *elapsedSeconds (may be
 * null) receives the position heard now in whole seconds of the track's own
 * time (rounded down); while paused the paused position; while stopped the
 * position a play would start from; 0 with nothing open. */
VBMP3_API int vbmp3_getState(int *elapsedSeconds);
/* kbit/s of the audio being heard: for MPEG that of the frame being heard (it
 * moves with VBR), for WAV rate x channels x bits / 1000, for FLAC and Ogg
 * their average (TrackInfoData.AverageBitRate); while paused or
 * stopped with a track loaded, the last value; 0 with nothing open. */
VBMP3_API int vbmp3_getPlayBitRate(void);
/* Forgets the lyrics loaded. */
VBMP3_API int vbmp3_clearLyrics(void);
/* Loads timed lyrics (".txt", ".lrc", ".kra": one syntax), replacing those
 * loaded. The file is UTF-8 (a byte order mark is skipped), else CP932; lines
 * end in CR LF, LF or CR; files over 4 MiB are not read. A line carries one or
 * more time tags [mm:ss], [mm:ss.x], [mm:ss.xx], [mm:ss:xx] or [mm:ss.xxx]
 * and is shown at each of them; time tags inside the text (word timing,
 * <mm:ss.xx>) are removed from it. [offset:+n] / [offset:-n] shifts the file
 * by n ms as in LRC files (a positive offset makes lines appear earlier);
 * other [name:value] lines are metadata, never shown. Returns 0, leaving no
 * lyrics, when the file cannot be read or holds no time tag. */
VBMP3_API int vbmp3_setLyricsFile(const char *path);
/* Fills d for the position chosen by vbmp3_setLyricsTime (see LyricsData). */
VBMP3_API int vbmp3_getLyrics2(LyricsData *d);
/* The spectrum of the sound being heard now (after equalizer, volume and mono
 * mix): a 512-point FFT per channel of the latest 512 output frames, with the
 * window of vbmp3_setFftWindow; bin k covers k x output rate / 512 Hz. Each
 * value is 2 x (level in dB relative to a full-scale sine + 60), rounded and
 * clamped to 0..120: a full-scale sine reads 120 at its bin (whatever the
 * window), -30 dB reads 60, silence and anything below -60 dB read 0. Both
 * arrays are all 0 while nothing plays (stopped, paused, ended). */
VBMP3_API int vbmp3_getSpectrum(int32_t left[256], int32_t right[256]);
/* Playback rate 50..300 percent, like a turntable (tempo and pitch together),
 * gliding to the new rate over one device period (no click), also while
 * playing. Positions and lyrics follow the track's own time. Outside the
 * range: rejected, nothing changes. */
VBMP3_API int vbmp3_setPitch(int percent);
/* Ten peaking bands (one octave wide) at 31, 62, 125, 250, 500, 1000, 2000,
 * 4000, 8000 and 16000 Hz; each value is a gain in units of 0.2 dB (30 is
 * +6 dB), clamped to -100..100. A band whose centre lies above 0.45 x the
 * output rate stays flat. The equalizer never raises the level: its input is
 * lowered by the largest boost of the whole response. Stored; heard after
 * vbmp3_reload. */
VBMP3_API int vbmp3_setEqualizer(const int32_t bands[10]);
/* Volume per side in percent, 0..100 (the gain is percent / 100: 50 is
 * -6 dB). Out of range: rejected. Stored; heard after vbmp3_reload. */
VBMP3_API int vbmp3_setSoftVolume(int left, int right);
/* Applies the stored equalizer and volume: the change glides in (volume over
 * 10 ms; the equalizer cross-fades from the old filters to the new ones over
 * 10 ms, 20 ms at most when an earlier change is still fading, and never goes
 * above the louder of the two) from the next device period on, without a
 * click. */
VBMP3_API int vbmp3_reload(void);

#ifdef __cplusplus
}
#endif

#endif /* VBMP3_H */
