// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/PanelFont.h"

#include <array>

namespace {

// Seven-segment cells: each dot is marked with the letter of its segment.
constexpr int LargeCellWidth = 6;
constexpr std::string_view LargeCell =
    ".aaaa."
    "f....b"
    "f....b"
    "f....b"
    ".gggg."
    "e....c"
    "e....c"
    "e....c"
    ".dddd.";

constexpr int SmallCellWidth = PanelFont::SmallCellWidth;
constexpr std::string_view SmallCell =
    ".aaa."
    "f...b"
    "f...b"
    ".ggg."
    "e...c"
    "e...c"
    ".ddd.";

// Large-row glyphs ":" and "/", 6 columns each, one blank column between.
constexpr int LargeSymbolsWidth = 13;
constexpr std::string_view LargeSymbols =
    "...... ......"
    "...... .....X"
    "..XX.. ....X."
    "..XX.. ...X.."
    "...... ..X..."
    "..XX.. .X...."
    "..XX.. X....."
    "...... ......"
    "...... ......";
constexpr std::string_view LargeSymbolChars = ":/";

// Small-row letters, 5 columns each, one blank column between.
constexpr int SmallSymbolsWidth = 41;
constexpr std::string_view SmallSymbols =
    "X...X X...X ..... X.... ..... ..... X...X"
    "X..X. X...X ..... X.... ..... ..... XX.XX"
    "X.X.. X...X XXXXX X.... XXXX. .XXXX X.X.X"
    "XX... XXXXX ...X. XXXX. X...X X.... X.X.X"
    "X.X.. X...X ..X.. X...X X...X .XXX. X...X"
    "X..X. X...X .X... X...X XXXX. ....X X...X"
    "X...X X...X XXXXX XXXX. X.... XXXX. X...X";
constexpr std::string_view SmallSymbolChars = "KHzbpsM";

// The repeat arrow (panel columns 1 to 7) and its letters "1", "A", "R"
// (panel columns 9 to 13), rows 13 to 19.
constexpr int ArrowWidth = 7;
constexpr std::string_view Arrow =
    ".XXXXX."
    "X......"
    "X...X.."
    "X...XX."
    ".XXXXXX"
    "....XX."
    "....X..";

constexpr int RepeatLettersWidth = 17;
constexpr std::string_view RepeatLetters =
    "..X.. ..X.. XXXX."
    ".XX.. .X.X. X...X"
    "..X.. X...X X...X"
    "..X.. X...X XXXX."
    "..X.. XXXXX X...X"
    "..X.. X...X X...X"
    ".XXX. X...X X...X";

static_assert(LargeCell.size() == 9 * LargeCellWidth);
static_assert(SmallCell.size() == 7 * SmallCellWidth);
static_assert(LargeSymbols.size() == 9 * LargeSymbolsWidth);
static_assert(SmallSymbols.size() == 7 * SmallSymbolsWidth);
static_assert(Arrow.size() == 7 * ArrowWidth);
static_assert(RepeatLetters.size() == 7 * RepeatLettersWidth);

constexpr std::array<DotPattern, 7> Segments(std::string_view cell, int width) {
    std::array<DotPattern, 7> s{};
    for (int k = 0; k < 7; ++k) s[static_cast<size_t>(k)] = DotPattern::Pick(cell, width, 0, width, char('a' + k));
    return s;
}

template <size_t N>
constexpr std::array<DotPattern, N> SideBySide(std::string_view picture, int pictureWidth, int glyphWidth) {
    std::array<DotPattern, N> g{};
    for (size_t i = 0; i < N; ++i)
        g[i] = DotPattern::Pick(picture, pictureWidth, static_cast<int>(i) * (glyphWidth + 1), glyphWidth, 'X');
    return g;
}

constexpr auto LargeSegments = Segments(LargeCell, LargeCellWidth);
constexpr auto SmallSegments = Segments(SmallCell, SmallCellWidth);
constexpr auto LargeGlyphs = SideBySide<2>(LargeSymbols, LargeSymbolsWidth, LargeCellWidth);
constexpr auto SmallGlyphs = SideBySide<7>(SmallSymbols, SmallSymbolsWidth, SmallCellWidth);
constexpr auto ArrowDots = DotPattern::Pick(Arrow, ArrowWidth, 0, ArrowWidth, 'X');
constexpr auto LetterGlyphs = SideBySide<3>(RepeatLetters, RepeatLettersWidth, PanelFont::RepeatLetterWidth);

// Segments a to g of each digit, "1" = lit.
constexpr std::array<std::string_view, 10> DigitPatterns = {
    "1111110", "0110000", "1101101", "1111001", "0110011", "1011011", "1011111", "1110010", "1111111", "1111011",
};

}  // namespace

std::string_view PanelFont::DigitPattern(char digit) {
    if (digit < '0' || digit > '9') return {};
    return DigitPatterns[static_cast<size_t>(digit - '0')];
}

const DotPattern &PanelFont::LargeSegment(int k) { return LargeSegments[static_cast<size_t>(k)]; }

const DotPattern &PanelFont::SmallSegment(int k) { return SmallSegments[static_cast<size_t>(k)]; }

const DotPattern *PanelFont::LargeSymbol(char ch) {
    const size_t i = LargeSymbolChars.find(ch);
    return i == std::string_view::npos ? nullptr : &LargeGlyphs[i];
}

const DotPattern *PanelFont::SmallSymbol(char ch) {
    const size_t i = SmallSymbolChars.find(ch);
    return i == std::string_view::npos ? nullptr : &SmallGlyphs[i];
}

const DotPattern &PanelFont::RepeatArrow() { return ArrowDots; }

const DotPattern *PanelFont::RepeatLetter(int playMode) {
    if (playMode < 0 || playMode >= static_cast<int>(LetterGlyphs.size())) return nullptr;
    return &LetterGlyphs[static_cast<size_t>(playMode)];
}
