#include "AudioFixtures.h"

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace fixtures {

namespace {

void put16(std::string &s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string &s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

void putBe32(std::string &s, uint32_t v) {
    s += static_cast<char>(v >> 24);
    s += static_cast<char>((v >> 16) & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
}

void putSyncsafe(std::string &s, uint32_t v) {
    s += static_cast<char>((v >> 21) & 0x7F);
    s += static_cast<char>((v >> 14) & 0x7F);
    s += static_cast<char>((v >> 7) & 0x7F);
    s += static_cast<char>(v & 0x7F);
}

} // namespace

std::vector<float> toneFrames(const Tone &t) {
    const auto frames = static_cast<std::size_t>(t.seconds * t.rate);
    std::vector<float> out(frames * std::size_t(t.channels));
    const double pi2 = 2.0 * M_PI;
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < t.channels; ++c) {
            const double hz = (c == 1 && t.rightHz > 0) ? t.rightHz : t.hz;
            out[i * std::size_t(t.channels) + std::size_t(c)] =
                static_cast<float>(t.amplitude * std::sin(pi2 * hz * double(i) / t.rate));
        }
    }
    return out;
}

std::string wavBytes(const Tone &t, uint32_t dataSizeOverride) {
    const std::vector<float> frames = toneFrames(t);
    const int bytesPer = t.sample == Sample::Pcm16 ? 2 : 4;
    std::string data;
    data.reserve(frames.size() * std::size_t(bytesPer));
    for (float v : frames) {
        if (t.sample == Sample::Pcm16) {
            const long q = std::lround(std::fmax(-1.0, std::fmin(1.0, v)) * 32767.0);
            put16(data, static_cast<uint32_t>(q) & 0xFFFF);
        } else {
            uint32_t bits;
            std::memcpy(&bits, &v, 4);
            put32(data, bits);
        }
    }
    std::string s = "RIFF";
    put32(s, static_cast<uint32_t>(4 + 8 + 16 + 8 + data.size()));
    s += "WAVEfmt ";
    put32(s, 16);
    put16(s, t.sample == Sample::Pcm16 ? 1 : 3);
    put16(s, static_cast<uint32_t>(t.channels));
    put32(s, static_cast<uint32_t>(t.rate));
    put32(s, static_cast<uint32_t>(t.rate * t.channels * bytesPer));
    put16(s, static_cast<uint32_t>(t.channels * bytesPer));
    put16(s, static_cast<uint32_t>(bytesPer * 8));
    s += "data";
    put32(s, dataSizeOverride ? dataSizeOverride : static_cast<uint32_t>(data.size()));
    return s + data;
}

std::string riffWrapMp3(const std::string &mp3, int rate, int channels, int kbps) {
    std::string s = "RIFF";
    put32(s, static_cast<uint32_t>(4 + 8 + 30 + 8 + mp3.size() + (mp3.size() & 1)));
    s += "WAVEfmt ";
    put32(s, 30);
    put16(s, 0x55);
    put16(s, static_cast<uint32_t>(channels));
    put32(s, static_cast<uint32_t>(rate));
    put32(s, static_cast<uint32_t>(kbps * 1000 / 8));
    put16(s, 1);
    put16(s, 0);
    put16(s, 12); // MPEGLAYER3WAVEFORMAT extra bytes
    put16(s, 1);
    put32(s, 2);
    put16(s, 417);
    put16(s, 1);
    put16(s, 1393);
    s += "data";
    put32(s, static_cast<uint32_t>(mp3.size()));
    s += mp3;
    if (mp3.size() & 1)
        s += '\0';
    return s;
}

std::string id3v2(int version, const std::string &title, const std::string &artist, int encoding,
                  std::size_t padding) {
    auto text = [&](const std::string &utf8) {
        std::string body(1, static_cast<char>(encoding));
        if (encoding == 1) {
            body += "\xFF\xFE";
            // ASCII and BMP only: enough for the tests.
            for (std::size_t i = 0; i < utf8.size();) {
                uint32_t cp = static_cast<unsigned char>(utf8[i]);
                int extra = cp >= 0xE0 ? 2 : cp >= 0xC0 ? 1 : 0;
                if (extra)
                    cp &= extra == 2 ? 0x0F : 0x1F;
                for (int k = 1; k <= extra; ++k)
                    cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + std::size_t(k)]) & 0x3F);
                i += std::size_t(extra) + 1;
                put16(body, cp);
            }
        } else {
            body += utf8;
        }
        return body;
    };
    auto frame = [&](const char *id, const std::string &body) {
        std::string f = id;
        if (version == 4)
            putSyncsafe(f, static_cast<uint32_t>(body.size()));
        else
            putBe32(f, static_cast<uint32_t>(body.size()));
        f += std::string(2, '\0');
        return f + body;
    };
    std::string frames;
    if (!title.empty())
        frames += frame("TIT2", text(title));
    if (!artist.empty())
        frames += frame("TPE1", text(artist));
    frames += std::string(padding, '\0');
    std::string tag = "ID3";
    tag += static_cast<char>(version);
    tag += '\0';
    tag += '\0';
    putSyncsafe(tag, static_cast<uint32_t>(frames.size()));
    return tag + frames;
}

