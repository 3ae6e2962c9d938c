// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TopmostRule.h"

#include <QWidget>
#include <QWindow>

void TopmostRule::setTopmost(QWidget &window, bool on) {
    Qt::WindowFlags flags = window.windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == on) {
        if (on && window.isVisible()) window.raise();
        return;
    }
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (QWindow *handle = window.windowHandle()) {
        // Change the hint on the live window: setWindowFlags would hide it.
        window.overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        window.setWindowFlags(flags);
    }
}

void TopmostRule::applyOnOpen(QWidget &window, uint8_t AllwaysTop) {
    if (AllwaysTop == 0) setTopmost(window, true);
}

void TopmostRule::restoreOnClose(QWidget &window, QWidget *owner, uint8_t AllwaysTop) {
    if (AllwaysTop != 0) return;
    setTopmost(window, false);
    if (owner) setTopmost(*owner, true);
}
