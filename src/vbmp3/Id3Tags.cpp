// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/Id3Tags.h"

#include "common/TextCodec.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

uint32_t syncsafe(const unsigned char *p) {
    return (uint32_t(p[0] & 0x7F) << 21) | (uint32_t(p[1] & 0x7F) << 14) | (uint32_t(p[2] & 0x7F) << 7) |
           uint32_t(p[3] & 0x7F);
}

uint32_t be32(const unsigned char *p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

uint32_t be24(const unsigned char *p) { return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | uint32_t(p[2]); }

// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
std::vector<unsigned char> resync(const unsigned char *p, std::size_t n) {
    std::vector<unsigned char> out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(p[i]);
        if (p[i] == 0xFF && i + 1 < n && p[i + 1] == 0x00) ++i;
    }
    return out;
}

// UTF-16 up to its first NUL; a byte-order mark decides the order, else
// bigEndian. Lone surrogates become U+FFFD.
std::string utf16ToUtf8(const unsigned char *p, std::size_t n, bool bigEndian) {
    std::size_t i = 0;
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        bigEndian = false;
        i = 2;
    } else if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        bigEndian = true;
        i = 2;
    }
    auto unit = [&](std::size_t at) -> uint32_t {
        return bigEndian ? (uint32_t(p[at]) << 8 | p[at + 1]) : (uint32_t(p[at + 1]) << 8 | p[at]);
    };
    std::string out;
    for (; i + 1 < n; i += 2) {
        uint32_t u = unit(i);
        if (u == 0) break;
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < n) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                TextCodec::appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u < 0xE000) u = 0xFFFD;
        TextCodec::appendUtf8(out, u);
    }
    return out;
}

std::string_view upToNul(const unsigned char *p, std::size_t n) {
    std::size_t len = 0;
    while (len < n && p[len] != 0) ++len;
    return std::string_view(reinterpret_cast<const char *>(p), len);
}

// The text of a text frame's body (encoding byte first); the first value only.
std::string frameText(const unsigned char *p, std::size_t n) {
    if (n < 1) return {};
    const unsigned char encoding = p[0];
    ++p;
    --n;
    switch (encoding) {
    case 1: return utf16ToUtf8(p, n, false);
    case 2: return utf16ToUtf8(p, n, true);
    default: return TextCodec::toUtf8(upToNul(p, n));
    }
}

std::string trimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

}  // namespace

Id3Tags Id3Tags::parse(const unsigned char *v2, std::size_t v2Size, const unsigned char *v1, std::size_t v1Size) {
    Id3Tags tags;
    if (v2 && v2Size > 0) tags.parseV2(v2, v2Size);
    if (v1 && v1Size > 0) tags.parseV1(v1, v1Size);
    return tags;
}

void Id3Tags::parseV2(const unsigned char *tag, std::size_t size) {
    if (size < 10 || tag[0] != 'I' || tag[1] != 'D' || tag[2] != '3') return;
    const int version = tag[3];
    if (version < 2 || version > 4) return;
    const unsigned char flags = tag[5];
    std::size_t bodySize = syncsafe(tag + 6);
    if (bodySize > size - 10) bodySize = size - 10;

    std::vector<unsigned char> body;
    // Before 2.4 unsynchronisation covers the whole tag; in 2.4 each frame says.
    if ((flags & 0x80) && version < 4)
        body = resync(tag + 10, bodySize);
    else
        body.assign(tag + 10, tag + 10 + bodySize);
    const bool unsyncAll = (flags & 0x80) && version == 4;

    std::size_t at = 0;
    if ((flags & 0x40) && version >= 3 && body.size() >= 4) {
        // Extended header: 2.3 counts the bytes after its size field, 2.4 itself.
        const std::size_t ext = version == 3 ? be32(body.data()) + 4 : syncsafe(body.data());
        at = ext;
    }

    const std::size_t headerSize = version == 2 ? 6 : 10;
    while (at + headerSize <= body.size()) {
        const unsigned char *h = body.data() + at;
        if (h[0] == 0) break;  // padding
        std::string_view id(reinterpret_cast<const char *>(h), version == 2 ? 3 : 4);
        std::size_t frameSize;
        unsigned char formatFlags = 0;
        if (version == 2) {
            frameSize = be24(h + 3);
        } else if (version == 3) {
            frameSize = be32(h + 4);
            formatFlags = h[9];
        } else {
            frameSize = syncsafe(h + 4);
            // Some writers put plain sizes in 2.4 tags: believe the plain size
            // when the syncsafe one does not land on a frame or on the end.
            const std::size_t plain = be32(h + 4);
            const std::size_t afterSafe = at + headerSize + frameSize;
            const bool safeLands = afterSafe == body.size() ||
                                   (afterSafe + 4 <= body.size() &&
                                    (body[afterSafe] == 0 || (body[afterSafe] >= 'A' && body[afterSafe] <= 'Z')));
            if (!safeLands && plain != frameSize && at + headerSize + plain <= body.size()) frameSize = plain;
            formatFlags = h[9];
        }
        const std::size_t dataAt = at + headerSize;
        if (frameSize > body.size() - dataAt) break;  // damaged: keep what was read
        const unsigned char *data = body.data() + dataAt;
        std::size_t dataSize = frameSize;
        at = dataAt + frameSize;

        const bool isTitle = id == "TIT2" || id == "TT2";
        const bool isArtist = id == "TPE1" || id == "TP1";
        if (!isTitle && !isArtist) continue;

        std::vector<unsigned char> frameBody;
        if (version == 3) {
            if (formatFlags & 0xC0) continue;  // compressed or encrypted
            if (formatFlags & 0x20) {
                if (dataSize < 1) continue;
                ++data;  // grouping identity
                --dataSize;
            }
        } else if (version == 4) {
            if (formatFlags & 0x0C) continue;  // compressed or encrypted
            if (formatFlags & 0x40) {
                if (dataSize < 1) continue;
                ++data;
                --dataSize;
            }
            if (formatFlags & 0x01) {
                if (dataSize < 4) continue;
                data += 4;  // data length indicator
                dataSize -= 4;
            }
            if ((formatFlags & 0x02) || unsyncAll) {
                frameBody = resync(data, dataSize);
                data = frameBody.data();
                dataSize = frameBody.size();
            }
        }
        std::string text = frameText(data, dataSize);
        if (isTitle && title_.empty())
            title_ = std::move(text);
        else if (isArtist && artist_.empty())
            artist_ = std::move(text);
    }
}

void Id3Tags::parseV1(const unsigned char *tag, std::size_t size) {
    if (size < 128 || tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G') return;
    if (title_.empty()) title_ = TextCodec::toUtf8(trimRight(std::string(upToNul(tag + 3, 30))));
    if (artist_.empty()) artist_ = TextCodec::toUtf8(trimRight(std::string(upToNul(tag + 33, 30))));
}
