#include "vbmp3/Decoder.h"

#include "vbmp3/MpegDecoder.h"
#include "vbmp3/RiffHeader.h"
#include "vbmp3/WavDecoder.h"

#include <fstream>

namespace {

// True when the file starts with an ID3v2 tag or an MPEG audio frame header.
bool looksLikeMpeg(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[4] = {0, 0, 0, 0};
    in.read(reinterpret_cast<char *>(head), 4);
    if (in.gcount() < 4)
        return false;
    if (head[0] == 'I' && head[1] == 'D' && head[2] == '3')
        return true;
    // Sync, a valid version and layer, a bit rate index that is not "bad" and a
    // sampling rate index that is not reserved.
    return head[0] == 0xFF && (head[1] & 0xE0) == 0xE0 && (head[1] & 0x18) != 0x08 &&
           (head[1] & 0x06) != 0 && (head[2] & 0xF0) != 0xF0 && (head[2] & 0x0C) != 0x0C;
}

} // namespace

std::unique_ptr<Decoder> Decoder::openFile(const std::string &path, int inputSample) {
    const RiffHeader riff = RiffHeader::readFile(path);
    const std::string tagName = riff.isWave() ? RiffHeader::formatTagName(riff.formatTag()) : std::string();
    if (riff.isMpeg())
        return MpegDecoder::open(path, inputSample, tagName);
    if (!riff.isWave() && looksLikeMpeg(path))
        return MpegDecoder::open(path, inputSample, std::string());
    if (auto wav = WavDecoder::open(path, tagName))
        return wav;
    // Not a container libsndfile knows: MPEG audio after some leading junk?
    if (!riff.isWave())
        return MpegDecoder::open(path, inputSample, std::string());
    return nullptr;
}
