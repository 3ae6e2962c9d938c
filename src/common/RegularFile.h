// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a file for reading only when it is a regular file (after following
// links). A FIFO, a device or a socket that carries a track's, a list's, a
// lyrics file's or a scheme's name is never opened the blocking way: the open
// does not wait for a writer, and the descriptor is closed again at once.
#pragma once

#include <string>

class RegularFile {
public:
    // A read-only, close-on-exec descriptor (blocking reads), or -1 when the
    // path cannot be opened or names anything but a regular file.
    static int openForReading(const std::string &path);
};
