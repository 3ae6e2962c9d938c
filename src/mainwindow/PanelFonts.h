// SPDX-License-Identifier: GPL-3.0-or-later
// Font names the windows ask for and what this system gives for them:
// "ＭＳ ゴシック" (also "MS Gothic") as IPAGothic, Noto Sans Mono CJK JP or the
// system monospace font; "Terminal" as the system monospace font.
#pragma once

#include <QFont>

class PanelFonts {
public:
    static constexpr const char *Gothic = "ＭＳ ゴシック";

    // Registers the substitutions; harmless to call more than once.
    static void registerSubstitutions();

    // The font of the title and lyrics lines: "ＭＳ ゴシック", 12 point, normal weight.
    static QFont lineFont();
};
