// SPDX-License-Identifier: GPL-3.0-or-later
// Built into the sanitizer build only: leak reports from system libraries the
// player does not own (D-Bus connection caches kept until the process ends;
// libvorbis's header record, which libsndfile 1.2 does not free when an Ogg
// Vorbis file's headers are broken).
extern "C" const char *__lsan_default_suppressions();
extern "C" const char *__lsan_default_suppressions() { return "leak:libdbus-1.so\nleak:libvorbis.so\n"; }
