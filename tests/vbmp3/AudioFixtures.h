// SPDX-License-Identifier: GPL-3.0-or-later
// Audio files made by the tests themselves (WAV synthesized here, MP3 and MP2 by
// lame / twolame when installed, FLAC, Ogg Vorbis and Opus by libsndfile, ID3
// tags) and small measuring helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fixtures {

enum class Sample { Pcm16, Float32 };

struct Tone {
    int rate = 44100;
    int channels = 2;
    Sample sample = Sample::Pcm16;
    double seconds = 1.0;
    double hz = 1000.0;
    double amplitude = 0.5;  // of full scale
    double rightHz = 0.0;    // another tone on the right channel (0: same as left)
    double sweepToHz = 0.0;  // non-zero: the left tone rises linearly from hz to this
};

std::vector<float> toneFrames(const Tone &t);

// A WAV file of the frames (default: the tone's own) in the tone's rate, channels and
// sample format. dataSizeOverride, when non-zero, is written as the data size (a lying header).
std::string wavBytes(const Tone &t, uint32_t dataSizeOverride = 0, const std::vector<float> *frames = nullptr);

// MPEG data inside a RIFF/WAVE container with format tag 0x55.
std::string riffWrapMp3(const std::string &mp3, int rate, int channels, int kbps);

// The tone as FLAC (24-bit for Sample::Float32), Ogg Vorbis or Opus (8 to 48 kHz)
// by libsndfile, with a UTF-8 title (empty: none).
inline const char *const Compressed[] = {".flac", ".ogg", ".opus"};
bool writeCompressed(const std::string &path, const Tone &t, const std::string &title);

// `wav` encoded by `tool` (lame, twolame) into `out`; "" when the tool is missing.
std::string encode(const std::string &tool, const std::string &args, const std::string &wav, const std::string &out);

// An ID3v2 tag (version 3 or 4) with title and artist frames in the given text
// encoding (0 raw bytes, 1 UTF-16 with BOM (ASCII only), 3 UTF-8), then `padding` zero bytes.
std::string id3v2(int version, const std::string &title, const std::string &artist, int encoding,
                  std::size_t padding = 0);
std::string id3v1(const std::string &title, const std::string &artist);

// Level of the tone at hz in dB of full scale (Goertzel), its frequency from zero crossings.
double toneDb(const float *frames, std::size_t count, int channels, int channel, int rate, double hz);
double measuredHz(const float *frames, std::size_t count, int channels, int channel, int rate);
float peak(const float *frames, std::size_t count, int channels);

// Points SDL at another output driver for the scope (the disk driver writes into `file`).
class AudioDriver {
public:
    explicit AudioDriver(const char *driver, const std::string &file = {});
    ~AudioDriver();
    AudioDriver(const AudioDriver &) = delete;
    AudioDriver &operator=(const AudioDriver &) = delete;

private:
    std::string saved_;
};

// Polls (no assumption on speed) until `done` holds; false after 20 s.
bool waitUntil(const std::function<bool()> &done);
// Waits until the disk driver's `file` stops growing (for half a second): the
// device has gone idle once all it had was played, so the file is complete.
bool waitUntilSettled(const std::string &file);

}  // namespace fixtures
