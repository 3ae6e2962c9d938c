// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsdialog/SetForm.h"

#include <algorithm>

#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "common/PathList.h"
#include "config/SettingData.h"
#include "log/DebugLog.h"
#include "ui/DialogFlags.h"
#include "ui/ShowFileDialog.h"
#include "ui/TopmostRule.h"
#include "ui/Twips.h"
#include "ui/UserDialogs.h"

namespace {

// The layout was drawn for a narrow bitmap font; the monospace and Japanese
// fonts here are wider, so every position and size is scaled up alike.
constexpr double LayoutScale = 1.25;
constexpr int LabelHeight = 255;
constexpr int ListHeight = 330;
constexpr int BarHeight = 255;

int px(int twips) { return static_cast<int>(twips * LayoutScale / TwipsPerPixel + 0.5); }

QRect twips(int left, int top, int width, int height) { return {px(left), px(top), px(width), px(height)}; }

QLabel *label(QWidget *parent, const char *text, int left, int top, int width = 0) {
    auto *l = new QLabel(QString::fromUtf8(text), parent);
    const QRect r = twips(left, top, width, LabelHeight);
    l->setGeometry(r.x(), r.y(), std::max(r.width(), l->sizeHint().width()), r.height());
    return l;
}

QComboBox *list(QWidget *parent, std::initializer_list<const char *> entries, int left, int top, int width) {
    auto *c = new QComboBox(parent);
    for (const char *e : entries) c->addItem(QString::fromUtf8(e));
    c->setGeometry(twips(left, top, width, ListHeight));
    return c;
}

QScrollBar *bar(QWidget *parent, int minimum, int maximum, int left, int top) {
    auto *b = new QScrollBar(Qt::Horizontal, parent);
    b->setRange(minimum, maximum);
    b->setSingleStep(1);
    b->setPageStep(std::max(1, (maximum - minimum) / 10));
    b->setGeometry(twips(left, top, 1215, BarHeight));
    return b;
}

QGroupBox *frame(QWidget *parent, const char *caption, int left, int top, int width, int height) {
    auto *g = new QGroupBox(QString::fromUtf8(caption), parent);
    g->setGeometry(twips(left, top, width, height));
    return g;
}

// A list entry within the list's range.
int entryIn(const QComboBox *c, int index) { return std::clamp(index, 0, c->count() - 1); }

}  // namespace

SetForm::SetForm(QWidget *owner, DebugLog &log, UserDialogs &dialogs, SettingData &settings)
    : QDialog(owner), owner_(owner), log_(log), dialogs_(dialogs), settings_(settings) {
    buildControls();
    Form_Load();
}

void SetForm::buildControls() {
    setWindowTitle(QStringLiteral("設定"));
    setModal(true);
    QFont terminal = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    terminal.setPointSizeF(9.75);
    setFont(terminal);
    setFixedSize(px(9495), px(3585));

    buildQualityGroup();
    buildDrawingGroup();
    buildOtherGroup();

    Label9 = label(this, "注：設定は再起動後に有効となります", 6120, 2880, 3375);
    Command2 = new QPushButton(QStringLiteral("OK"), this);
    Command2->setGeometry(twips(6240, 3160, 975, 375));
    Command2->setDefault(true);
    Command2->setToolTip(QStringLiteral("設定をして終了します"));
    Command3 = new QPushButton(QStringLiteral("Cancel"), this);
    Command3->setGeometry(twips(7320, 3160, 975, 375));
    Command3->setAutoDefault(false);
    Command3->setToolTip(QStringLiteral("設定せずに終了します"));
    Command4 = new QPushButton(QStringLiteral("Default"), this);
    Command4->setGeometry(twips(8400, 3160, 975, 375));
    Command4->setAutoDefault(false);
    Command4->setToolTip(QStringLiteral("出荷時設定に戻します"));
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
}

