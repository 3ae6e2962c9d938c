// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/QtUserDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include "ui/DialogFlags.h"

void QtUserDialogs::configure(QFileDialog &dialog, const FileRequest &request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // "File must exist" belongs to the Open dialog; a Save As dialog passes
    // over it (as the common dialogs always did), so new files can be named.
    if (request.save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else if (request.flags & DialogFlags::AllowMultiSelect)
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else if (request.flags & DialogFlags::FileMustExist)
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (request.flags & DialogFlags::OverwritePrompt) == 0);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.nameFilters.isEmpty()) dialog.setNameFilters(request.nameFilters);
    if (!request.folder.isEmpty()) dialog.setDirectory(request.folder);
}

QStringList QtUserDialogs::askFiles(QWidget *owner, const FileRequest &request, QString &shownFolder) {
    QFileDialog dialog(owner);
    configure(dialog, request);
    const bool picked = dialog.exec() == QDialog::Accepted;
    shownFolder = dialog.directory().absolutePath();
    return picked ? dialog.selectedFiles() : QStringList();
}

void QtUserDialogs::showMessage(QWidget *owner, const QString &title, const QString &text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, owner);
    box.exec();
}
