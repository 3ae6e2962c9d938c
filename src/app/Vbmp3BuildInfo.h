// SPDX-License-Identifier: GPL-3.0-or-later
// What the start-up check expects of libvbmp3.so: the size of the library as
// it was built with this program (written by a build step; -1 when the
// library was not part of the build). The expected version is VBMP3_VERSION.
#pragma once

class Vbmp3BuildInfo {
public:
    static const long long LibrarySize;
};
