// SPDX-License-Identifier: GPL-3.0-or-later
// File dialogs and message boxes that answer from a script and remember what
// they were asked.
#pragma once

#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "ui/UserDialogs.h"

class ScriptedDialogs : public UserDialogs {
public:
    std::deque<QStringList> fileAnswers;  // each an answer of askFiles; none left: cancelled
    std::deque<QString> shownFolders;     // where each dialog stood as it closed; none left: not told
    std::function<void()> whileOpen;      // runs inside each dialog (a request that arrives meanwhile)
    std::vector<FileRequest> requests;
    std::vector<std::pair<QString, QString>> messages;  // title, text

    QStringList askFiles(QWidget *, const FileRequest &request, QString &shownFolder) override {
        requests.push_back(request);
        if (whileOpen) whileOpen();
        if (!shownFolders.empty()) {
            shownFolder = shownFolders.front();
            shownFolders.pop_front();
        }
        if (fileAnswers.empty()) return {};
        QStringList answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
    void showMessage(QWidget *, const QString &title, const QString &text) override {
        messages.emplace_back(title, text);
    }
};
