// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/Decoder.h"

#include "common/AudioFileTypes.h"
#include "vbmp3/MpegDecoder.h"
#include "vbmp3/RiffHeader.h"
#include "vbmp3/SndfileDecoder.h"

#include "common/RegularFile.h"

#include <unistd.h>

#include <cerrno>

namespace {

// The first bytes of the open file (fewer when it is shorter).
std::string head(int fd, std::size_t bytes) {
    std::string h(bytes, '\0');
    std::size_t got = 0;
    while (got < bytes) {
        const ssize_t n = ::pread(fd, h.data() + got, bytes - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    h.resize(got);
    return h;
}

// A RIFF file of another form than WAVE or RMP3 (an AVI, a WebP, a MIDI file
// renamed) holds no audio either library should search byte by byte.
bool isOtherRiffForm(const std::string &h) {
    if (h.size() < 12 || (h.compare(0, 4, "RIFF") != 0 && h.compare(0, 4, "RIFX") != 0 &&
                          h.compare(0, 4, "RF64") != 0 && h.compare(0, 4, "BW64") != 0))
        return false;
    const std::string form = h.substr(8, 4);
    return form != "WAVE" && form != "RMP3";
}

// Owns a descriptor until it is handed on.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// True when the file starts with an ID3v2 tag or an MPEG audio frame header.
bool looksLikeMpeg(const std::string &h) {
    if (h.size() < 4) return false;
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(h[i]); };
    if (h.compare(0, 3, "ID3") == 0) return true;
    // Sync, a valid version and layer, a bit rate index that is not "bad" and a
    // sampling rate index that is not reserved.
    return b(0) == 0xFF && (b(1) & 0xE0) == 0xE0 && (b(1) & 0x18) != 0x08 && (b(1) & 0x06) != 0 &&
           (b(2) & 0xF0) != 0xF0 && (b(2) & 0x0C) != 0x0C;
}

// True when the file starts like a FLAC or Ogg stream.
bool looksLikeFlacOrOgg(const std::string &h) { return h.compare(0, 4, "fLaC") == 0 || h.compare(0, 4, "OggS") == 0; }

// True when the file starts like a container libsndfile reads (other than
// MPEG, which goes to libmpg123 so that its messages stay quiet).
bool looksLikeSndfile(const std::string &h) {
    // WAV variants, AIFF, AU, FLAC, Ogg, CAF, Sony Wave64, NIST SPHERE.
    static const char *const magics[] = {"RIFF", "RIFX", "RF64", "BW64", "FORM", ".snd",
                                         "dns.", "fLaC", "OggS", "caff", "riff", "NIST"};
    for (const char *m : magics)
        if (h.compare(0, std::char_traits<char>::length(m), m) == 0) return true;
    return false;
}

}  // namespace

std::unique_ptr<Decoder> Decoder::openFile(const std::string &path, int inputSample) {
    // Only a regular file: a FIFO or a device with a track's name would block.
    const FileDescriptor file{RegularFile::openForReading(path)};
    if (file.fd < 0) return nullptr;
    const std::string h = head(file.fd, RiffHeader::HeadBytes);
    if (isOtherRiffForm(h)) return nullptr;
    const RiffHeader riff = RiffHeader::parse(h);
    if (riff.isMpeg()) return MpegDecoder::open(file.fd, inputSample, RiffHeader::formatTagName(riff.formatTag()));
    if (riff.isWave()) return SndfileDecoder::open(file.fd, RiffHeader::formatTagName(riff.formatTag()));
    if (looksLikeMpeg(h)) return MpegDecoder::open(file.fd, inputSample, std::string());
    // A FLAC or Ogg stream, or a file named as one, is libsndfile's or nobody's:
    // libmpg123 would find frames in the noise of a damaged one.
    const bool sndfileOnly = looksLikeFlacOrOgg(h) || AudioFileTypes::isSndfileOnlyPath(path);
    if (sndfileOnly || looksLikeSndfile(h)) {
        if (auto other = SndfileDecoder::open(file.fd, std::string())) return other;
        if (sndfileOnly) return nullptr;
    }
    // MPEG audio, possibly after some leading junk.
    return MpegDecoder::open(file.fd, inputSample, std::string());
}
