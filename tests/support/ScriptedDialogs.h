// File dialogs and message boxes that answer from a script and remember what
// they were asked.
#pragma once

#include <deque>
#include <utility>
#include <vector>

#include "ui/UserDialogs.h"

class ScriptedDialogs : public UserDialogs {
public:
    std::deque<QStringList> fileAnswers;  // each an answer of askFiles; none left: cancelled
    std::vector<FileRequest> requests;
    std::vector<std::pair<QString, QString>> messages;  // title, text

    QStringList askFiles(QWidget *, const FileRequest &request) override {
        requests.push_back(request);
        if (fileAnswers.empty()) return {};
        QStringList answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
    void showMessage(QWidget *, const QString &title, const QString &text) override {
        messages.emplace_back(title, text);
    }
};
