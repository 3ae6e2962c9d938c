// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace {

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not valid.
std::size_t utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return 1;
    std::size_t len;
    uint32_t cp;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else
        return 0;
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)) return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    if (cp > 0x10FFFF) return 0;
    return len;
}

uint32_t decodeAt(std::string_view s, std::size_t i, std::size_t len) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (len == 1) return b0;
    uint32_t cp = b0 & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return cp;
}

// Converts with iconv; on an undecodable sequence writes `replacement` and
// skips `skipOnError` input bytes.
std::string convert(const char *to, const char *from, std::string_view in, std::string_view replacement,
                    bool skipUtf8Char) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    out.reserve(in.size() * 3 / 2 + 16);
    char buf[4096];
    auto *inPtr = const_cast<char *>(in.data());
    std::size_t inLeft = in.size();
    while (inLeft > 0) {
        char *outPtr = buf;
        std::size_t outLeft = sizeof buf;
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buf, static_cast<std::size_t>(outPtr - buf));
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: replace one character (or byte) and go on.
        out.append(replacement);
        std::size_t skip = 1;
        if (skipUtf8Char) {
            const std::size_t pos = static_cast<std::size_t>(inPtr - in.data());
            const std::size_t len = utf8SequenceLength(in, pos);
            skip = len == 0 ? 1 : len;
        } else if (errno == EILSEQ && inLeft >= 2) {
            // A CP932 lead byte followed by a byte that does not complete it: skip the lead byte only.
            skip = 1;
        }
        if (skip > inLeft) skip = inLeft;
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char *outPtr = buf;
    std::size_t outLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buf, static_cast<std::size_t>(outPtr - buf));
    iconv_close(cd);
    return out;
}

}  // namespace

bool TextCodec::isValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = utf8SequenceLength(bytes, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string TextCodec::toUtf8(std::string_view bytes) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    return cp932ToUtf8(bytes);
}

std::string TextCodec::cp932ToUtf8(std::string_view cp932) {
    return convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", false);
}

std::string TextCodec::utf8ToCp932(std::string_view utf8) { return convert("CP932", "UTF-8", utf8, "?", true); }

namespace {
std::size_t charWidth(uint32_t cp) {
    if (cp < 0x80) return 1;
    if (cp >= 0xFF61 && cp <= 0xFF9F) return 1;  // half-width katakana
    return 2;
}
}  // namespace

std::size_t TextCodec::cp932Width(std::string_view utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t len = utf8SequenceLength(utf8, i);
        if (len == 0) {
            width += 1;
            i += 1;
            continue;
        }
        width += charWidth(decodeAt(utf8, i, len));
        i += len;
    }
    return width;
}

std::string TextCodec::cutToCp932Width(std::string_view utf8, std::size_t maxBytes) {
    std::size_t width = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t len = utf8SequenceLength(utf8, i);
        const std::size_t w = len == 0 ? 1 : charWidth(decodeAt(utf8, i, len));
        if (len == 0) len = 1;
        if (width + w > maxBytes) break;
        width += w;
        i += len;
    }
    return std::string(utf8.substr(0, i));
}

std::string TextCodec::cutToUtf8Bytes(std::string_view utf8, std::size_t maxBytes) {
    if (utf8.size() <= maxBytes) return std::string(utf8);
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t len = utf8SequenceLength(utf8, i);
        if (len == 0) len = 1;
        if (i + len > maxBytes) break;
        i += len;
    }
    return std::string(utf8.substr(0, i));
}

std::vector<std::string> TextCodec::splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

void TextCodec::appendUtf8(std::string &out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
