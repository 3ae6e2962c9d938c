// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpora of the fuzz targets:
//   corvale_fuzz_seeds <corpus-root>             settings, schemes, m3u, lyrics, WAV
//   corvale_fuzz_seeds --wrap-mp3 <in.mp3> <out.wav>   an MPEG stream in a RIFF/WAVE file
// The MP3 seeds themselves are made by fuzz/run.sh with lame from a WAV seed.
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "config/SettingFile.h"

namespace {

namespace fs = std::filesystem;

bool writeFile(const fs::path &path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

void writeSettings(const fs::path &dir) {
    const std::string app = "/home/user/.local/share/corvale/";
    writeFile(dir / "created.ini", SettingFile::createdText(app));

    SettingData s;
    SettingFile::setDefaults(s, app);
    s.DebugMode = 0;
    s.PlayMode = 2;
    s.PositionX = -1200;
    s.PositionY = 30000;
    s.OutputSample = 22050;
    s.InputFrame = 40;
    s.OutputFrame = 40;
    s.LyricTimeOffset = -250;
    s.CEditor = "/bin/sh";
    s.LastPath = "/music/\xE6\x97\xA5\xE6\x9C\xAC/";
    writeFile(dir / "written.ini", SettingFile::writtenText(s));

    // Hand-made on Linux: LF line ends, CP932 text, the other number spellings.
    writeFile(dir / "handmade-cp932.ini",
              "ColorSet=&H2\nPositionX= -1.5e2 \nPositionY=\t2.5\nlastpath=/music/\x93\xFA\x96\x7B/\n"
              "OutputSample=4.41E4\nDEBUGMODE=127\nunknown=1\nno equals sign\n\xEF\xBB\xBF"
              "LyricTimeOffset=+999\n");
    writeFile(dir / "bad-number.ini", "\xEF\xBB\xBFPlayMode=1\r\nOutputSample=48k\r\n");
    writeFile(dir / "out-of-range.ini", "InputFrame=1\rOutputFrame=100\rSpeanaInterval=0\rFFTFunction=9\r");
}

void writeSchemes(const fs::path &dir) {
    writeFile(dir / "handmade.kcl",
              "colortitle=Hand made,ignored\nformbg=0,0,0\nspeana1= 300 , -5 ,&HFF\nTITLE=1.5,2.5,3.5\n"
              "lyric=1,2\nlyricbg=1,2,3,4\na=b=c\n");
    writeFile(dir / "cp932-title.kcl", "colortitle=\x90\xC2\x82\xA2\r\nfreq=10,20,30\r\n");
    writeFile(dir / "bad-piece.kcl", "colortitle=Bad\nformbg=1,x,3\n");
}

void writeLists(const fs::path &dir) {
    writeFile(dir / "relative.m3u", "#EXTM3U\r\n#EXTINF:1,A\r\na.mp3\r\nb.WAV\r\nsub/c.mp2\r\n");
    writeFile(dir / "windows.m3u", "sub\\d.rmp\r\nC:\\music\\a.mp3\r\n\\sub\\c.mp2\r\nsp ace.mp1\r\n");
    writeFile(dir / "mixed.m3u", "\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC.mp3\na.txt\nnested.m3u\n\na.mp3\rmissing.mp3\n");
    writeFile(dir / "cp932.m3u", "\x93\xFA\x96\x7B.mp3\r\na.mp3\r\n");
    writeFile(dir / "absolute.m3u", "/tmp/none.mp3\n../list/a.mp3\n./sub/c.mp2\n");
}

void writeLyrics(const fs::path &dir) {
    writeFile(dir / "lrc.lrc",
              "[ti:Song]\n[ar:Artist]\n[offset:+500]\n[00:01]one\n[00:02.5]two\n[00:03.25]three\n"
              "[00:04.125]four\n[00:05:50]five\n[00:06.00][00:09.00]twice\n[00:07.00]\n");
    writeFile(dir / "untimed.txt",
              "Title line\nArtist line\n[00:10.00]first\nuntimed after first\n\nanother untimed\n"
              "[00:20.00]second\ntrailing untimed\n");
    writeFile(dir / "word-timing.kra",
              "[00:01.00]wo[00:01.50]rd <00:02.00>timing\r\n[00:03.00] \t tab\tand blanks \r\n[offset:-250]\r\n");
    writeFile(dir / "cp932.txt", "[00:01.00]\x93\xFA\x96\x7B\x8C\xEA\r[00:02.00]\xB1\xB2\xB3\r");
    std::string longLine = "[99999:59.999]";
    longLine.append(300, 'x');
    longLine += "\n[00:00]\xE6\x97\xA5\xE6\x9C\xAC\n[0:0.1]short minutes\n[1:2:3]bad\n[00:60]bad seconds\n";
    writeFile(dir / "edges.lrc", longLine);
}

// A short two-tone signal in the given WAV sub-format, or in another
// container (format with its container bits), tagged when title is given.
bool writeWave(const fs::path &path, int format, int rate, int channels, int frames, const char *title = nullptr) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = (format & SF_FORMAT_TYPEMASK) ? format : SF_FORMAT_WAV | format;
    SNDFILE *f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (f == nullptr) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    if (title != nullptr) {
        sf_set_string(f, SF_STR_TITLE, title);
        sf_set_string(f, SF_STR_ARTIST, "\xE6\x97\xA5\xE6\x9C\xAC artist");
    }
    std::vector<float> samples(static_cast<std::size_t>(frames * channels));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[static_cast<std::size_t>(i * channels + c)] =
                0.4f * static_cast<float>(std::sin(2.0 * M_PI * (440.0 + 220.0 * c) * i / rate));
    sf_writef_float(f, samples.data(), frames);
    sf_close(f);
    return true;
}

bool writeWaves(const fs::path &dir) {
    fs::create_directories(dir);
    bool ok = writeWave(dir / "pcm16-stereo.wav", SF_FORMAT_PCM_16, 22050, 2, 2205);
    ok &= writeWave(dir / "pcm8-mono.wav", SF_FORMAT_PCM_U8, 8000, 1, 800);
    ok &= writeWave(dir / "pcm24-stereo.wav", SF_FORMAT_PCM_24, 44100, 2, 1000);
    ok &= writeWave(dir / "float-mono.wav", SF_FORMAT_FLOAT, 11025, 1, 1102);
    ok &= writeWave(dir / "ima-adpcm.wav", SF_FORMAT_IMA_ADPCM, 8000, 1, 1600);
    ok &= writeWave(dir / "ms-adpcm.wav", SF_FORMAT_MS_ADPCM, 8000, 2, 1600);
    ok &= writeWave(dir / "pcm16-stereo.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 2, 2205, "FLAC title");
    ok &= writeWave(dir / "pcm24-mono-96k.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000, 1, 2400);
    ok &= writeWave(dir / "vorbis-stereo.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 22050, 2, 2205, "Vorbis title");
    ok &= writeWave(dir / "opus-mono.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 1, 4800, "Opus title");
    return ok;
}

void putLe(std::string &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// RIFF/WAVE with format tag 0x55 (MPEG Layer III) around an MP3 stream.
bool wrapMp3(const fs::path &in, const fs::path &out) {
    std::ifstream file(in, std::ios::binary);
    const std::string mp3((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (mp3.empty()) return false;
    std::string fmt;
    putLe(fmt, 0x55, 2);   // MPEGLAYER3
    putLe(fmt, 2, 2);      // channels
    putLe(fmt, 22050, 4);  // rate
    putLe(fmt, 4000, 4);   // bytes per second
    putLe(fmt, 1, 2);      // block align
    putLe(fmt, 0, 2);      // bits per sample
    putLe(fmt, 12, 2);     // extra bytes
    putLe(fmt, 1, 2);      // MPEGLAYER3_ID_MPEG
    putLe(fmt, 2, 4);      // flags
    putLe(fmt, 104, 2);    // block size
    putLe(fmt, 1, 2);      // frames per block
    putLe(fmt, 1393, 2);   // codec delay
    std::string riff = "WAVEfmt ";
    putLe(riff, static_cast<uint32_t>(fmt.size()), 4);
    riff += fmt;
    riff += "data";
    putLe(riff, static_cast<uint32_t>(mp3.size()), 4);
    riff += mp3;
    std::string whole = "RIFF";
    putLe(whole, static_cast<uint32_t>(riff.size()), 4);
    whole += riff;
    return writeFile(out, whole);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--wrap-mp3") return wrapMp3(argv[2], argv[3]) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus-root> | --wrap-mp3 <in.mp3> <out.wav>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    writeSettings(root / "settings");
    writeSchemes(root / "colorscheme");
    writeLists(root / "m3u");
    writeLyrics(root / "lyrics");
    return writeWaves(root / "decode") ? 0 : 1;
}
