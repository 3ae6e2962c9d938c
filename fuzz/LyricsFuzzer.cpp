// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes as a lyrics file: load them, then walk the timeline from before the
// first line to past the last with untimed-line processing on and off.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "FuzzCheck.h"
#include "common/TextCodec.h"
#include "vbmp3/dsp/LyricsTimeline.h"

namespace {

void checkRecord(const LyricsTimeline &lyrics, int32_t position, const LyricsData &d) {
    FUZZ_CHECK(d.LineCount == static_cast<int32_t>(lyrics.lineCount()));
    FUZZ_CHECK(d.Key >= 0 && d.Key <= d.LineCount);
    if (d.Key > 0) FUZZ_CHECK(d.LineStartMs <= position);
    FUZZ_CHECK(d.NextLineStartMs == -1 || d.NextLineStartMs > position || d.NextLineStartMs == INT32_MAX);
    for (const auto &field : d.Text) {
        FUZZ_CHECK(field[sizeof field - 1] == '\0');
        const std::string_view text(field, std::strlen(field));
        FUZZ_CHECK(TextCodec::isValidUtf8(text));
        for (char c : text) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    }
}

void walk(const LyricsTimeline &lyrics) {
    LyricsData d;
    for (int32_t p : {INT32_MIN, -1, 0, 1, 59999, INT32_MAX}) {
        lyrics.query(p, &d);
        checkRecord(lyrics, p, d);
    }
    // Line by line: each next start makes the following line current.
    lyrics.query(INT32_MIN, &d);
    int32_t lastKey = d.Key;
    for (int step = 0; step < 200 && d.NextLineStartMs != -1 && d.NextLineStartMs != INT32_MAX; ++step) {
        const int32_t p = d.NextLineStartMs;
        lyrics.query(p, &d);
        checkRecord(lyrics, p, d);
        FUZZ_CHECK(d.Key > lastKey);
        lastKey = d.Key;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    constexpr std::size_t MaxBytes = 256 * 1024;
    if (size > MaxBytes) return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);

    LyricsTimeline lyrics;
    lyrics.setAdjustMs(static_cast<int>(size % 2001) - 1000);
    const bool loaded = lyrics.loadText(bytes);
    FUZZ_CHECK(loaded == (lyrics.lineCount() > 0));
    if (!loaded) return 0;
    FUZZ_CHECK(lyrics.lineCount() <= LyricsTimeline::MaxLines);
    walk(lyrics);
    lyrics.setProcessUntimed(false);
    walk(lyrics);
    return 0;
}
