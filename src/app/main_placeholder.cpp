// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in entry point while the main window is being built: it reports what
// the build produced.
#include <cstdio>

int main() {
    std::puts(
        "Corvale: the program folder holds the engine library and the core modules;"
        " the main window is not built yet.");
    return 0;
}
