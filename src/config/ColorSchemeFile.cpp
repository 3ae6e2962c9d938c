// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ColorSchemeFile.h"

#include <algorithm>
#include <filesystem>

#include "common/PathUtil.h"
#include "config/NumberText.h"

namespace {

std::vector<std::string_view> splitAt(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const auto pos = text.find(sep, start);
        if (pos == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

std::optional<uint32_t> component(std::string_view piece) {
    const auto v = NumberText::toInteger(piece);
    if (!v) return std::nullopt;
    return static_cast<uint32_t>(std::clamp<int>(*v, 0, 255));
}

}  // namespace

const std::array<ColorSchemeFile::ColorField, 33> &ColorSchemeFile::colorFields() {
    static const std::array<ColorField, 33> fields{{
        {"formbg", &ColorSetData::formbg},
        {"speana1", &ColorSetData::speana1},
        {"speana2", &ColorSetData::speana2},
        {"speana3", &ColorSetData::speana3},
        {"speanabg1", &ColorSetData::speanabg1},
        {"speanabg2", &ColorSetData::speanabg2},
        {"speanabg3", &ColorSetData::speanabg3},
        {"lvmeter1", &ColorSetData::lvmeter1},
        {"lvmeter2", &ColorSetData::lvmeter2},
        {"lvmeter3", &ColorSetData::lvmeter3},
        {"lvmeterbg1", &ColorSetData::lvmeterbg1},
        {"lvmeterbg2", &ColorSetData::lvmeterbg2},
        {"lvmeterbg3", &ColorSetData::lvmeterbg3},
        {"title", &ColorSetData::title},
        {"titlebg", &ColorSetData::titlebg},
        {"lyric", &ColorSetData::lyric},
        {"lyricbg", &ColorSetData::lyricbg},
        {"dotdefaultbg", &ColorSetData::dotdefaultbg},
        {"track", &ColorSetData::track},
        {"trackbg", &ColorSetData::trackbg},
        {"nowtime", &ColorSetData::nowtime},
        {"nowtimebg", &ColorSetData::nowtimebg},
        {"timeslash", &ColorSetData::timeslash},
        {"alltime", &ColorSetData::alltime},
        {"alltimebg", &ColorSetData::alltimebg},
        {"repeatmark", &ColorSetData::repeatmark},
        {"repeatmarkbg", &ColorSetData::repeatmarkbg},
        {"bitrate", &ColorSetData::bitrate},
        {"bitratebg", &ColorSetData::bitratebg},
        {"bitratestr", &ColorSetData::bitratestr},
        {"freq", &ColorSetData::freq},
        {"freqbg", &ColorSetData::freqbg},
        {"freqstr", &ColorSetData::freqstr},
    }};
    return fields;
}

ColorSetData ColorSchemeFile::builtIn() {
    ColorSetData c;
    const ColorValue green = RGBColor(90, 230, 160);
    const ColorValue yellow = RGBColor(255, 255, 100);
    const ColorValue red = RGBColor(255, 80, 80);
    const ColorValue darkGreen = RGBColor(0, 64, 0);
    const ColorValue darkYellow = RGBColor(64, 64, 0);
    const ColorValue darkRed = RGBColor(64, 0, 0);
    const ColorValue lineBg = RGBColor(0, 48, 0);

    c.formbg = RGBColor(0, 0, 0);
    c.speana1 = c.lvmeter1 = c.title = c.lyric = c.nowtime = c.timeslash = c.alltime = c.bitratestr = c.freqstr = green;
    c.speana2 = c.lvmeter2 = c.track = c.repeatmark = c.bitrate = c.freq = yellow;
    c.speana3 = c.lvmeter3 = red;
    c.speanabg1 = c.lvmeterbg1 = c.dotdefaultbg = c.nowtimebg = c.alltimebg = c.repeatmarkbg = darkGreen;
    c.speanabg2 = c.lvmeterbg2 = c.trackbg = c.bitratebg = c.freqbg = darkYellow;
    c.speanabg3 = c.lvmeterbg3 = darkRed;
    c.titlebg = c.lyricbg = lineBg;
    return c;
}

bool ColorSchemeFile::applyLines(const std::vector<std::string> &lines, ColorSetData &entry, std::size_t *badLine) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        const auto parts = splitAt(line, '=');
        if (parts.size() != 2) continue;
        const std::string key = PathUtil::lowerAscii(parts[0]);
        const auto pieces = splitAt(parts[1], ',');
        if (pieces.size() == 3) {
            const auto r = component(pieces[0]);
            const auto g = component(pieces[1]);
            const auto b = component(pieces[2]);
            if (!r || !g || !b) {
                if (badLine != nullptr) *badLine = i + 1;
                return false;
            }
            for (const ColorField &f : colorFields())
                if (f.key == key) entry.*f.member = RGBColor(*r, *g, *b);
        } else if (key == "colortitle") {
            entry.colortitle = std::string(pieces[0]);
        }
    }
    return true;
}

std::optional<std::vector<std::string>> ColorSchemeFile::listSchemeFiles(const std::string &folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return std::nullopt;
    std::vector<std::string> names;
    while (it != fs::directory_iterator()) {
        std::error_code typeEc;
        if (it->is_regular_file(typeEc)) {
            std::string name = it->path().filename().string();
            if (PathUtil::hasExtension4(name, ".kcl")) names.push_back(std::move(name));
        }
        it.increment(ec);
        if (ec) return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}
