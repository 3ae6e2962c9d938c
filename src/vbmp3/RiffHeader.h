// SPDX-License-Identifier: GPL-3.0-or-later
// The head of a RIFF/WAVE file: is it one, and which format tag does its "fmt "
// chunk name. Only the first 64 KiB are looked at; a file without a readable
// "fmt " chunk there is not taken as WAVE.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class RiffHeader {
public:
    // How much of the start of a file parse looks at.
    static constexpr std::size_t HeadBytes = 64 * 1024;
    // Parses the head given as bytes (the start of a file).
    static RiffHeader parse(std::string_view head);

    bool isWave() const { return wave_; }
    // The format tag; for WAVE_FORMAT_EXTENSIBLE the tag of its sub-format.
    uint16_t formatTag() const { return tag_; }
    bool isMpeg() const { return wave_ && (tag_ == 0x0050 || tag_ == 0x0055); }

    // "WAVE_FORMAT_PCM", "WAVE_FORMAT_IEEE_FLOAT", ... for the well-known tags;
    // "WAVE_FORMAT_0x1234" style for the others.
    static std::string formatTagName(uint16_t tag);

private:
    bool wave_ = false;
    uint16_t tag_ = 0;
};
