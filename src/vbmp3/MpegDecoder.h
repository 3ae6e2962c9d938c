// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG-1, 2 and 2.5 audio, Layers I, II and III, through libmpg123; also an
// MPEG stream inside a RIFF/WAVE container, which libmpg123 reads directly.
//
// Output is stereo float at the decode rate (libmpg123 doubles mono and does
// the half / quarter down-sampling). Tags come from the raw ID3 bytes. The
// bit rate of the audio last read moves with VBR streams.
#pragma once

#include "vbmp3/Decoder.h"

#include <memory>

struct mpg123_handle_struct;

class MpegDecoder : public Decoder {
public:
    // Null when libmpg123 finds no MPEG audio in the file. riffTagName is the
    // title to use when the file is RIFF-wrapped and has no ID3 title.
    // The open file fd is read from its start; the decoder keeps a descriptor
    // of its own.
    static std::unique_ptr<MpegDecoder> open(int fd, int inputSample, const std::string &riffTagName);
    ~MpegDecoder() override;

    std::size_t read(float *dst, std::size_t frames) override;
    int currentKbps() const override { return kbps_; }
    int64_t seek(int64_t frame) override;

private:
    MpegDecoder() = default;
    void updateKbps();

    // The file, read through a buffer: libmpg123 looks for a frame header a
    // byte at a time, and a read call per byte costs a second per 100 KiB of junk.
    struct Source;

    std::unique_ptr<Source> source_;  // outlives handle_
    mpg123_handle_struct *handle_ = nullptr;
    int kbps_ = 0;
    bool ended_ = false;
};
