// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutwindow/Version.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "aboutwindow/ProgramVersion.h"
#include "config/Krc1000.h"
#include "display/Krw1000.h"
#include "engine/Krm1000.h"
#include "log/DebugLog.h"
#include "ui/TopmostRule.h"

#ifndef CORVALE_HOMEPAGE
#define CORVALE_HOMEPAGE ""
#endif

namespace {

// What each library does for the player, and the library.
constexpr std::array<std::pair<const char *, const char *>, 6> Thanks{{
    {"MPEG Audio", "libmpg123"},
    {"WAVE File", "libsndfile"},
    {"Resampling", "libsamplerate"},
    {"FFT", "FFTW"},
    {"Sound Output", "SDL"},
    {"GUI", "Qt"},
}};

}  // namespace

Version::Version(QWidget *owner, DebugLog &log, uint8_t AllwaysTop, std::string programDir, UrlOpener openUrl)
    : QDialog(owner), owner_(owner), log_(log), allwaysTop_(AllwaysTop), programDir_(std::move(programDir)),
      openUrl_(std::move(openUrl)) {
    if (!openUrl_) openUrl_ = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    buildControls();
    Form_Load();
}

void Version::buildControls() {
    setWindowTitle(QStringLiteral("Corvaleについて"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Corvale Ver 0.00 Build 0000"), this);
    QFont big = Label1->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    Label1->setFont(big);

    Frame1 = new QGroupBox(QStringLiteral("Modules"), this);
    auto *modules = new QGridLayout(Frame1);
    const std::array<const char *, 3> moduleNames{"KRC1000", "KRM1000", "KRW1000"};
    for (std::size_t i = 0; i < 3; ++i) {
        Label3[i] = new QLabel(QString::fromLatin1(moduleNames[i]), Frame1);
        Label4[i] = new QLabel(QStringLiteral("0000(0000-00-00 JST)"), Frame1);
        modules->addWidget(Label3[i], static_cast<int>(i), 0);
        modules->addWidget(Label4[i], static_cast<int>(i), 1);
    }
    modules->setRowStretch(3, 1);

    Frame2 = new QGroupBox(QStringLiteral("Thanks!"), this);
    auto *thanks = new QGridLayout(Frame2);
    int row = 0;
    for (const auto &[what, who] : Thanks) {
        thanks->addWidget(new QLabel(QString::fromLatin1(what), Frame2), row, 0);
        thanks->addWidget(new QLabel(QString::fromLatin1(who), Frame2), row, 1);
        ++row;
    }

    Label2 = new QLabel(QStringLiteral("本ソフトウェアは無保証です。ご使用は自己責任でお願いします。"), this);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("To WebPage"), this);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    auto *frames = new QHBoxLayout;
    frames->addWidget(Frame1);
    frames->addWidget(Frame2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(frames);
    layout->addWidget(Label2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void Version::Form_Load() {
    log_.WriteDebugLog("Corvale Show    - Version");
    Label1->setText(QString::fromStdString(ProgramVersion::aboutText()));
    Label4[0]->setText(QString::fromLatin1(Krc1000::Version));
    Label4[1]->setText(QString::fromLatin1(Krm1000::Version));
    Label4[2]->setText(QString::fromLatin1(Krw1000::Version));
    TopmostRule::applyOnOpen(*this, allwaysTop_);
}

void Version::Command1_Click() {
    log_.WriteDebugLog("Version Called  - Command1");
    accept();
}

void Version::Command2_Click() {
    log_.WriteDebugLog("Version Called  - Command2");
    openUrl_(webPage(programDir_));
}

QUrl Version::webPage(const std::string &programDir) {
    const QString homePage = QStringLiteral(CORVALE_HOMEPAGE);
    if (!homePage.isEmpty()) return QUrl(homePage);
    return QUrl::fromLocalFile(QString::fromStdString(programDir) + QStringLiteral("README.md"));
}

void Version::done(int result) {
    log_.WriteDebugLog("Corvale Unload  - Version");
    QDialog::done(result);
    TopmostRule::restoreOnClose(*this, owner_, allwaysTop_);
}
