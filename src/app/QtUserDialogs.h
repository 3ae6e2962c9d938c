// The real dialogs: QFileDialog (Qt's own widget dialog, so that every flag
// is honoured the same way on every desktop) and QMessageBox.
#pragma once

#include "app/UserDialogs.h"

class QFileDialog;

class QtUserDialogs : public UserDialogs {
public:
    // Dialog option flags, as the callers pass them.
    static constexpr uint32_t OverwritePrompt = 0x2;
    static constexpr uint32_t AllowMultiSelect = 0x200;
    static constexpr uint32_t FileMustExist = 0x1000;

    QStringList askFiles(QWidget *owner, const FileRequest &request, QString &shownFolder) override;
    void showMessage(QWidget *owner, const QString &title, const QString &text) override;

    // Sets up a dialog for a request: accept mode, file mode, overwrite prompt,
    // default suffix, filters and folder.
    static void configure(QFileDialog &dialog, const FileRequest &request);
};