void SetForm::buildQualityGroup() {
    Frame1 = frame(this, "音質", 0, 0, 6015, 2895);
    const std::array<const char *, 2> modes{"ワンタッチ(初心者向け)", "カスタム(上級者向け)"};
    const std::array<int, 2> modeLeft{240, 3720};
    for (int i = 0; i < 2; ++i) {
        auto *b = new QRadioButton(QString::fromUtf8(modes[i]), Frame1);
        b->move(px(modeLeft[i]), px(240));
        b->adjustSize();
        connect(b, &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        Option1[i] = b;
    }

    Frame2 = frame(Frame1, "ワンタッチ設定", 120, 600, 5775, 615);
    const std::array<const char *, 5> presets{"超低負荷", "低負荷", "中間", "高音質", "最高音質"};
    const std::array<int, 5> presetLeft{120, 1320, 2400, 3360, 4560};
    for (int i = 0; i < 5; ++i) {
        auto *b = new QRadioButton(QString::fromUtf8(presets[i]), Frame2);
        b->move(px(presetLeft[i]), px(240));
        b->adjustSize();
        connect(b, &QRadioButton::clicked, this, [this, i] { Option2_Click(i); });
        Option2[i] = b;
    }

    Frame3 = frame(Frame1, "カスタム設定", 120, 1320, 5775, 1455);
    Label1[0] = label(Frame3, "入力比", 120, 240);
    Label1[1] = label(Frame3, "出力上限", 120, 600);
    Label1[2] = label(Frame3, "出力チャンネル", 120, 945);
    Label1[3] = label(Frame3, "入力フレーム数", 2640, 240);
    Label1[4] = label(Frame3, "出力フレーム数", 2640, 525);
    Label1[5] = label(Frame3, "入力ウェイト", 2640, 810);
    Label1[6] = label(Frame3, "出力ウェイト", 2640, 1080);
    Combo1[0] = list(Frame3, {"1:1", "1:1/2", "1:1/4"}, 1440, 200, 1095);
    Combo1[1] = list(Frame3, {"48000Hz", "44100Hz", "32000Hz", "22050Hz", "11025Hz"}, 1440, 560, 1095);
    Combo1[2] = list(Frame3, {"ステレオ", "モノラル"}, 1440, 920, 1095);
    HScroll1[0] = bar(Frame3, 1, 100, 4440, 225);
    HScroll1[1] = bar(Frame3, 1, 100, 4440, 500);
    HScroll1[2] = bar(Frame3, 1, 50, 4440, 788);
    HScroll1[3] = bar(Frame3, 0, 50, 4440, 1080);
    const std::array<int, 4> valueTop{240, 510, 795, 1080};
    for (int i = 0; i < 4; ++i) {
        Label2[i] = label(Frame3, "0", 3960, valueTop[i], 4440 - 3960);
        connect(HScroll1[i], &QScrollBar::valueChanged, this, [this, i] { HScroll1_Change(i); });
    }
}

void SetForm::buildDrawingGroup() {
    Frame4 = frame(this, "描画", 6120, 0, 3375, 2805);
    Frame5 = frame(Frame4, "スペアナ", 120, 240, 3135, 975);
    label(Frame5, "描画精度(ms)", 120, 240);
    HScroll2 = bar(Frame5, 1, 80, 1800, 240);
    Label4 = label(Frame5, "0", 1320, 240, 1800 - 1320);
    label(Frame5, "FFT関数", 120, 600);
    Combo2 = list(Frame5, {"rectangle", "hanning", "hamming", "blackman"}, 1800, 600, 1215);
    connect(HScroll2, &QScrollBar::valueChanged, this, [this] { HScroll2_Change(); });

    Frame6 = frame(Frame4, "歌詞表示", 120, 1320, 3135, 1335);
    label(Frame6, "基本制御時間", 120, 280);
    Combo3[0] = list(Frame6, {"WinAmp時間", "標準時間"}, 1800, 240, 1215);
    label(Frame6, "非タイム行処理", 120, 600);
    Combo3[1] = list(Frame6, {"処理する", "処理しない"}, 1800, 600, 1215);
    label(Frame6, "微調整(ms)", 120, 960);
    HScroll3 = bar(Frame6, -1000, 1000, 1800, 960);
    Label6 = label(Frame6, "0", 1200, 960, 1800 - 1200);
    connect(HScroll3, &QScrollBar::valueChanged, this, [this] { HScroll3_Change(); });
}

void SetForm::buildOtherGroup() {
    Frame7 = frame(this, "その他", 0, 2960, 6015, 615);
    label(Frame7, "配色エディタ", 120, 240);
    Label8 = new QLabel(Frame7);
    Label8->setGeometry(twips(1200, 240, 4455, LabelHeight));
    Label8->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label8->setAutoFillBackground(true);
    QPalette white = Label8->palette();
    white.setColor(QPalette::Window, Qt::white);
    Label8->setPalette(white);
    Command1 = new QPushButton(QStringLiteral("..."), Frame7);
    Command1->setGeometry(twips(5640, 240, 255, 255));
    Command1->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void SetForm::Form_Load() {
    log_.WriteDebugLog("Corvale Show    - SetForm");
    SetForm_Init();
    for (int i = 0; i < 4; ++i) HScroll1_Change(i);
    HScroll2_Change();
    HScroll3_Change();
    TopmostRule::applyOnOpen(*this, settings_.AllwaysTop);
}

void SetForm::done(int result) {
    log_.WriteDebugLog("Corvale Unload  - SetForm");
    QDialog::done(result);
    TopmostRule::restoreOnClose(*this, owner_, settings_.AllwaysTop);
}

// ---- loading ----

void SetForm::selectOption1(int Index) {
    if (Option1[static_cast<std::size_t>(Index)]->isChecked()) return;
    Option1[static_cast<std::size_t>(Index)]->setChecked(true);
    Option1_Click(Index);
}

void SetForm::selectOption2(int Index) {
    if (Option2[static_cast<std::size_t>(Index)]->isChecked()) return;
    Option2[static_cast<std::size_t>(Index)]->setChecked(true);
    Option2_Click(Index);
}

void SetForm::SetForm_Init() {
    log_.WriteDebugLog("SetForm Called  - SetForm_Init");
    const SettingData &s = settings_;
    // The order matters: the preset fills the quality controls, the mode sets
    // which of them respond, and the stored values then overwrite the preset's.
    selectOption2(std::clamp<int>(s.BasicSet, 0, 4));
    selectOption1(s.EasySetting != 0 ? 1 : 0);

    Combo1[0]->setCurrentIndex(entryIn(Combo1[0], s.InputSample));
    const auto rate = std::find(OutputRates.begin(), OutputRates.end(), s.OutputSample);
    if (rate != OutputRates.end()) Combo1[1]->setCurrentIndex(static_cast<int>(rate - OutputRates.begin()));
    Combo1[2]->setCurrentIndex(entryIn(Combo1[2], s.OutputChannel));
    HScroll1[0]->setValue(s.InputFrame);
    HScroll1[1]->setValue(s.OutputFrame);
    HScroll1[2]->setValue(s.InputWait);  // a stored 0 shows as the bar's minimum, 1
    HScroll1[3]->setValue(s.OutputWait);

    HScroll2->setValue(s.SpeanaInterval);
    Combo2->setCurrentIndex(entryIn(Combo2, s.FFTFunction));
    Combo3[0]->setCurrentIndex(entryIn(Combo3[0], s.LyricBaseTime));
    Combo3[1]->setCurrentIndex(s.LyricNotTimeLine != 0 ? 1 : 0);
    HScroll3->setValue(s.LyricTimeOffset);
    Label8->setText(QString::fromStdString(s.CEditor));
}

// ---- quality group ----

void SetForm::setQualityControlsEnabled(bool on) {
    for (QComboBox *c : Combo1) c->setEnabled(on);
    for (QScrollBar *b : HScroll1) b->setEnabled(on);
}

void SetForm::Option1_Click(int Index) {
    log_.WriteDebugLog("SetForm Called  - Option1");
    if (Index != 0 && Index != 1) return;
    const bool custom = Index == 1;
    Frame2->setEnabled(!custom);
    for (QRadioButton *b : Option2) b->setEnabled(!custom);
    Frame3->setEnabled(custom);
    for (QLabel *l : Label1) l->setEnabled(custom);
    for (QLabel *l : Label2) l->setEnabled(custom);
    setQualityControlsEnabled(custom);
}

void SetForm::Option2_Click(int Index) {
    log_.WriteDebugLog("SetForm Called  - Option2");
    if (Index < 0 || Index >= static_cast<int>(Presets.size())) return;
    const Preset &p = Presets[static_cast<std::size_t>(Index)];
    Combo1[0]->setCurrentIndex(p.InputSample);
    Combo1[1]->setCurrentIndex(p.OutputEntry);
    Combo1[2]->setCurrentIndex(p.OutputChannel);
    HScroll1[0]->setValue(p.InputFrame);
    HScroll1[1]->setValue(p.OutputFrame);
    HScroll1[2]->setValue(p.InputWait);
    HScroll1[3]->setValue(p.OutputWait);
    setQualityControlsEnabled(false);
}

void SetForm::setTextColor(QLabel *label, bool red) {
    QPalette p = label->palette();
    const QColor c = red ? QColor(255, 0, 0) : QColor(0, 0, 0);
    p.setColor(QPalette::Active, QPalette::WindowText, c);
    p.setColor(QPalette::Inactive, QPalette::WindowText, c);
    label->setPalette(p);
}

void SetForm::HScroll1_Change(int Index) {
    if (Index < 0 || Index > 3) return;
    const auto i = static_cast<std::size_t>(Index);
    Label2[i]->setText(QString::number(HScroll1[i]->value()));
    if (Index <= 1) {
        const bool below = HScroll1[0]->value() < HScroll1[1]->value();
        setTextColor(Label2[0], below);
        setTextColor(Label2[1], below);
    }
}

// ---- other groups ----

void SetForm::HScroll2_Change() {
    const int v = HScroll2->value();
    Label4->setText(QString::number(v));
    setTextColor(Label4, v > 50 || v < 10);
}

void SetForm::HScroll3_Change() { Label6->setText(QString::number(HScroll3->value())); }

void SetForm::Command1_Click() {
    log_.WriteDebugLog("SetForm Called  - Command1");
    std::string folder;
    const std::string chosen = PathList::strCutNull(ShowFileDialog(
        dialogs_, 1, "配色エディタを選択", this, DialogFlags::OpenFile, FileFilter("実行ファイル", "*"), "", folder));
    if (chosen.empty()) return;
    const QString path = QString::fromStdString(chosen);
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable()) {
        dialogs_.showMessage(this, QStringLiteral("Corvale 設定"),
                             QStringLiteral("実行できるプログラムではありません\n") + path);
        return;
    }
    Label8->setText(path);
}

void SetForm::Command2_Click() {
    log_.WriteDebugLog("SetForm Called  - Command2");
    if (HScroll1[0]->value() < HScroll1[1]->value()) {
        dialogs_.showMessage(this, QStringLiteral("Corvale 設定"),
                             QStringLiteral("入力フレーム数が出力フレーム数を下回っています"));
        return;
    }
    SettingData &s = settings_;
    s.EasySetting = Option1[1]->isChecked() ? 255 : 0;
    for (std::size_t i = 0; i < Option2.size(); ++i)
        if (Option2[i]->isChecked()) s.BasicSet = static_cast<uint8_t>(i);
    s.InputSample = static_cast<uint8_t>(Combo1[0]->currentIndex());
    s.OutputSample = OutputRates[static_cast<std::size_t>(entryIn(Combo1[1], Combo1[1]->currentIndex()))];
    s.OutputChannel = static_cast<uint8_t>(Combo1[2]->currentIndex());
    s.InputFrame = static_cast<uint8_t>(HScroll1[0]->value());
    s.OutputFrame = static_cast<uint8_t>(HScroll1[1]->value());
    s.InputWait = static_cast<uint8_t>(HScroll1[2]->value());
    s.OutputWait = static_cast<uint8_t>(HScroll1[3]->value());
    s.SpeanaInterval = static_cast<uint8_t>(HScroll2->value());
    s.FFTFunction = static_cast<uint8_t>(Combo2->currentIndex());
    s.LyricBaseTime = static_cast<uint8_t>(Combo3[0]->currentIndex());
    s.LyricNotTimeLine = Combo3[1]->currentIndex() == 0 ? 0 : 255;
    s.LyricTimeOffset = HScroll3->value();
    s.CEditor = Label8->text().toStdString();
    accept();
}

void SetForm::Command3_Click() {
    log_.WriteDebugLog("SetForm Called  - Command3");
    reject();
}

void SetForm::Command4_Click() {
    log_.WriteDebugLog("SetForm Called  - Command4");
    Option1[0]->setChecked(true);
    Option1_Click(0);
    Option2[4]->setChecked(true);
    Option2_Click(4);
    HScroll2->setValue(10);
    Combo2->setCurrentIndex(1);
    Combo3[0]->setCurrentIndex(1);
    Combo3[1]->setCurrentIndex(0);
    HScroll3->setValue(0);
    Label8->clear();
}
