// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/dsp/LyricsTimeline.h"

#include "common/TextCodec.h"
#include "common/TextFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <optional>

namespace {

constexpr int64_t TrailingSpanMs = 3000;    // per untimed line after the last timed line
constexpr std::size_t MaxTagChars = 4096;   // a tag longer than this is text
constexpr std::size_t MaxTextBytes = 4096;  // of a line's text looked at before cutting to 127
constexpr std::size_t FieldBytes = 127;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Reads 1..maxDigits digits at s[i]; advances i.
std::optional<int64_t> readNumber(std::string_view s, std::size_t &i, std::size_t maxDigits) {
    const std::size_t start = i;
    int64_t v = 0;
    while (i < s.size() && isDigit(s[i]) && i - start < maxDigits) {
        v = v * 10 + (s[i] - '0');
        ++i;
    }
    if (i == start || (i < s.size() && isDigit(s[i]))) {
        return std::nullopt;
    }
    return v;
}

// The time in ms of a tag's inside ("mm:ss", "mm:ss.xx", "mm:ss:xx", "mm:ss.xxx").
std::optional<int64_t> parseTime(std::string_view inside) {
    std::size_t i = 0;
    const auto minutes = readNumber(inside, i, 5);
    if (!minutes || i >= inside.size() || inside[i] != ':') {
        return std::nullopt;
    }
    ++i;
    const auto seconds = readNumber(inside, i, 2);
    if (!seconds || *seconds > 59) {
        return std::nullopt;
    }
    int64_t ms = (*minutes * 60 + *seconds) * 1000;
    if (i < inside.size()) {
        if (inside[i] != '.' && inside[i] != ':') {
            return std::nullopt;
        }
        ++i;
        const std::size_t start = i;
        const auto fraction = readNumber(inside, i, 3);
        if (!fraction) {
            return std::nullopt;
        }
        const std::size_t digits = i - start;
        ms += digits == 1 ? *fraction * 100 : digits == 2 ? *fraction * 10 : *fraction;
    }
    if (i != inside.size()) {
        return std::nullopt;
    }
    return ms;
}

// The inside of a bracket tag opening at s[i] with `open`, or nothing.
std::optional<std::string_view> tagAt(std::string_view s, std::size_t i, char open, char close) {
    if (i >= s.size() || s[i] != open) {
        return std::nullopt;
    }
    const std::size_t end = s.substr(i + 1, MaxTagChars).find(close);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return s.substr(i + 1, end);
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// [name:value] with a name that starts with a letter: the name and the value.
std::optional<std::pair<std::string, std::string_view>> metadataTag(std::string_view inside) {
    const std::size_t colon = inside.find(':');
    if (colon == std::string_view::npos || colon == 0 || !isLetter(inside[0])) {
        return std::nullopt;
    }
    std::string name;
    for (char c : inside.substr(0, colon)) {
        if (!isLetter(c) && !isDigit(c) && c != '_' && c != '-' && c != ' ') {
            return std::nullopt;
        }
        name.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    }
    return std::make_pair(name, trimBlanks(inside.substr(colon + 1)));
}

std::optional<int64_t> parseOffset(std::string_view value) {
    bool negative = false;
    if (!value.empty() && (value[0] == '+' || value[0] == '-')) {
        negative = value[0] == '-';
        value.remove_prefix(1);
    }
    std::size_t i = 0;
    const auto v = readNumber(value, i, 9);
    if (!v || i != value.size()) {
        return std::nullopt;
    }
    return negative ? -*v : *v;
}

// The text of a line as shown: word-timing tags taken out, control characters
// dropped (a tab becomes a blank), blanks trimmed, cut to fit its field.
std::string displayText(std::string_view raw) {
    const std::string head = TextCodec::cutToUtf8Bytes(raw, MaxTextBytes);
    const std::string_view s = head;
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] == '[' || s[i] == '<') {
            const auto inside = tagAt(s, i, s[i], s[i] == '[' ? ']' : '>');
            if (inside && parseTime(*inside)) {
                i += inside->size() + 2;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '\t') {
            out.push_back(' ');
        } else if (c >= 0x20 && c != 0x7F) {
            out.push_back(s[i]);
        }
        ++i;
    }
    return TextCodec::cutToUtf8Bytes(trimBlanks(out), FieldBytes);
}

}  // namespace

void LyricsTimeline::clear() {
    leading_.clear();
    timed_.clear();
    fileOffsetMs_ = 0;
    starts_.clear();
    texts_.clear();
}

bool LyricsTimeline::loadFile(const std::string &path) {
    const auto bytes = TextFile::readAll(path, MaxFileBytes);
    if (!bytes) {
        clear();
        return false;
    }
    return loadText(*bytes);
}

