// SPDX-License-Identifier: GPL-3.0-or-later
// WAV (integer PCM, float, ADPCM, A-law, mu-law, ...), FLAC, Ogg Vorbis, Opus
// and whatever else libsndfile reads, as stereo float at the file's own rate.
//
// The title of a RIFF/WAVE file is the name of its format tag
// ("WAVE_FORMAT_PCM", "WAVE_FORMAT_IEEE_FLOAT", "WAVE_FORMAT_ADPCM", ...). FLAC
// and Ogg files take title and artist from their Vorbis comments (UTF-8, else
// CP932); other containers have no title. The bit rate of uncompressed audio is
// rate x channels x bits / 1000; of FLAC and Ogg, the file's size over its
// length, which is also the bit rate shown while it plays.
#pragma once

#include "vbmp3/Decoder.h"

#include <memory>
#include <vector>

struct sf_private_tag;

class SndfileDecoder : public Decoder {
public:
    // Null when libsndfile cannot read the open file fd (read from its
    // start; the decoder keeps a descriptor of its own). riffTagName is the title.
    static std::unique_ptr<SndfileDecoder> open(int fd, const std::string &riffTagName);
    ~SndfileDecoder() override;

    std::size_t read(float *dst, std::size_t frames) override;
    int currentKbps() const override { return info_.averageKbps; }
    int64_t seek(int64_t frame) override;

    // Bits per sample of a libsndfile sub-format (ADPCM 4, PCM 16 ...).
    static int bitsOf(int format);

private:
    SndfileDecoder() = default;
    // Tags, bit rate and a first decoded block of a FLAC or Ogg file; false
    // when not even that block decodes.
    bool openCompressed(int fd);

    sf_private_tag *file_ = nullptr;
    int fileChannels_ = 0;
    std::vector<float> scratch_;  // multi-channel frames before the stereo mix
    bool ended_ = false;
};
