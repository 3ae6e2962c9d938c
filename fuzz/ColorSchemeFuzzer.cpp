// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes as one colour scheme file beside a bundled-style one: load the table
// and apply the scheme read.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "FuzzWorkDir.h"
#include "common/TextCodec.h"
#include "config/ColorSchemeFile.h"
#include "config/Krc1000.h"
#include "log/DebugLog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    constexpr std::size_t MaxBytes = 64 * 1024;
    if (size > MaxBytes) return 0;
    FuzzWorkDir::write("color/fuzz.kcl", std::string_view(reinterpret_cast<const char *>(data), size));

    DebugLog log;
    Krc1000 config(log, FuzzWorkDir::path());
    const uint8_t result = config.bytLoadColorSet();
    const auto &sets = config.colorSets();
    FUZZ_CHECK(sets[0].formbg == ColorSchemeFile::builtIn().formbg);
    FUZZ_CHECK(sets[1].FilePath == FuzzWorkDir::path() + "color/fuzz.kcl");
    if (result != 0) return 0;

    const ColorSetData &read = sets[1];
    for (const auto &field : ColorSchemeFile::colorFields()) FUZZ_CHECK((read.*field.member) <= 0xFFFFFFu);
    // A menu caption is one line of valid text.
    FUZZ_CHECK(read.colortitle.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(TextCodec::isValidUtf8(read.colortitle));
    const auto &menu = config.colorMenuIndexes();
    FUZZ_CHECK(!menu.empty() && menu[0] == 0);
    FUZZ_CHECK((menu.size() == 2) == !read.colortitle.empty());

    config.applyColorSet(1);
    FUZZ_CHECK(config.currentColor().colortitle == read.colortitle);
    return 0;
}
