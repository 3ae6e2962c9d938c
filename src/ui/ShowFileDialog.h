// SPDX-License-Identifier: GPL-3.0-or-later
// The one routine through which every file dialog of the program goes.
//
// Result: on OK with one file, its full path; with several files, the folder,
// NUL, each name followed by NUL, and one more NUL; on Cancel or failure the
// empty string. No length limit. Whatever the outcome, the folder the dialog
// was showing when it closed becomes the process's current folder, and
// InitialFolder is set to it, so a caller that keeps InitialFolder follows the
// user also when the user cancelled.
#pragma once

#include <cstdint>
#include <string>

#include "common/FileFilter.h"
#include "ui/UserDialogs.h"

class QWidget;

// SaveDialog: nonzero for Save As. Flags: the dialog option flags
// (DialogFlags). Filter: description NUL pattern NUL pairs, patterns joined
// by ';' (FileFilter makes one pair).
std::string ShowFileDialog(UserDialogs &dialogs, uint8_t SaveDialog, const std::string &Title, QWidget *OwnerWindow,
                           uint32_t Flags, const std::string &Filter, const std::string &DefaultExtension,
                           std::string &InitialFolder);
