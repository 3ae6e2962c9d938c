// SPDX-License-Identifier: GPL-3.0-or-later
// The option flags of a file dialog, as the windows pass them to
// ShowFileDialog, and the sets the windows use.
#pragma once

#include <cstdint>

struct DialogFlags {
    static constexpr uint32_t OverwritePrompt = 0x2;
    static constexpr uint32_t HideReadOnly = 0x4;
    static constexpr uint32_t AllowMultiSelect = 0x200;
    static constexpr uint32_t PathMustExist = 0x800;
    static constexpr uint32_t FileMustExist = 0x1000;
    static constexpr uint32_t Explorer = 0x80000;

    // Open one existing file.
    static constexpr uint32_t OpenFile = Explorer | FileMustExist | PathMustExist | HideReadOnly;
    // Open one or more existing files.
    static constexpr uint32_t OpenFiles = OpenFile | AllowMultiSelect;
    // Save, asking before a file is replaced.
    static constexpr uint32_t SaveFile = OpenFile | OverwritePrompt;
};
