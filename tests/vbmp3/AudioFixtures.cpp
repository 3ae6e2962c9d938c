// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioFixtures.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace fixtures {

namespace {

void put16(std::string &s, uint32_t v) { s += {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }

void put32(std::string &s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// A RIFF/WAVE file of a format chunk and a data chunk (whose size field may lie).
std::string riff(const std::string &format, const std::string &data, uint32_t dataSize) {
    std::string s = "RIFF";
    put32(s, static_cast<uint32_t>(4 + 8 + format.size() + 8 + data.size() + (data.size() & 1)));
    s += "WAVEfmt ";
    put32(s, static_cast<uint32_t>(format.size()));
    s += format + "data";
    put32(s, dataSize);
    return s + data + std::string(data.size() & 1, '\0');
}

// Big-endian in 8-bit bytes, or syncsafe in 7-bit ones.
void putBe32(std::string &s, uint32_t v, int bits = 8) {
    for (int i = 3; i >= 0; --i) s += static_cast<char>((v >> (bits * i)) & ((1u << bits) - 1));
}

}  // namespace

std::vector<float> toneFrames(const Tone &t) {
    const auto frames = static_cast<std::size_t>(t.seconds * t.rate);
    std::vector<float> out(frames * std::size_t(t.channels));
    double phase = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < t.channels; ++c) {
            const double hz = (c == 1 && t.rightHz > 0) ? t.rightHz : t.hz;
            const double at = t.sweepToHz > 0 ? phase : 2.0 * M_PI * hz * double(i) / t.rate;
            out[i * std::size_t(t.channels) + std::size_t(c)] = static_cast<float>(t.amplitude * std::sin(at));
        }
        phase += 2.0 * M_PI * (t.hz + (t.sweepToHz - t.hz) * double(i) / double(frames)) / t.rate;
    }
    return out;
}

std::string wavBytes(const Tone &t, uint32_t dataSizeOverride, const std::vector<float> *frames) {
    const std::vector<float> own = frames ? std::vector<float>() : toneFrames(t);
    const int bytesPer = t.sample == Sample::Pcm16 ? 2 : 4;
    std::string data;
    for (float v : frames ? *frames : own) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        if (t.sample == Sample::Pcm16)
            put16(data, static_cast<uint32_t>(std::lround(std::fmax(-1.0, std::fmin(1.0, v)) * 32767.0)));
        else
            put32(data, bits);
    }
    std::string s;
    put16(s, t.sample == Sample::Pcm16 ? 1 : 3);
    put16(s, static_cast<uint32_t>(t.channels));
    put32(s, static_cast<uint32_t>(t.rate));
    put32(s, static_cast<uint32_t>(t.rate * t.channels * bytesPer));
    put16(s, static_cast<uint32_t>(t.channels * bytesPer));
    put16(s, static_cast<uint32_t>(bytesPer * 8));
    return riff(s, data, dataSizeOverride ? dataSizeOverride : static_cast<uint32_t>(data.size()));
}

std::string riffWrapMp3(const std::string &mp3, int rate, int channels, int kbps) {
    std::string s;
    put16(s, 0x55);
    put16(s, static_cast<uint32_t>(channels));
    put32(s, static_cast<uint32_t>(rate));
    put32(s, static_cast<uint32_t>(kbps * 1000 / 8));
    s.append("\x01\0\0\0\x0c\0\x01\0\x02\0\0\0\xa1\x01\x01\0\x71\x05", 18);  // MPEGLAYER3WAVEFORMAT's rest
    return riff(s, mp3, static_cast<uint32_t>(mp3.size()));
}

std::string id3v2(int version, const std::string &title, const std::string &artist, int encoding, std::size_t padding) {
    auto frame = [&](const char *id, const std::string &text) {
        std::string body(1, static_cast<char>(encoding));
        if (encoding == 1) {
            body += "\xFF\xFE";
            for (char c : text) put16(body, static_cast<unsigned char>(c));
        } else {
            body += text;
        }
        std::string f = id;
        putBe32(f, static_cast<uint32_t>(body.size()), version == 4 ? 7 : 8);
        return text.empty() ? std::string() : f + std::string(2, '\0') + body;
    };
    const std::string frames = frame("TIT2", title) + frame("TPE1", artist) + std::string(padding, '\0');
    std::string tag = std::string("ID3") + static_cast<char>(version) + std::string(2, '\0');
    putBe32(tag, static_cast<uint32_t>(frames.size()), 7);
    return tag + frames;
}

