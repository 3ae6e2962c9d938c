// SPDX-License-Identifier: GPL-3.0-or-later
// Timed lyrics: reads a lyrics file and tells which line is current at a given
// track position.
//
// Files (".txt", ".lrc", ".kra", all the same syntax): UTF-8, or CP932 when the
// file is not valid UTF-8 (a UTF-8 byte order mark is skipped); lines end in
// CR LF, LF or CR. Files over 4 MiB are not read (no lyrics file is that big;
// a huge or binary file cannot hang the player). Text shown is cut to 127 bytes
// at a character boundary.
//
// A line starts with one or more time tags:
//   [mm:ss]  [mm:ss.x]  [mm:ss.xx]  [mm:ss.xxx]  [mm:ss:xx]
// (minutes of any width up to 5 digits, seconds 0..59; after '.' or ':' one
// digit is tenths, two are hundredths, three are milliseconds; blanks may stand
// between tags). A line with several tags is shown at each of their times and
// counts once per tag. Time tags further on in the text (word timing in .kra
// files and enhanced LRC "<mm:ss.xx>" tags) are taken out of the text shown and
// do not add lines. A timed line with no text is kept: it blanks the display.
//
// A line that starts with a tag of the form [name:value] (name beginning with a
// letter: [ti:...], [ar:...], [al:...], [by:...], ...) is metadata and is never
// shown. [offset:+n] / [offset:-n] shifts the whole file by n ms, as in LRC
// files: a POSITIVE offset makes every line appear EARLIER (a line tagged
// 00:10.00 under [offset:+500] appears at 9.5 s), a negative one later. The
// last offset tag in the file wins. Times may become negative this way; such a
// line is current from the start of the track.
//
// Lines without a time tag ("untimed"), when processing them is on (the
// default): each is shown after the timed line before it in the file, sharing
// that line's time span (up to the next line in time order) in equal parts; a
// timed line with several tags takes its untimed followers with it at each of
// its times. After the last timed line there is no next line: the span is then
// taken as 3 seconds per line. Untimed lines before the first timed line (a
// title and artist heading, say) share the time from 0 to the first timed line
// in equal parts. When processing is off they are dropped. Blank untimed lines
// are always dropped. A file without a single time tag gives no lyrics.
//
// Adjust (-1000..1000 ms, clamped): every line appears that much later (earlier
// when negative); the start times query() reports include it.
//
// Not thread-safe: the engine calls it from one thread at a time. query() is a
// binary search plus eight short copies, cheap enough for every 10 ms tick.
#pragma once

#include "vbmp3/vbmp3.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class LyricsTimeline {
public:
    static constexpr std::size_t MaxFileBytes = 4u * 1024u * 1024u;
    static constexpr std::size_t MaxLines = 50000;  // lines kept in time order, at most

    // Loads a file; false (and no lyrics) when it cannot be read or holds no time tag.
    bool loadFile(const std::string &path);
    // Loads file contents; false (and no lyrics) when they hold no time tag.
    bool loadText(std::string_view bytes);
    void clear();

    void setProcessUntimed(bool process);
    bool processUntimed() const { return processUntimed_; }
    void setAdjustMs(int ms);
    int adjustMs() const { return adjustMs_; }

    // Lines in time order (each time tag and each processed untimed line counts).
    std::size_t lineCount() const { return starts_.size(); }

    // Fills the whole record for a track position in ms:
    // LineCount the lines loaded; Key 0 when no line is current (no lyrics, or
    // before the first line), else the current line's place in time order + 1;
    // LineStartMs the current line's start (0 when none); NextLineStartMs the
    // next line's start or -1; Text[0..4] the five lines before the current one
    // (oldest first), Text[5] the current line, Text[6..7] the next two, empty
    // where there is none. Before the first line, Text[6..7] hold the first two.
    void query(int32_t positionMs, LyricsData *out) const;

private:
    struct TimedLine {
        std::vector<int64_t> timesMs;  // as tagged, before the offset
        std::string text;
        std::vector<std::string> followers;  // untimed lines after it in the file
    };

    void rebuild();

    std::vector<std::string> leading_;  // untimed lines before the first timed line
    std::vector<TimedLine> timed_;
    int64_t fileOffsetMs_ = 0;
    bool processUntimed_ = true;
    int adjustMs_ = 0;

    std::vector<int64_t> starts_;  // time order, offset applied, adjust not
    std::vector<std::string> texts_;
};
