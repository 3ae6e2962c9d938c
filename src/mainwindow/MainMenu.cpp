// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainMenu.h"

#include <QAction>
#include <QMenu>

namespace {

QAction *checkItem(QMenu *menu, const char *caption, bool checked = false) {
    QAction *a = menu->addAction(QString::fromUtf8(caption));
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
}

}  // namespace

MainMenu::MainMenu(QWidget *parent) {
    mnuMainForm = new QMenu(QStringLiteral("メニュー"), parent);

    mnuPlayPitch = mnuMainForm->addMenu(QStringLiteral("再生ピッチ"));
    for (int i = 0; i < PitchCount; ++i) {
        if (PitchValues[i] == 0) {
            mnuPlayPitchSet[i] = mnuPlayPitch->addSeparator();
            mnuPlayPitchSet[i]->setCheckable(true);
            continue;
        }
        const QString caption = QStringLiteral("x%1.%2").arg(PitchValues[i] / 100).arg(PitchValues[i] / 10 % 10);
        mnuPlayPitchSet[i] = mnuPlayPitch->addAction(caption);
        mnuPlayPitchSet[i]->setCheckable(true);
    }
    mnuPlayPitchSet[PitchDefaultIndex]->setChecked(true);

    mnuPlayMode = mnuMainForm->addMenu(QStringLiteral("再生モード"));
    const char *modes[] = {"なし", "１曲リピート", "全曲リピート", "ランダムリピート"};
    for (int i = 0; i < 4; ++i) mnuPlayModeSet[i] = checkItem(mnuPlayMode, modes[i], i == 0);

    mnuSoundAssist = mnuMainForm->addMenu(QStringLiteral("サウンドアシスト"));
    mnuSoundAssistSet[0] = checkItem(mnuSoundAssist, "BASS(低音)");
    mnuSoundAssistSet[1] = checkItem(mnuSoundAssist, "TREBLE(高音)");

    mnuMainForm->addSeparator();
    mnuRunListEditor = mnuMainForm->addAction(QStringLiteral("リストエディタ"));
    mnuMainForm->addSeparator();

    mnuSpeana = mnuMainForm->addMenu(QStringLiteral("スペアナ"));
    mnuSpeanaEnable = checkItem(mnuSpeana, "表示", true);
    mnuSpeanaPeakHold = checkItem(mnuSpeana, "ピ－クホールド");
    mnuSpeana->addSeparator();
    mnuSpeanaMode[0] = checkItem(mnuSpeana, "イルミネーション", true);
    mnuSpeanaMode[1] = checkItem(mnuSpeana, "簡易測定モード");

    mnuColor = mnuMainForm->addMenu(QStringLiteral("配色"));
    mnuRunColorEditor = mnuColor->addAction(QStringLiteral("作成"));
    mnuColor->addSeparator();
    addColorSet(0, QStringLiteral("緑－黄－赤(標準)"));

    mnuWindow = mnuMainForm->addMenu(QStringLiteral("ウインドウ"));
    mnuSetWindowTop = checkItem(mnuWindow, "常に手前に表示");
    mnuWindow->addSeparator();
    mnuMoveWindowUp = mnuWindow->addAction(QStringLiteral("いちばん上に移動"));
    mnuMoveWindowDown = mnuWindow->addAction(QStringLiteral("いちばん下に移動"));
    mnuWindow->addSeparator();
    mnuMoveWindowLeft = mnuWindow->addAction(QStringLiteral("いちばん左に移動"));
    mnuMoveWindowRight = mnuWindow->addAction(QStringLiteral("いちばん右に移動"));

    mnuMainForm->addSeparator();
    mnuRunSetting = mnuMainForm->addAction(QStringLiteral("設定"));
    mnuMainForm->addSeparator();
    mnuRunDebugger = mnuMainForm->addAction(QStringLiteral("Debugger"));
    mnuRunDebugger->setVisible(false);
    mnuRunVersion = mnuMainForm->addAction(QStringLiteral("バージョン"));
}

MainMenu::~MainMenu() = default;  // the menus belong to the parent widget

QAction *MainMenu::addColorSet(int index, const QString &title) {
    QAction *a = mnuColor->addAction(title);
    a->setCheckable(true);
    mnuColorSet[index] = a;
    return a;
}

int MainMenu::highestColorSetIndex() const { return mnuColorSet.empty() ? 0 : mnuColorSet.rbegin()->first; }

void MainMenu::undoAutoCheck(QAction *action) {
    if (action->isCheckable()) action->setChecked(!action->isChecked());
}
