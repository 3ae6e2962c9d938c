// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of the whole X screen named by DISPLAY (the end-to-end
// test's screenshot), or of one window. Usage: ScreenGrab out.png [window-id]
#include <cstdio>
#include <cstdlib>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char **argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s out.png [window-id]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QScreen *screen = QGuiApplication::primaryScreen();
    const WId window = argc == 3 ? static_cast<WId>(std::strtoull(argv[2], nullptr, 0)) : 0;
    if (screen == nullptr || !screen->grabWindow(window).save(QString::fromLocal8Bit(argv[1]))) return 1;
    return 0;
}
