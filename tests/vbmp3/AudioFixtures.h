// Audio files made by the tests themselves: WAV synthesized in code, MP3 and MP2
// encoded with lame / twolame (tests skip when the tool is missing), MP3 wrapped
// in RIFF/WAVE, ID3 tags, FLAC, Ogg Vorbis and Opus written by libsndfile; and
// small measuring helpers.
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
    double amplitude = 0.5;      // of full scale
    double rightHz = 0.0;        // another tone on the right channel (0: same as left)
};

// Interleaved float frames of a tone.
std::vector<float> toneFrames(const Tone &t);

// The bytes of a WAV file holding the tone. dataSizeOverride, when non-zero, is
// written as the data chunk's size instead of the real one (a lying header).
std::string wavBytes(const Tone &t, uint32_t dataSizeOverride = 0);

// The same MPEG data inside a RIFF/WAVE container with format tag 0x55.
std::string riffWrapMp3(const std::string &mp3, int rate, int channels, int kbps);

// The tone as FLAC (24-bit for Sample::Float32), Ogg Vorbis or Opus (8 to 48
// kHz) by libsndfile, with a UTF-8 title and artist (empty: none).
enum class Compressed { Flac, Vorbis, Opus };
struct CompressedFile {
    Compressed format;
    const char *extension;
};
extern const CompressedFile kCompressed[3];
bool writeCompressed(const std::string &path, const Tone &t, Compressed format, const std::string &title,
                     const std::string &artist);

// An ID3v2 tag (version 3 or 4) with a title and an artist frame in the given
// text encoding (0 raw bytes, 1 UTF-16 with BOM, 3 UTF-8), followed by
// `padding` zero bytes.
std::string id3v2(int version, const std::string &title, const std::string &artist, int encoding,
                  std::size_t padding = 0);

// An ID3v1 tag.
std::string id3v1(const std::string &title, const std::string &artist);

bool haveTool(const char *name);

// Runs `command` through the shell; true on exit status 0.
bool run(const std::string &command);

// Level of the component at hz, in dB relative to full scale (Goertzel over
// the given channel of interleaved frames).
double toneDb(const float *frames, std::size_t count, int channels, int channel, int rate, double hz);

// The frequency of a tone from its zero crossings on one channel.
double measuredHz(const float *frames, std::size_t count, int channels, int channel, int rate);

// Peak absolute sample.
float peak(const float *frames, std::size_t count, int channels);

std::string readFile(const std::string &path);

// Points SDL at another output driver for the scope (the disk driver writes
// into `file`), then restores the previous choice.
class AudioDriver {
public:
    explicit AudioDriver(const char *driver, const std::string &file = {});
    ~AudioDriver();
    AudioDriver(const AudioDriver &) = delete;
    AudioDriver &operator=(const AudioDriver &) = delete;

private:
    std::string saved_;
};

// Polls (without any assumption on speed) until `done` holds; false after 20 s.
bool waitUntil(const std::function<bool()> &done);

// Waits until `file` has grown by `bytes` beyond its size now: what the device
// still had to play has reached the disk driver's file.
bool waitForGrowth(const std::string &file, std::size_t bytes);

} // namespace fixtures
