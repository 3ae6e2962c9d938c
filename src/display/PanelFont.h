// SPDX-License-Identifier: GPL-3.0-or-later
// The dot shapes of the readout panel: the seven segments of the large and
// small digit cells, the fixed glyphs and the repeat mark. Offsets are
// relative to a cell's left glyph column and its row's top dot row.
#pragma once

#include <string_view>

#include "display/DotPattern.h"

class PanelFont {
public:
    static constexpr int LargeTopRow = 1;   // large cells use dot rows 1 to 9
    static constexpr int SmallTopRow = 13;  // small cells use dot rows 13 to 19
    static constexpr int SmallCellWidth = 5;
    static constexpr int SmallCellRows = 7;
    static constexpr int SegmentCount = 7;  // a, b, c, d, e, f, g

    // The "1"/"0" segment pattern of a digit character, or an empty view
    // for any other character.
    static std::string_view DigitPattern(char digit);

    // Segment k (0 = a ... 6 = g) of a large or small cell.
    static const DotPattern &LargeSegment(int k);
    static const DotPattern &SmallSegment(int k);

    // The one-colour glyph for a character, or nullptr when the row has none.
    static const DotPattern *LargeSymbol(char ch);  // ":" "/"
    static const DotPattern *SmallSymbol(char ch);  // "K" "H" "z" "b" "p" "s" "M"

    // The repeat mark, relative to panel column 1 and row 13 (arrow) and to
    // column 9 and row 13 (letters).
    static constexpr int RepeatArrowColumn = 1;
    static constexpr int RepeatLetterColumn = 9;
    static constexpr int RepeatLetterWidth = 5;
    static constexpr int RepeatTopRow = 13;
    static const DotPattern &RepeatArrow();
    // The letter for a play mode (0 "1", 1 "A", 2 "R"), or nullptr.
    static const DotPattern *RepeatLetter(int playMode);
};
