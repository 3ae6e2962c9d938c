// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist editor's question before the edited list would be dropped:
// "リストが変更されています。保存しますか？" with Yes, No and Cancel. Tests
// replace ask() with scripted answers.
#pragma once

class QWidget;

class SaveQuestion {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~SaveQuestion() = default;
    // A message box titled "ListEditor" with the question icon.
    virtual Answer ask(QWidget *owner);
};
