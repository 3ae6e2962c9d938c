// SPDX-License-Identifier: GPL-3.0-or-later
// Title and artist from the raw bytes of an ID3v2 tag (versions 2.2, 2.3 and
// 2.4, header included) and of an ID3v1 tag (the 128 bytes that start with
// "TAG").
//
// ID3v2 text frames in ISO-8859-1 and ID3v1 fields are raw bytes in practice
// (Japanese files carry CP932 there): they are taken as UTF-8 when they are
// valid UTF-8, else as CP932. UTF-16 frames (with or without a byte-order mark)
// and UTF-8 frames are converted. Unsynchronisation (tag-wide or per frame),
// extended headers and data-length indicators are undone; compressed or
// encrypted frames are skipped. A damaged tag gives what could be read before
// the damage. The ID3v2 text wins; ID3v1 fills a field ID3v2 left empty.
#pragma once

#include <cstddef>
#include <string>

class Id3Tags {
public:
    static Id3Tags parse(const unsigned char *v2, std::size_t v2Size, const unsigned char *v1, std::size_t v1Size);

    const std::string &title() const { return title_; }
    const std::string &artist() const { return artist_; }

private:
    void parseV2(const unsigned char *tag, std::size_t size);
    void parseV1(const unsigned char *tag, std::size_t size);

    std::string title_;
    std::string artist_;
};
