#include "vbmp3/Decoder.h"

#include "vbmp3/MpegDecoder.h"
#include "vbmp3/RiffHeader.h"
#include "vbmp3/WavDecoder.h"

#include <fstream>

namespace {

std::string head(const std::string &path, std::size_t bytes) {
    std::ifstream in(path, std::ios::binary);
    std::string h(bytes, '\0');
    in.read(h.data(), static_cast<std::streamsize>(bytes));
    h.resize(static_cast<std::size_t>(in.gcount()));
    return h;
}

// True when the file starts with an ID3v2 tag or an MPEG audio frame header.
bool looksLikeMpeg(const std::string &h) {
    if (h.size() < 4)
        return false;
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(h[i]); };
    if (h.compare(0, 3, "ID3") == 0)
        return true;
    // Sync, a valid version and layer, a bit rate index that is not "bad" and a
    // sampling rate index that is not reserved.
    return b(0) == 0xFF && (b(1) & 0xE0) == 0xE0 && (b(1) & 0x18) != 0x08 && (b(1) & 0x06) != 0 &&
           (b(2) & 0xF0) != 0xF0 && (b(2) & 0x0C) != 0x0C;
}

// True when the file starts like a container libsndfile reads (other than
// MPEG, which goes to libmpg123 so that its messages stay quiet).
bool looksLikeSndfile(const std::string &h) {
    // WAV variants, AIFF, AU, FLAC, Ogg, CAF, Sony Wave64, NIST SPHERE.
    static const char *const magics[] = {"RIFF", "RIFX", "RF64", "BW64", "FORM", ".snd",
                                         "dns.", "fLaC", "OggS", "caff", "riff", "NIST"};
    for (const char *m : magics)
        if (h.compare(0, std::char_traits<char>::length(m), m) == 0)
            return true;
    return false;
}

} // namespace

std::unique_ptr<Decoder> Decoder::openFile(const std::string &path, int inputSample) {
    const RiffHeader riff = RiffHeader::readFile(path);
    if (riff.isMpeg())
        return MpegDecoder::open(path, inputSample, RiffHeader::formatTagName(riff.formatTag()));
    if (riff.isWave())
        return WavDecoder::open(path, RiffHeader::formatTagName(riff.formatTag()));
    const std::string h = head(path, 16);
    if (!looksLikeMpeg(h) && looksLikeSndfile(h)) {
        if (auto other = WavDecoder::open(path, std::string()))
            return other;
    }
    // MPEG audio, possibly after some leading junk.
    return MpegDecoder::open(path, inputSample, std::string());
}
