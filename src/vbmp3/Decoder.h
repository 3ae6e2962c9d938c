// SPDX-License-Identifier: GPL-3.0-or-later
// A source of decoded audio: one open file, read as stereo float frames.
//
// Decoder::openFile looks at the content, not the name: a RIFF/WAVE file whose
// format tag is MPEG audio (0x50, 0x55), or anything that starts with an ID3v2
// tag or an MPEG frame, goes to libmpg123; FLAC and Ogg streams, and files
// named as such, go to libsndfile alone; everything else libsndfile can read
// goes to libsndfile; what neither accepts is refused. Only regular files are
// opened, and a RIFF file of another form than WAVE (or RMP3, MPEG in RIFF) is
// refused at once.
//
// Every decoder hands out interleaved stereo float frames (a mono source is
// doubled, a source of more than two channels gives its first two) at its
// decode rate: the source rate, or for MPEG a half or a quarter of it when
// libmpg123's down-sampling was asked for.
//
// A decoder belongs to one thread at a time: it is opened on the player's
// thread (which needs its information at once) and then handed to the decoder
// thread for good.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class Decoder {
public:
    struct Info {
        std::string title;   // UTF-8, not cut
        std::string artist;  // UTF-8, not cut
        int sourceRate = 0;  // Hz, of the file
        int sourceChannels = 0;
        int decodeRate = 0;        // Hz, of the frames read() gives
        int64_t lengthFrames = 0;  // at the decode rate
        int averageKbps = 0;
        bool mpeg = false;
    };

    virtual ~Decoder() = default;

    // Opens path; inputSample 0, 1, 2 asks for the full, half or quarter rate
    // (MPEG decoders do it themselves; for others the rate converter does).
    // Returns null when the file cannot be read as audio.
    static std::unique_ptr<Decoder> openFile(const std::string &path, int inputSample);

    const Info &info() const { return info_; }

    // Reads up to `frames` stereo frames into dst; returns the frames read. 0 is
    // the end of the track (also after a read error: what could be decoded has
    // been given).
    virtual std::size_t read(float *dst, std::size_t frames) = 0;

    // kbit/s of the audio last read.
    virtual int currentKbps() const = 0;

    // Moves to `frame` (at the decode rate, clamped to the track); returns the
    // frame reached, or -1 when the file cannot seek (the decoder then stays
    // where it was).
    virtual int64_t seek(int64_t frame) = 0;

protected:
    Info info_;
};
