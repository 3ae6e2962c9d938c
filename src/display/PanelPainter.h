// SPDX-License-Identifier: GPL-3.0-or-later
// Paints the flagged cells of the drawing module's three grids into the
// main window's backing image (client-area pixels, 634 x 115) and clears
// their flags. Pixels are written directly; boxes outside the image are cut.
#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

#include "config/ColorSetData.h"

class Krw1000;

class PanelPainter {
public:
    // Both references must outlive this object; `current` is the scheme in use.
    PanelPainter(Krw1000 &display, const ColorSetData &current);

    // Each returns what it painted, empty when nothing was flagged: the
    // bounds of the painted cells; for the analyser, the bounds of the
    // painted cells of each group of eight columns.
    QRect FlushReadout(QImage &img);
    QRegion FlushSpeana(QImage &img);
    QRect FlushLvMeter(QImage &img);

    static QRgb ToRgb(ColorValue c);

    // Where a cell's box lies in the client area.
    static QRect ReadoutDotBox(int column, int row, int shift);
    static QRect SpeanaCellBox(int column, int row);
    static QRect LvMeterCellBox(int column, int row);

private:
    Krw1000 &display_;
    const ColorSetData &color_;
};
