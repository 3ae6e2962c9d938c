// SPDX-License-Identifier: GPL-3.0-or-later
// The file dialogs and message boxes the windows show, behind one interface so
// that tests can script the user's answers.
#pragma once

#include <cstdint>

#include <QString>
#include <QStringList>

class QWidget;

class UserDialogs {
public:
    // One file dialog, already translated from the dialog flags.
    struct FileRequest {
        bool save = false;  // Save As dialog rather than Open
        QString title;
        uint32_t flags = 0;       // the dialog option flags as the caller passed them
        QStringList nameFilters;  // "Description (*.a *.b)"
        QString defaultSuffix;    // added to a typed name without extension; empty for none
        QString folder;           // folder the dialog opens in
    };

    virtual ~UserDialogs() = default;

    // Runs the dialog modally over owner. The chosen files as absolute paths;
    // an empty list when the user cancelled or the dialog failed. shownFolder
    // receives the folder the dialog was showing when it closed, picked or
    // cancelled; it is left as it was when the dialog could not run.
    virtual QStringList askFiles(QWidget *owner, const FileRequest &request, QString &shownFolder) = 0;

    // A message box with the warning icon and one OK button.
    virtual void showMessage(QWidget *owner, const QString &title, const QString &text) = 0;
};
