// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the bundled demo content: three synthesized songs as WAV (the build
// encodes two of them to MP3 and MP2), a timed-lyrics file beside each, and a
// playlist. "demogen --tag in out title artist" prepends an ID3v2 tag.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "DemoSynth.h"

namespace {

void put16(std::string &s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string &s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

bool writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool writeWav(const std::string &path, const std::vector<float> &stereo) {
    std::string pcm;
    pcm.reserve(stereo.size() * 2);
    for (float v : stereo) {
        const float c = v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v);
        put16(pcm, static_cast<uint16_t>(static_cast<int16_t>(c * 32767.0f)));
    }
    std::string h = "RIFF";
    put32(h, static_cast<uint32_t>(36 + pcm.size()));
    h += "WAVEfmt ";
    put32(h, 16);
    put16(h, 1);  // PCM
    put16(h, 2);
    put32(h, DemoSynth::Rate);
    put32(h, DemoSynth::Rate * 4);
    put16(h, 4);
    put16(h, 16);
    h += "data";
    put32(h, static_cast<uint32_t>(pcm.size()));
    return writeFile(path, h + pcm);
}

// An ID3v2.3 text frame in UTF-16 with a byte order mark.
std::string textFrame(const char id[4], const std::string &utf8) {
    std::u16string text;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        uint32_t cp;
        std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
        cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k < len && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(cp));
        }
    }
    std::string body(1, '\x01');
    body += "\xFF\xFE";
    for (char16_t c : text) put16(body, c);
    std::string f(id, 4);
    const auto n = static_cast<uint32_t>(body.size());
    f.push_back(static_cast<char>(n >> 24));
    f.push_back(static_cast<char>(n >> 16));
    f.push_back(static_cast<char>(n >> 8));
    f.push_back(static_cast<char>(n));
    f += std::string(2, '\0');
    return f + body;
}

int tag(const std::string &in, const std::string &out, const std::string &title, const std::string &artist) {
    std::ifstream src(in, std::ios::binary);
    if (!src) return 1;
    const std::string audio((std::istreambuf_iterator<char>(src)), std::istreambuf_iterator<char>());
    const std::string frames = textFrame("TIT2", title) + textFrame("TPE1", artist);
    std::string h = "ID3";
    h += '\x03';
    h += '\x00';
    h += '\x00';
    const auto n = static_cast<uint32_t>(frames.size());  // synchsafe size
    h.push_back(static_cast<char>((n >> 21) & 0x7F));
    h.push_back(static_cast<char>((n >> 14) & 0x7F));
    h.push_back(static_cast<char>((n >> 7) & 0x7F));
    h.push_back(static_cast<char>(n & 0x7F));
    return writeFile(out, h + frames + audio) ? 0 : 1;
}

std::string stamp(double seconds, int form) {
    const int cs = static_cast<int>(seconds * 100.0 + 0.5);
    char buf[32];
    if (form == 0)
        std::snprintf(buf, sizeof buf, "[%02d:%02d.%02d]", cs / 6000, (cs / 100) % 60, cs % 100);
    else if (form == 1)
        std::snprintf(buf, sizeof buf, "[%02d:%02d:%02d]", cs / 6000, (cs / 100) % 60, cs % 100);
    else
        std::snprintf(buf, sizeof buf, "[%02d:%02d]", cs / 6000, (cs / 100) % 60);
    return buf;
}

bool writeLyrics(const std::string &path, const std::vector<std::string> &lines, double firstAt, double every, int form,
                 const std::string &title, const std::string &artist) {
    std::string text = "[ti:" + title + "]\r\n[ar:" + artist + "]\r\n";
    for (std::size_t i = 0; i < lines.size(); ++i) text += stamp(firstAt + every * i, form) + lines[i] + "\r\n";
    return writeFile(path, text);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 6 && std::string(argv[1]) == "--tag") return tag(argv[2], argv[3], argv[4], argv[5]);
    if (argc != 2) {
        std::cerr << "usage: demogen OUTDIR | demogen --tag IN OUT TITLE ARTIST\n";
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";

    DemoSong dawn;
    dawn.bpm = 120;
    dawn.rootMidi = 48;  // C
    dawn.chordRoots = {0, 9, 5, 7};
    dawn.chordMinor = {false, true, false, false};
    dawn.repeats = 5;
    dawn.melodySeed = 11;

    DemoSong wind;
    wind.bpm = 96;
    wind.rootMidi = 45;  // A
    wind.chordRoots = {0, 8, 3, 10};
    wind.chordMinor = {true, false, false, false};
    wind.repeats = 4;
    wind.melodySeed = 23;
    wind.swing = 0.2;

    DemoSong star;
    star.bpm = 128;
    star.rootMidi = 50;  // D
    star.chordRoots = {0, 7, 9, 5};
    star.chordMinor = {false, false, true, false};
    star.repeats = 5;
    star.melodySeed = 37;

    bool ok = writeWav(dir + "01-dawn.src.wav", DemoSynth::render(dawn)) &&
              writeWav(dir + "02-wind.wav", DemoSynth::render(wind)) &&
              writeWav(dir + "03-starlight.src.wav", DemoSynth::render(star));

    const double dawnBar = DemoSynth::barSeconds(dawn), windBar = DemoSynth::barSeconds(wind),
                 starBar = DemoSynth::barSeconds(star);
    ok = ok &&
         writeLyrics(
             dir + "01-dawn.lrc",
             {"夜明けの道を走り出す", "Headlights fading into blue", "窓を開けて 風を呼ぶ",
              "Every mile a brand new view", "ラジオから流れるメロディ", "Singing softly, me and you",
              "遠くの空が 色を変える", "The morning's breaking through", "このまま どこまでも", "夜明けのドライブ"},
             dawnBar * 2, dawnBar * 2, 0, "夜明けのドライブ", "Corvale Demo Band") &&
         writeLyrics(dir + "02-wind.kra",
                     {"風の通り道を歩く", "Leaves are dancing in the light", "名前のない歌を口ずさむ",
                      "Humming softly through the night", "足あとは 砂に消えて", "But the melody holds tight",
                      "また会える日まで"},
                     windBar * 2, windBar * 2, 1, "風の通り道", "Corvale Demo Band") &&
         writeLyrics(dir + "03-starlight.txt",
                     {"Starlight parade is coming", "星くずのパレード", "Drums are beating, hearts are humming",
                      "光の波に乗って", "Hand in hand we keep on running", "夜空に響け", "Starlight parade!", "またね"},
                     starBar * 2, starBar * 2, 2, "Starlight Parade", "Corvale Demo Band");
    ok = ok && writeFile(dir + "demo.m3u", "#EXTM3U\r\n01-dawn.mp3\r\n02-wind.wav\r\n03-starlight.mp2\r\n");
    if (!ok) {
        std::cerr << "demogen: cannot write the demo files into " << dir << "\n";
        return 1;
    }
    return 0;
}
