// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/RiffHeader.h"

#include <cstdio>

namespace {

uint32_t le32(std::string_view b, std::size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

uint16_t le16(std::string_view b, std::size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

constexpr uint16_t Extensible = 0xFFFE;

}  // namespace

RiffHeader RiffHeader::parse(std::string_view head) {
    RiffHeader h;
    if (head.size() < 12 || head.substr(0, 4) != "RIFF" || head.substr(8, 4) != "WAVE") return h;
    std::size_t at = 12;
    while (at + 8 <= head.size()) {
        const std::string_view id = head.substr(at, 4);
        const uint32_t size = le32(head, at + 4);
        const std::size_t body = at + 8;
        if (id == "fmt ") {
            if (size < 2 || body + 2 > head.size()) return h;
            h.tag_ = le16(head, body);
            // WAVEFORMATEXTENSIBLE: the sub-format GUID starts with the real tag.
            if (h.tag_ == Extensible && size >= 40 && body + 26 <= head.size()) h.tag_ = le16(head, body + 24);
            h.wave_ = true;
            return h;
        }
        // Chunks are word aligned.
        const uint64_t next = static_cast<uint64_t>(body) + size + (size & 1u);
        if (next > head.size()) break;
        at = static_cast<std::size_t>(next);
    }
    return h;
}

std::string RiffHeader::formatTagName(uint16_t tag) {
    switch (tag) {
    case 0x0001: return "WAVE_FORMAT_PCM";
    case 0x0002: return "WAVE_FORMAT_ADPCM";
    case 0x0003: return "WAVE_FORMAT_IEEE_FLOAT";
    case 0x0006: return "WAVE_FORMAT_ALAW";
    case 0x0007: return "WAVE_FORMAT_MULAW";
    case 0x0011: return "WAVE_FORMAT_DVI_ADPCM";
    case 0x0022: return "WAVE_FORMAT_DSPGROUP_TRUESPEECH";
    case 0x0031: return "WAVE_FORMAT_GSM610";
    case 0x0040: return "WAVE_FORMAT_G721_ADPCM";
    case 0x0050: return "WAVE_FORMAT_MPEG";
    case 0x0055: return "WAVE_FORMAT_MPEGLAYER3";
    case Extensible: return "WAVE_FORMAT_EXTENSIBLE";
    default: break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "WAVE_FORMAT_0x%04X", static_cast<unsigned>(tag));
    return text;
}
