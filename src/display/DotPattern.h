// SPDX-License-Identifier: GPL-3.0-or-later
// A glyph or segment as a list of dot offsets, cut at compile time out of a
// small ASCII picture. The dots are kept in reading order (top row first,
// then left to right), so dots[0] is the glyph's first dot.
#pragma once

#include <array>
#include <string_view>

struct DotPattern {
    struct Dot {
        int column = 0;  // offset from the glyph's left column
        int row = 0;     // offset from the glyph's top row
    };
    static constexpr int MaxDots = 40;

    std::array<Dot, MaxDots> dots{};
    int count = 0;

    // `picture` holds rows of `pictureWidth` characters each, written one
    // after another. Collects every character equal to `mark` that lies in
    // columns left .. left + width - 1 of the picture; offsets count from
    // column `left`.
    static constexpr DotPattern Pick(std::string_view picture, int pictureWidth, int left, int width, char mark) {
        DotPattern p;
        const int rows = static_cast<int>(picture.size()) / pictureWidth;
        for (int r = 0; r < rows; ++r) {
            for (int c = left; c < left + width; ++c) {
                if (picture[static_cast<size_t>(r * pictureWidth + c)] != mark) continue;
                if (p.count == MaxDots) throw "DotPattern: too many dots";  // fails the constant evaluation
                p.dots[static_cast<size_t>(p.count++)] = Dot{c - left, r};
            }
        }
        return p;
    }
};