std::string id3v1(const std::string &title, const std::string &artist) {
    std::string tag = "TAG";
    auto field = [&](const std::string &s, std::size_t n) {
        std::string f = s.substr(0, n);
        f.resize(n, '\0');
        tag += f;
    };
    field(title, 30);
    field(artist, 30);
    field("", 30);
    field("", 4);
    field("", 30);
    tag += '\xFF';
    return tag;
}

const CompressedFile kCompressed[3] = {
    {Compressed::Flac, ".flac"}, {Compressed::Vorbis, ".ogg"}, {Compressed::Opus, ".opus"}};

bool writeCompressed(const std::string &path, const Tone &t, Compressed format, const std::string &title,
                     const std::string &artist) {
    SF_INFO info{};
    info.samplerate = t.rate;
    info.channels = t.channels;
    info.format = format == Compressed::Flac   ? SF_FORMAT_FLAC | (t.sample == Sample::Pcm16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24)
                  : format == Compressed::Opus ? SF_FORMAT_OGG | SF_FORMAT_OPUS
                                               : SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    if (!title.empty())
        sf_set_string(file, SF_STR_TITLE, title.c_str());
    if (!artist.empty())
        sf_set_string(file, SF_STR_ARTIST, artist.c_str());
    const std::vector<float> frames = toneFrames(t);
    const auto count = static_cast<sf_count_t>(frames.size() / std::size_t(t.channels));
    const bool written = sf_writef_float(file, frames.data(), count) == count;
    return sf_close(file) == 0 && written;
}

bool haveTool(const char *name) {
    return run(std::string("command -v ") + name + " >/dev/null 2>&1");
}

bool run(const std::string &command) {
    return std::system(command.c_str()) == 0;
}

double toneDb(const float *frames, std::size_t count, int channels, int channel, int rate, double hz) {
    if (count == 0)
        return -200.0;
    const double w = 2.0 * M_PI * hz / rate;
    const double coeff = 2.0 * std::cos(w);
    double s1 = 0.0;
    double s2 = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double s0 = frames[i * std::size_t(channels) + std::size_t(channel)] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    const double amplitude = 2.0 * std::sqrt(std::fmax(power, 0.0)) / double(count);
    return 20.0 * std::log10(std::fmax(amplitude, 1e-10));
}

double measuredHz(const float *frames, std::size_t count, int channels, int channel, int rate) {
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t crossings = 0;
    for (std::size_t i = 1; i < count; ++i) {
        const float a = frames[(i - 1) * std::size_t(channels) + std::size_t(channel)];
        const float b = frames[i * std::size_t(channels) + std::size_t(channel)];
        if (a < 0.0f && b >= 0.0f) {
            if (crossings == 0)
                first = i;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0.0;
    return double(crossings - 1) * rate / double(last - first);
}

float peak(const float *frames, std::size_t count, int channels) {
    float p = 0.0f;
    for (std::size_t i = 0; i < count * std::size_t(channels); ++i)
        p = std::fmax(p, std::fabs(frames[i]));
    return p;
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

AudioDriver::AudioDriver(const char *driver, const std::string &file) {
    const char *old = std::getenv("SDL_AUDIODRIVER");
    saved_ = old ? old : "";
    setenv("SDL_AUDIODRIVER", driver, 1);
    if (!file.empty())
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
}

AudioDriver::~AudioDriver() {
    if (saved_.empty())
        unsetenv("SDL_AUDIODRIVER");
    else
        setenv("SDL_AUDIODRIVER", saved_.c_str(), 1);
}

bool waitUntil(const std::function<bool()> &done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool waitForGrowth(const std::string &file, std::size_t bytes) {
    const auto size = [&] {
        std::error_code ec;
        const auto n = std::filesystem::file_size(file, ec);
        return ec ? std::uintmax_t(0) : n;
    };
    const std::uintmax_t goal = size() + bytes;
    return waitUntil([&] { return size() >= goal; });
}

} // namespace fixtures
