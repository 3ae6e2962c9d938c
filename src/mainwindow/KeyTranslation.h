// SPDX-License-Identifier: GPL-3.0-or-later
// Qt key events in the terms the key handler works with: virtual key codes
// (letters 65-90, digits 48-57, F1-F12 112-123) and the modifier mask
// (1 Shift, 2 Ctrl, 4 Alt).
#pragma once

#include <Qt>

class KeyTranslation {
public:
    static constexpr int ShiftMask = 1, CtrlMask = 2, AltMask = 4;

    // 0 for a key without a code here.
    static int virtualKey(int qtKey);
    static int shiftMask(Qt::KeyboardModifiers modifiers);
};