bool LyricsTimeline::loadText(std::string_view bytes) {
    clear();
    std::string text = TextCodec::toUtf8(bytes);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.erase(0, 3);
    }
    for (const std::string &line : TextCodec::splitLines(text)) {
        const std::string_view s = line;
        std::vector<int64_t> times;
        std::size_t textStart = 0;
        bool metadata = false;
        for (std::size_t i = 0;;) {
            while (i < s.size() && isBlank(s[i])) {
                ++i;
            }
            const auto inside = tagAt(s, i, '[', ']');
            if (!inside) {
                break;
            }
            if (const auto ms = parseTime(*inside)) {
                times.push_back(*ms);
                i += inside->size() + 2;
                textStart = i;
                continue;
            }
            if (times.empty()) {
                if (const auto tag = metadataTag(*inside)) {
                    metadata = true;
                    if (tag->first == "offset") {
                        if (const auto offset = parseOffset(tag->second)) {
                            fileOffsetMs_ = *offset;
                        }
                    }
                }
            }
            break;
        }
        if (metadata) {
            continue;
        }
        std::string shown = displayText(s.substr(textStart));
        if (!times.empty()) {
            timed_.push_back(TimedLine{std::move(times), std::move(shown), {}});
        } else if (!shown.empty()) {
            (timed_.empty() ? leading_ : timed_.back().followers).push_back(std::move(shown));
        }
    }
    if (timed_.empty()) {
        clear();
        return false;
    }
    rebuild();
    return true;
}

void LyricsTimeline::setProcessUntimed(bool process) {
    if (process != processUntimed_) {
        processUntimed_ = process;
        rebuild();
    }
}

void LyricsTimeline::setAdjustMs(int ms) { adjustMs_ = std::clamp(ms, -1000, 1000); }

void LyricsTimeline::rebuild() {
    starts_.clear();
    texts_.clear();
    if (timed_.empty()) {
        return;
    }
    // Every time tag, in time order; equal times keep their order in the file.
    struct Occurrence {
        int64_t ms;
        std::size_t line;
    };
    std::vector<Occurrence> occurrences;
    for (std::size_t l = 0; l < timed_.size(); ++l) {
        for (int64_t t : timed_[l].timesMs) {
            occurrences.push_back({t - fileOffsetMs_, l});
        }
    }
    std::stable_sort(occurrences.begin(), occurrences.end(),
                     [](const Occurrence &a, const Occurrence &b) { return a.ms < b.ms; });

    auto add = [&](int64_t ms, const std::string &text) {
        if (starts_.size() < MaxLines) {
            starts_.push_back(ms);
            texts_.push_back(text);
        }
    };
    if (processUntimed_ && !leading_.empty()) {
        const int64_t first = std::max<int64_t>(occurrences.front().ms, 0);
        const auto parts = static_cast<int64_t>(leading_.size());
        for (int64_t j = 0; j < parts; ++j) {
            add(first * j / parts, leading_[static_cast<std::size_t>(j)]);
        }
    }
    for (std::size_t o = 0; o < occurrences.size() && starts_.size() < MaxLines; ++o) {
        const TimedLine &line = timed_[occurrences[o].line];
        const int64_t start = occurrences[o].ms;
        add(start, line.text);
        if (!processUntimed_ || line.followers.empty()) {
            continue;
        }
        const auto parts = static_cast<int64_t>(line.followers.size()) + 1;
        const int64_t span = o + 1 < occurrences.size() ? occurrences[o + 1].ms - start : parts * TrailingSpanMs;
        for (int64_t j = 1; j < parts; ++j) {
            add(start + span * j / parts, line.followers[static_cast<std::size_t>(j - 1)]);
        }
    }
}

void LyricsTimeline::query(int32_t positionMs, LyricsData *out) const {
    std::memset(out, 0, sizeof(LyricsData));
    out->NextLineStartMs = -1;
    const std::size_t n = starts_.size();
    out->LineCount = static_cast<int32_t>(n);
    if (n == 0) {
        return;
    }
    auto clampMs = [](int64_t v) {
        return static_cast<int32_t>(
            std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    };
    // A line appears adjustMs_ later: compare the unadjusted starts with the
    // position moved back by the adjustment.
    const int64_t p = static_cast<int64_t>(positionMs) - adjustMs_;
    const auto current =
        static_cast<int64_t>(std::upper_bound(starts_.begin(), starts_.end(), p) - starts_.begin()) - 1;
    if (current >= 0) {
        out->Key = static_cast<int32_t>(current + 1);
        out->LineStartMs = clampMs(starts_[static_cast<std::size_t>(current)] + adjustMs_);
    }
    if (current + 1 < static_cast<int64_t>(n)) {
        out->NextLineStartMs = clampMs(starts_[static_cast<std::size_t>(current + 1)] + adjustMs_);
    }
    for (int slot = 0; slot < 8; ++slot) {
        const int64_t index = current - 5 + slot;
        if (index < 0 || index >= static_cast<int64_t>(n)) {
            continue;
        }
        const std::string &text = texts_[static_cast<std::size_t>(index)];
        std::memcpy(out->Text[slot], text.data(), std::min(text.size(), FieldBytes));
    }
}
