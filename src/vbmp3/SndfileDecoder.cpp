// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/SndfileDecoder.h"

#include "common/TextCodec.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Float and double files carry any bit pattern: a NaN or an infinity would
// pass through the filters to the sound device and the analyser, and a huge
// value would overflow the filters. Such samples become silence; the rest is
// kept within 18 dB of full scale, far beyond anything a real file holds.
void keepFinite(float *samples, std::size_t count) {
    constexpr float Limit = 8.0f;
    for (std::size_t i = 0; i < count; ++i) {
        const float v = samples[i];
        samples[i] = std::isfinite(v) ? std::clamp(v, -Limit, Limit) : 0.0f;
    }
}

}  // namespace

std::unique_ptr<SndfileDecoder> SndfileDecoder::open(int fd, const std::string &riffTagName) {
    SF_INFO sfi{};
    const int own = ::dup(fd);
    if (own < 0) return nullptr;
    ::lseek(own, 0, SEEK_SET);
    SNDFILE *file = sf_open_fd(own, SFM_READ, &sfi, SF_TRUE);
    if (!file) return nullptr;
    std::unique_ptr<SndfileDecoder> dec(new SndfileDecoder);
    dec->file_ = file;
    // A rate beyond any real recording is a broken header: taken at its word
    // it would size the track's buffers in gigabytes.
    constexpr int MaxRate = 384000;
    if (sfi.samplerate <= 0 || sfi.samplerate > MaxRate || sfi.channels <= 0 || sfi.frames <= 0) return nullptr;
    // An Ogg stream cut short has no last page to tell its length (libsndfile
    // then reports the largest count); nor can a length be played that the
    // seconds readout cannot hold.
    if (sfi.frames / sfi.samplerate > INT32_MAX) return nullptr;
    dec->fileChannels_ = sfi.channels;
    Info &info = dec->info_;
    info.sourceRate = sfi.samplerate;
    info.decodeRate = sfi.samplerate;
    info.sourceChannels = sfi.channels;
    info.lengthFrames = sfi.frames;
    info.averageKbps = static_cast<int>(int64_t(sfi.samplerate) * sfi.channels * bitsOf(sfi.format) / 1000);
    info.title = riffTagName;
    if (sfi.channels > 2) dec->scratch_.resize(std::size_t(1024) * std::size_t(sfi.channels));
    const int container = sfi.format & SF_FORMAT_TYPEMASK;
    if ((container == SF_FORMAT_FLAC || container == SF_FORMAT_OGG) && !dec->openCompressed(fd)) return nullptr;
    return dec;
}

bool SndfileDecoder::openCompressed(int fd) {
    const auto tag = [this](int which) {
        const char *text = sf_get_string(file_, which);
        return text ? TextCodec::toUtf8(text) : std::string();
    };
    info_.title = tag(SF_STR_TITLE);
    info_.artist = tag(SF_STR_ARTIST);
    struct stat st {};
    const bool sized = ::fstat(fd, &st) == 0;
    const auto bytes = sized ? st.st_size : 0;
    const double seconds = double(info_.lengthFrames) / info_.sourceRate;
    // (A header claiming a few frames in a large file gives an absurd rate:
    // kept within what an int holds.)
    const double kbps = !sized ? 0.0 : double(bytes) * 8.0 / seconds / 1000.0;
    info_.averageKbps = static_cast<int>(std::lround(std::min(kbps, 1e7)));
    // A file whose headers are whole but whose audio is missing or broken
    // (cut after its headers, damaged) decodes nothing: refused, as a broken
    // MPEG file is.
    std::vector<float> first(std::size_t(64) * std::size_t(fileChannels_));
    return sf_readf_float(file_, first.data(), 64) > 0 && sf_seek(file_, 0, SEEK_SET) == 0;
}

SndfileDecoder::~SndfileDecoder() {
    if (file_) sf_close(file_);
}

int SndfileDecoder::bitsOf(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 32;
    case SF_FORMAT_DOUBLE: return 64;
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_G721_32: return 4;
    case SF_FORMAT_G723_24: return 3;
    case SF_FORMAT_G723_40: return 5;
    default: return 16;
    }
}

std::size_t SndfileDecoder::read(float *dst, std::size_t frames) {
    if (ended_) return 0;
    std::size_t got = 0;
    if (fileChannels_ <= 2) {
        // Read in place, then widen a mono block from the back.
        got = static_cast<std::size_t>(sf_readf_float(file_, dst, static_cast<sf_count_t>(frames)));
        if (fileChannels_ == 1)
            for (std::size_t i = got; i-- > 0;) dst[2 * i] = dst[2 * i + 1] = dst[i];
    } else {
        const std::size_t block = scratch_.size() / std::size_t(fileChannels_);
        while (got < frames) {
            const std::size_t want = std::min(block, frames - got);
            const auto n =
                static_cast<std::size_t>(sf_readf_float(file_, scratch_.data(), static_cast<sf_count_t>(want)));
            for (std::size_t i = 0; i < n; ++i) {
                dst[2 * (got + i)] = scratch_[i * std::size_t(fileChannels_)];
                dst[2 * (got + i) + 1] = scratch_[i * std::size_t(fileChannels_) + 1];
            }
            got += n;
            if (n < want) break;
        }
    }
    keepFinite(dst, 2 * got);
    if (got < frames) ended_ = true;
    return got;
}

int64_t SndfileDecoder::seek(int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, info_.lengthFrames);
    const sf_count_t reached = sf_seek(file_, frame, SEEK_SET);
    if (reached < 0) return -1;
    ended_ = false;
    return reached;
}
