// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes as corvale.ini: read them, and when they are accepted, write the
// record back and read it again; the second reading must give the same record.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "FuzzWorkDir.h"
#include "config/Krc1000.h"
#include "config/SettingFile.h"
#include "log/DebugLog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    constexpr std::size_t MaxBytes = 64 * 1024;
    if (size > MaxBytes) return 0;
    const std::string &appPath = FuzzWorkDir::path();
    FuzzWorkDir::write(SettingFile::FileName, std::string_view(reinterpret_cast<const char *>(data), size));

    DebugLog log;  // no AppPath: nothing is appended to a log file
    Krc1000 first(log, appPath);
    if (first.bytSettingRead() != 0) {
        // A file that is not accepted leaves every value at its default.
        SettingData defaults;
        SettingFile::setDefaults(defaults, appPath);
        FUZZ_CHECK(first.settings() == defaults);
        return 0;
    }

    const SettingData &read = first.settings();
    SettingData checked = read;
    SettingFile::applyChecks(checked);
    FUZZ_CHECK(checked == read);  // every value already within its range

    const EngineOptionData &o = first.engineOptions();
    FUZZ_CHECK(o.PlayMode == read.PlayMode && o.InputSample == read.InputSample &&
               o.OutputSample == read.OutputSample && o.InputFrame == read.InputFrame &&
               o.OutputFrame == read.OutputFrame && o.InputWait == read.InputWait && o.OutputWait == read.OutputWait &&
               o.OutputChannel == read.OutputChannel);

    // The text bytSettingWrite writes (written here without its flush to disk,
    // which would dominate the run time).
    FuzzWorkDir::write(SettingFile::FileName, SettingFile::writtenText(read));
    DebugLog secondLog;
    Krc1000 second(secondLog, appPath);
    FUZZ_CHECK(second.bytSettingRead() == 0);
    FUZZ_CHECK(second.settings() == read);
    return 0;
}
