// SPDX-License-Identifier: GPL-3.0-or-later
// The transport symbols of the six buttons, drawn by the program in the
// colours of the LED panel: eject (open), stop, previous, next, play, pause.
#pragma once

#include <QColor>
#include <QIcon>

class ButtonIcons {
public:
    static constexpr int Size = 16;  // logical pixels

    // button: 1 (Command1, open) to 6 (Command6, pause). lit: the symbol's
    // colour on an enabled button; dim: on a disabled one.
    static QIcon make(int button, const QColor &lit, const QColor &dim);
};
