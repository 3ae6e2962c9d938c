#include "vbmp3/WavDecoder.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace {

// Float and double files carry any bit pattern: a NaN or an infinity would
// pass through the filters to the sound device and the analyser, and a huge
// value would overflow the filters. Such samples become silence; the rest is
// kept within 18 dB of full scale, far beyond anything a real file holds.
void keepFinite(float *samples, std::size_t count) {
    constexpr float kLimit = 8.0f;
    for (std::size_t i = 0; i < count; ++i) {
        const float v = samples[i];
        samples[i] = std::isfinite(v) ? std::clamp(v, -kLimit, kLimit) : 0.0f;
    }
}

} // namespace

std::unique_ptr<WavDecoder> WavDecoder::open(int fd, const std::string &riffTagName) {
    SF_INFO sfi{};
    const int own = ::dup(fd);
    if (own < 0)
        return nullptr;
    ::lseek(own, 0, SEEK_SET);
    SNDFILE *file = sf_open_fd(own, SFM_READ, &sfi, SF_TRUE);
    if (!file)
        return nullptr;
    std::unique_ptr<WavDecoder> dec(new WavDecoder);
    dec->file_ = file;
    // A rate beyond any real recording is a broken header: taken at its word
    // it would size the track's buffers in gigabytes.
    constexpr int kMaxRate = 384000;
    if (sfi.samplerate <= 0 || sfi.samplerate > kMaxRate || sfi.channels <= 0 || sfi.frames <= 0)
        return nullptr;
    dec->fileChannels_ = sfi.channels;
    Info &info = dec->info_;
    info.sourceRate = sfi.samplerate;
    info.decodeRate = sfi.samplerate;
    info.sourceChannels = sfi.channels;
    info.lengthFrames = sfi.frames;
    info.averageKbps = static_cast<int>(int64_t(sfi.samplerate) * sfi.channels * bitsOf(sfi.format) / 1000);
    info.title = riffTagName;
    if (sfi.channels > 2)
        dec->scratch_.resize(std::size_t(1024) * std::size_t(sfi.channels));
    return dec;
}

WavDecoder::~WavDecoder() {
    if (file_)
        sf_close(file_);
}

int WavDecoder::bitsOf(int format) {
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

std::size_t WavDecoder::read(float *dst, std::size_t frames) {
    if (ended_)
        return 0;
    std::size_t got = 0;
    if (fileChannels_ <= 2) {
        // Read in place, then widen a mono block from the back.
        got = static_cast<std::size_t>(sf_readf_float(file_, dst, static_cast<sf_count_t>(frames)));
        if (fileChannels_ == 1)
            for (std::size_t i = got; i-- > 0;)
                dst[2 * i] = dst[2 * i + 1] = dst[i];
    } else {
        const std::size_t block = scratch_.size() / std::size_t(fileChannels_);
        while (got < frames) {
            const std::size_t want = std::min(block, frames - got);
            const auto n = static_cast<std::size_t>(
                sf_readf_float(file_, scratch_.data(), static_cast<sf_count_t>(want)));
            for (std::size_t i = 0; i < n; ++i) {
                dst[2 * (got + i)] = scratch_[i * std::size_t(fileChannels_)];
                dst[2 * (got + i) + 1] = scratch_[i * std::size_t(fileChannels_) + 1];
            }
            got += n;
            if (n < want)
                break;
        }
    }
    keepFinite(dst, 2 * got);
    if (got < frames)
        ended_ = true;
    return got;
}

int64_t WavDecoder::seek(int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, info_.lengthFrames);
    const sf_count_t reached = sf_seek(file_, frame, SEEK_SET);
    if (reached < 0)
        return -1;
    ended_ = false;
    return reached;
}
