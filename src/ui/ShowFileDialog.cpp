// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ShowFileDialog.h"

#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/PathList.h"

namespace {

// "Desc\0*.a;*.b\0Desc2\0*.c\0" -> {"Desc (*.a *.b)", "Desc2 (*.c)"}
QStringList nameFiltersOf(const std::string &filter) {
    QStringList items;
    std::size_t start = 0;
    while (start < filter.size()) {
        std::size_t end = filter.find('\0', start);
        if (end == std::string::npos) end = filter.size();
        items << QString::fromUtf8(filter.data() + start, static_cast<qsizetype>(end - start));
        start = end + 1;
    }
    QStringList filters;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        if (items[i].isEmpty() && items[i + 1].isEmpty()) break;
        QStringList patterns = items[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns) p = p.trimmed();
        filters << items[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

std::string pathBytes(const QString &path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

std::string ShowFileDialog(UserDialogs &dialogs, uint8_t SaveDialog, const std::string &Title, QWidget *OwnerWindow,
                           uint32_t Flags, const std::string &Filter, const std::string &DefaultExtension,
                           std::string &InitialFolder) {
    UserDialogs::FileRequest request;
    request.save = SaveDialog != 0;
    request.title = QString::fromStdString(Title);
    request.flags = Flags;
    request.nameFilters = nameFiltersOf(Filter);
    request.defaultSuffix = QString::fromStdString(DefaultExtension);
    request.folder = InitialFolder.empty() ? QDir::currentPath() : QFile::decodeName(InitialFolder.c_str());

    QStringList files;
    QString shown;
    try {
        files = dialogs.askFiles(OwnerWindow, request, shown);
    } catch (...) {
        files.clear();
    }
    if (shown.isEmpty() && !files.isEmpty()) shown = QFileInfo(files.front()).absolutePath();
    // The folder the user browsed to, picked or cancelled, is where the next
    // dialog starts.
    if (!shown.isEmpty()) QDir::setCurrent(shown);

    std::string result;
    if (!files.isEmpty()) {
        const QString folder = QFileInfo(files.front()).absolutePath();
        if (files.size() == 1) {
            result = pathBytes(QFileInfo(files.front()).absoluteFilePath());
        } else {
            bool oneFolder = true;
            for (const QString &f : files) oneFolder = oneFolder && QFileInfo(f).absolutePath() == folder;
            // The folder and the names; names typed with their own folders
            // come back as full paths, which the playlist loaders take as
            // they stand.
            std::vector<std::string> items;
            if (oneFolder) items.push_back(pathBytes(folder));
            for (const QString &f : files)
                items.push_back(pathBytes(oneFolder ? QFileInfo(f).fileName() : QFileInfo(f).absoluteFilePath()));
            result = PathList::join(items);
        }
    }
    InitialFolder = pathBytes(QDir::currentPath());
    return result;
}
