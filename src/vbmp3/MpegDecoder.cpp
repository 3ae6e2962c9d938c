// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/MpegDecoder.h"

#include "vbmp3/Id3Tags.h"

#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

// Bytes libmpg123 may skip looking for the next frame header after a bad
// one (real streams lose sync for a few bytes at most); at the start it
// skips up to 64 KiB of junk whatever this says.
constexpr long ResyncLimitBytes = 1024;

}  // namespace

struct MpegDecoder::Source {
    int fd = -1;
    unsigned char buffer[16 * 1024];
    std::size_t at = 0;    // next byte of the buffer to hand out
    std::size_t held = 0;  // bytes in the buffer
    off_t end = 0;         // file position of the buffer's end

    ~Source() {
        if (fd >= 0) ::close(fd);
    }

    static mpg123_ssize_t read(void *self, void *dst, std::size_t bytes) {
        auto &s = *static_cast<Source *>(self);
        if (s.at == s.held) {
            ssize_t n;
            do n = ::read(s.fd, s.buffer, sizeof s.buffer);
            while (n < 0 && errno == EINTR);
            if (n <= 0) return n;
            s.at = 0;
            s.held = static_cast<std::size_t>(n);
            s.end += n;
        }
        const std::size_t n = std::min(bytes, s.held - s.at);
        std::memcpy(dst, s.buffer + s.at, n);
        s.at += n;
        return static_cast<mpg123_ssize_t>(n);
    }

    static off_t seek(void *self, off_t offset, int whence) {
        auto &s = *static_cast<Source *>(self);
        const off_t here = s.end - static_cast<off_t>(s.held - s.at);
        off_t target = offset;
        if (whence == SEEK_CUR)
            target = here + offset;
        else if (whence != SEEK_SET)
            target = -1;  // SEEK_END below
        const off_t bufferStart = s.end - static_cast<off_t>(s.held);
        if (target >= bufferStart && target <= s.end) {
            s.at = static_cast<std::size_t>(target - bufferStart);
            return target;
        }
        const off_t reached = whence == SEEK_END ? ::lseek(s.fd, offset, SEEK_END) : ::lseek(s.fd, target, SEEK_SET);
        if (reached >= 0) {
            s.at = s.held = 0;
            s.end = reached;
        }
        return reached;
    }
};

std::unique_ptr<MpegDecoder> MpegDecoder::open(int fd, int inputSample, const std::string &riffTagName) {
    int err = MPG123_OK;
    mpg123_handle *mh = mpg123_new(nullptr, &err);
    if (!mh) return nullptr;
    std::unique_ptr<MpegDecoder> dec(new MpegDecoder);
    dec->handle_ = mh;
    dec->source_ = std::make_unique<Source>();
    dec->source_->fd = ::dup(fd);
    if (dec->source_->fd < 0 || ::lseek(dec->source_->fd, 0, SEEK_SET) != 0 ||
        mpg123_replace_reader_handle(mh, &Source::read, &Source::seek, nullptr) != MPG123_OK)
        return nullptr;

    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_STORE_RAW_ID3 | MPG123_GAPLESS, 0);
    mpg123_param(mh, MPG123_VERBOSE, 0, 0);
    mpg123_param(mh, MPG123_DOWN_SAMPLE, inputSample, 0);
    // Never search far for the next frame: in a file that is no MPEG audio
    // (random data, another format) the search would go on to its end.
    mpg123_param(mh, MPG123_RESYNC_LIMIT, ResyncLimitBytes, 0);
    // Stereo float only: libmpg123 doubles a mono stream, and keeps the rate it
    // starts with should a later frame change it.
    mpg123_format_none(mh);
    const long *rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i) mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_open_handle(mh, dec->source_.get()) != MPG123_OK) return nullptr;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) return nullptr;
    mpg123_format_none(mh);
    mpg123_format(mh, rate, MPG123_STEREO, MPG123_ENC_FLOAT_32);

    mpg123_frameinfo2 fi{};
    if (mpg123_info2(mh, &fi) != MPG123_OK || fi.rate <= 0) return nullptr;

    Info &info = dec->info_;
    info.mpeg = true;
    info.sourceRate = static_cast<int>(fi.rate);
    info.sourceChannels = fi.mode == MPG123_M_MONO ? 1 : 2;
    info.decodeRate = static_cast<int>(rate);
    const off_t length = mpg123_length(mh);
    info.lengthFrames = length > 0 ? static_cast<int64_t>(length) : 0;

    // Average bit rate from the size of the audio data; a constant bit rate
    // stream reads exactly its frames' rate.
    struct stat st {};
    const bool sized = ::fstat(dec->source_->fd, &st) == 0;
    const auto fileSize = static_cast<double>(st.st_size);
    unsigned char *v1 = nullptr;
    unsigned char *v2 = nullptr;
    std::size_t v1Size = 0;
    std::size_t v2Size = 0;
    mpg123_id3_raw(mh, &v1, &v1Size, &v2, &v2Size);
    const off_t firstFrame = mpg123_framepos(mh);
    const double seconds = info.decodeRate > 0 ? double(info.lengthFrames) / info.decodeRate : 0.0;
    if (sized && seconds > 0.0) {
        double audioBytes = double(fileSize) - double(firstFrame > 0 ? firstFrame : 0) - double(v1Size);
        if (audioBytes < 0) audioBytes = 0;
        info.averageKbps = static_cast<int>(std::lround(audioBytes * 8.0 / seconds / 1000.0));
    }
    if (fi.bitrate > 0 && std::abs(info.averageKbps - fi.bitrate) * 100 <= fi.bitrate * 3)
        info.averageKbps = fi.bitrate;
    if (info.averageKbps <= 0) info.averageKbps = fi.bitrate;
    dec->kbps_ = fi.bitrate;

    const Id3Tags tags = Id3Tags::parse(v2, v2Size, v1, v1Size);
    info.title = tags.title();
    info.artist = tags.artist();
    if (info.title.empty()) info.title = riffTagName;
    // The tags are copied: let libmpg123 drop its copy of a large tag.
    mpg123_meta_free(mh);
    return dec;
}

MpegDecoder::~MpegDecoder() {
    if (handle_) {
        mpg123_close(handle_);
        mpg123_delete(handle_);
    }
}

void MpegDecoder::updateKbps() {
    mpg123_frameinfo2 fi{};
    if (mpg123_info2(handle_, &fi) == MPG123_OK && fi.bitrate > 0) kbps_ = fi.bitrate;
}

std::size_t MpegDecoder::read(float *dst, std::size_t frames) {
    if (ended_) return 0;
    std::size_t got = 0;
    while (got < frames) {
        std::size_t done = 0;
        const int r = mpg123_read(handle_, reinterpret_cast<unsigned char *>(dst + got * 2),
                                  (frames - got) * 2 * sizeof(float), &done);
        got += done / (2 * sizeof(float));
        if (r == MPG123_OK || r == MPG123_NEW_FORMAT) {
            if (done == 0 && r == MPG123_OK) break;
            continue;
        }
        // MPG123_DONE, or an error libmpg123 could not resync past.
        ended_ = true;
        break;
    }
    updateKbps();
    return got;
}

int64_t MpegDecoder::seek(int64_t frame) {
    if (frame < 0) frame = 0;
    const off_t reached = mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET);
    if (reached < 0) return -1;
    ended_ = false;
    return static_cast<int64_t>(reached);
}
