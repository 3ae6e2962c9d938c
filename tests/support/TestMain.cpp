// SPDX-License-Identifier: GPL-3.0-or-later
// Every test runs headless unless the caller chose otherwise; with
// CORVALE_TEST_QT a QApplication exists for the whole run.
#include <cstdlib>

#include <gtest/gtest.h>
#ifdef CORVALE_TEST_QT
#include <QApplication>
#endif

// libsndfile 1.2 does not free libvorbis's header record when it refuses an
// Ogg Vorbis file with broken headers: not ours to report in sanitizer runs.
extern "C" const char *__lsan_default_suppressions();
extern "C" const char *__lsan_default_suppressions() { return "leak:libvorbis.so\n"; }

int main(int argc, char **argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("CORVALE_PROGRAM_DIR", CORVALE_TEST_PROGRAM_DIR, 0);
#ifdef CORVALE_TEST_QT
    QApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
