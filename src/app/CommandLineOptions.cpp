// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLineOptions.h"

#include <cstdio>

#include "aboutwindow/ProgramVersion.h"

CommandLineOptions::Action CommandLineOptions::parse(const std::vector<std::string> &arguments) {
    if (arguments.size() != 1) return Action::Start;
    if (arguments.front() == "--help") return Action::Help;
    if (arguments.front() == "--version") return Action::Version;
    return Action::Start;
}

std::string CommandLineOptions::versionText() {
    char text[48];
    std::snprintf(text, sizeof text, "Corvale %d.%02d Build %04d", ProgramVersion::Major, ProgramVersion::Minor,
                  ProgramVersion::Revision);
    return text;
}

std::string CommandLineOptions::usageText() {
    return "Usage: corvale [FILE...]\n"
           "       corvale --help | --version\n"
           "\n"
           "Plays MPEG audio (.mp1 .mp2 .mp3 .rmp), .wav, FLAC (.flac), Ogg Vorbis and\n"
           "Opus (.ogg .oga .opus) files and .m3u playlists.\n"
           "The files become the new playlist; with Corvale already running they are\n"
           "handed to it, as if dropped on its window. A file whose name begins with\n"
           "'-' can be given as ./-name.\n";
}