std::string id3v1(const std::string &title, const std::string &artist) {
    std::string tag = "TAG" + title.substr(0, 30);
    tag.resize(33, '\0');
    tag += artist.substr(0, 30);
    tag.resize(127, '\0');
    return tag + '\xFF';
}

bool writeCompressed(const std::string &path, const Tone &t, const std::string &title) {
    SF_INFO info{};
    info.samplerate = t.rate;
    info.channels = t.channels;
    const int depth = t.sample == Sample::Pcm16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24;
    info.format = path.ends_with(".flac")   ? SF_FORMAT_FLAC | depth
                  : path.ends_with(".opus") ? SF_FORMAT_OGG | SF_FORMAT_OPUS
                                            : SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    if (!title.empty()) sf_set_string(file, SF_STR_TITLE, title.c_str());
    const std::vector<float> frames = toneFrames(t);
    const auto count = static_cast<sf_count_t>(frames.size() / std::size_t(t.channels));
    const bool written = sf_writef_float(file, frames.data(), count) == count;
    return sf_close(file) == 0 && written;
}

std::string encode(const std::string &tool, const std::string &args, const std::string &wav, const std::string &out) {
    const bool ok = std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0 &&
                    std::system((tool + " --quiet " + args + " '" + wav + "' '" + out + "'").c_str()) == 0;
    return ok ? out : std::string();
}

double toneDb(const float *frames, std::size_t count, int channels, int channel, int rate, double hz) {
    const double coeff = 2.0 * std::cos(2.0 * M_PI * hz / rate);
    double s1 = 0.0;
    double s2 = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double s0 = frames[i * std::size_t(channels) + std::size_t(channel)] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    const double amplitude = 2.0 * std::sqrt(std::fmax(power, 0.0)) / double(std::max<std::size_t>(count, 1));
    return 20.0 * std::log10(std::fmax(amplitude, 1e-10));
}

double measuredHz(const float *frames, std::size_t count, int channels, int channel, int rate) {
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t crossings = 0;
    for (std::size_t i = 1; i < count; ++i) {
        if (frames[(i - 1) * std::size_t(channels) + std::size_t(channel)] < 0.0f &&
            frames[i * std::size_t(channels) + std::size_t(channel)] >= 0.0f) {
            first = crossings++ ? first : i;
            last = i;
        }
    }
    return crossings < 2 ? 0.0 : double(crossings - 1) * rate / double(last - first);
}

float peak(const float *frames, std::size_t count, int channels) {
    float p = 0.0f;
    for (std::size_t i = 0; i < count * std::size_t(channels); ++i) p = std::fmax(p, std::fabs(frames[i]));
    return p;
}

AudioDriver::AudioDriver(const char *driver, const std::string &file) {
    const char *old = std::getenv("SDL_AUDIODRIVER");
    saved_ = old ? old : "";
    setenv("SDL_AUDIODRIVER", driver, 1);
    if (!file.empty()) setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
}

AudioDriver::~AudioDriver() {
    saved_.empty() ? unsetenv("SDL_AUDIODRIVER") : setenv("SDL_AUDIODRIVER", saved_.c_str(), 1);
}

bool waitUntil(const std::function<bool()> &done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool waitUntilSettled(const std::string &file) {
    const auto size = [&] {
        std::error_code ec;
        const auto n = std::filesystem::file_size(file, ec);
        return ec ? std::uintmax_t(0) : n;
    };
    std::uintmax_t last = size();
    auto since = std::chrono::steady_clock::now();
    return waitUntil([&] {
        const std::uintmax_t now = size();
        if (now != last) {
            last = now;
            since = std::chrono::steady_clock::now();
        }
        return now > 0 && std::chrono::steady_clock::now() - since > std::chrono::milliseconds(500);
    });
}

}  // namespace fixtures
