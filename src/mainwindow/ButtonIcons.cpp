// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ButtonIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace {

QPolygonF triangle(QPointF a, QPointF b, QPointF c) { return QPolygonF({a, b, c}); }

// The symbol as one path on a 16 x 16 grid.
QPainterPath symbol(int button) {
    QPainterPath p;
    switch (button) {
    case 1:  // eject
        p.addPolygon(triangle({8, 3}, {14, 9}, {2, 9}));
        p.addRect(2, 11, 12, 2.5);
        break;
    case 2:  // stop
        p.addRect(3.5, 3.5, 9, 9);
        break;
    case 3:  // previous: bar and two left-pointing triangles
        p.addRect(1.5, 3.5, 2, 9);
        p.addPolygon(triangle({3.5, 8}, {9, 3.5}, {9, 12.5}));
        p.addPolygon(triangle({9, 8}, {14.5, 3.5}, {14.5, 12.5}));
        break;
    case 4:  // next: two right-pointing triangles and bar
        p.addPolygon(triangle({1.5, 3.5}, {7, 8}, {1.5, 12.5}));
        p.addPolygon(triangle({7, 3.5}, {12.5, 8}, {7, 12.5}));
        p.addRect(12.5, 3.5, 2, 9);
        break;
    case 5:  // play
        p.addPolygon(triangle({4, 2.5}, {13, 8}, {4, 13.5}));
        break;
    default:  // pause
        p.addRect(3.5, 3, 3, 10);
        p.addRect(9.5, 3, 3, 10);
        break;
    }
    p.setFillRule(Qt::WindingFill);
    return p;
}

QPixmap render(const QPainterPath &path, const QColor &colour, qreal scale) {
    const int side = static_cast<int>(ButtonIcons::Size * scale);
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter painter(&pm);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.fillPath(path, colour);
    painter.end();
    pm.setDevicePixelRatio(scale);
    return pm;
}

}  // namespace

QIcon ButtonIcons::make(int button, const QColor &lit, const QColor &dim) {
    const QPainterPath path = symbol(button);
    QIcon icon;
    for (qreal scale : {1.0, 2.0}) {
        icon.addPixmap(render(path, lit, scale), QIcon::Normal);
        icon.addPixmap(render(path, dim, scale), QIcon::Disabled);
    }
    return icon;
}
