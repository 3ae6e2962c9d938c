// SPDX-License-Identifier: GPL-3.0-or-later
// The real dialogs: QFileDialog (Qt's own widget dialog, so that every flag
// is honoured the same way on every desktop) and QMessageBox.
#pragma once

#include "ui/UserDialogs.h"

class QFileDialog;

class QtUserDialogs : public UserDialogs {
public:
    QStringList askFiles(QWidget *owner, const FileRequest &request, QString &shownFolder) override;
    void showMessage(QWidget *owner, const QString &title, const QString &text) override;

    // Sets up a dialog for a request: accept mode, file mode, overwrite prompt,
    // default suffix, filters and folder.
    static void configure(QFileDialog &dialog, const FileRequest &request);
};
