// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/KeyTranslation.h"

int KeyTranslation::virtualKey(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return 112 + (qtKey - Qt::Key_F1);
    return 0;
}

int KeyTranslation::shiftMask(Qt::KeyboardModifiers modifiers) {
    int mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= ShiftMask;
    if (modifiers & Qt::ControlModifier) mask |= CtrlMask;
    if (modifiers & Qt::AltModifier) mask |= AltMask;
    return mask;
}
