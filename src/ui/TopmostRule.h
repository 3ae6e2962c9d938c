// SPDX-License-Identifier: GPL-3.0-or-later
// The stacking rule of the secondary windows: while the main window stays on
// top of all windows (AllwaysTop 0), a window opened over it stays on top too;
// when it closes it drops its own topmost state and puts the main window on
// top again.
#pragma once

#include <cstdint>

class QWidget;

class TopmostRule {
public:
    // Before the window is shown.
    static void applyOnOpen(QWidget &window, uint8_t AllwaysTop);
    // When it closes; owner may be null.
    static void restoreOnClose(QWidget &window, QWidget *owner, uint8_t AllwaysTop);

    // Sets or clears the stay-on-top hint without hiding a shown window.
    static void setTopmost(QWidget &window, bool on);
};
