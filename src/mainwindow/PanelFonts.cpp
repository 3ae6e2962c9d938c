// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/PanelFonts.h"

#include <QFontDatabase>
#include <QStringList>

void PanelFonts::registerSubstitutions() {
    const QString mono = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"), mono};
    for (const QString &name : {QString::fromUtf8(Gothic), QStringLiteral("MS Gothic")}) {
        if (QFont::substitutes(name).isEmpty()) QFont::insertSubstitutions(name, gothic);
    }
    if (QFont::substitutes(QStringLiteral("Terminal")).isEmpty())
        QFont::insertSubstitution(QStringLiteral("Terminal"), mono);
}

QFont PanelFonts::lineFont() {
    QFont font(QString::fromUtf8(Gothic));
    font.setPointSize(12);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::Monospace);
    return font;
}
