// SPDX-License-Identifier: GPL-3.0-or-later
#include "listeditor/SaveQuestion.h"

#include <QMessageBox>

SaveQuestion::Answer SaveQuestion::ask(QWidget *owner) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("ListEditor"),
                    QStringLiteral("リストが変更されています。保存しますか？"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}
