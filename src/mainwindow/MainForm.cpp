// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainForm.h"

#include <cstdio>
#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "common/PathList.h"
#include "common/PathUtil.h"
#include "common/SteadyClock.h"
#include "config/Krc1000.h"
#include "debugwindow/DebugWindow.h"
#include "display/Krw1000.h"
#include "display/PanelPainter.h"
#include "engine/Krm1000.h"
#include "engine/Vbmp3Loader.h"
#include "listeditor/ListEditor.h"
#include "mainwindow/ButtonIcons.h"
#include "mainwindow/InstanceLock.h"
#include "mainwindow/PanelFonts.h"
#include "ui/QtUserDialogs.h"
#include "ui/Twips.h"

namespace {

// Layout of the full panel (client pixels).
constexpr int LabelLeftFull = 258;
constexpr int LabelLeftCompact = 1;
constexpr int LabelWidth = 317;
constexpr int ReadoutShiftCompact = 258;
constexpr int ButtonWidth = 30;
constexpr int ButtonColumnStep = 29;
constexpr int ButtonTops[3] = {0, 38, 76};
constexpr int ButtonHeights[3] = {39, 39, 40};

QColor toQColor(ColorValue c) { return QColor(PanelPainter::ToRgb(c)); }

QColor mix(const QColor &a, const QColor &b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                            static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                            static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

const char *const ButtonTips[6] = {"開く (O)", "停止 (S)", "前へ (R)", "次へ (F)", "再生 (P)", "一時停止 (I)"};

}  // namespace

MainForm::MainForm(Environment environment) : QWidget(nullptr), env_(std::move(environment)) {
    if (env_.dialogs == nullptr) {
        ownDialogs_ = std::make_unique<QtUserDialogs>();
        env_.dialogs = ownDialogs_.get();
    }
    if (env_.clock == nullptr) {
        ownClock_ = std::make_unique<SteadyClock>();
        env_.clock = ownClock_.get();
    }
    // The tick's time stamps start from the clock: 0 may lie weeks ahead of it.
    tickNow_ = lastSlowTick_ = lastPresent_ = env_.clock->timeGetTime();
    if (env_.lockFolder.empty()) env_.lockFolder = InstanceLock::defaultFolder();
    env_.programDir = PathUtil::withTrailingSlash(env_.programDir);
    if (!env_.loadEngine) {
        env_.loadEngine = [this](Vbmp3Api &api) {
            loader_ = std::make_unique<Vbmp3Loader>(env_.programDir);
            if (!loader_->loaded()) return false;
            api = loader_->api();
            return true;
        };
    }
    if (!env_.workArea) {
        env_.workArea = [this] {
            QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
            return s ? s->availableGeometry() : QRect();
        };
    }
    if (!env_.startProgram) {
        env_.startProgram = [](const std::string &path) {
            QProcess::startDetached(QFile::decodeName(path.c_str()), {});
        };
    }

    PanelFonts::registerSubstitutions();
    setWindowTitle(QStringLiteral("Corvale"));
    setFixedSize(ClientWidth, ClientHeight);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    backing_ = QImage(ClientWidth, ClientHeight, QImage::Format_RGB32);
    backing_.fill(Qt::black);

    buildControls();
    menu_ = std::make_unique<MainMenu>(this);
    connectMenu();
    // The first line logged (or the settings read, when logging is on) loads
    // the debug window, hidden.
    log_.setWindowLoader([this] {
        debugWindow_ = std::make_unique<DebugWindow>(log_, *env_.clock);
        connectDebugWindow();
    });
}

MainForm::~MainForm() {
    debugWindow_.reset();
    // The drawing and engine modules refer to each other and to api_: drop
    // them in the reverse order of their making, before the library goes.
    painter_.reset();
    krw_.reset();
    krm_.reset();
    krc_.reset();
}

void MainForm::buildControls() {
    label1_ = new QLabel(this);
    label2_ = new QLabel(this);
    for (QLabel *l : {label1_, label2_}) {
        l->setFont(PanelFonts::lineFont());
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setAutoFillBackground(true);
        l->setIndent(2);
    }
    label1_->setObjectName(QStringLiteral("Label1"));
    label2_->setObjectName(QStringLiteral("Label2"));
    label1_->setGeometry(LabelLeftFull, 1, LabelWidth, 33);
    label2_->setGeometry(LabelLeftFull, 34, LabelWidth, 17);

    for (int i = 0; i < 6; ++i) {
        auto *b = new QPushButton(this);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize(QSize(ButtonIcons::Size, ButtonIcons::Size));
        b->setToolTip(QString::fromUtf8(ButtonTips[i]));
        b->setAccessibleName(QString::fromUtf8(ButtonTips[i]));
        b->setEnabled(i == 0);
        b->setObjectName(QStringLiteral("Command%1").arg(i + 1));
        commands_[static_cast<std::size_t>(i)] = b;
    }
    connect(commands_[0], &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(commands_[1], &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(commands_[2], &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(commands_[3], &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(commands_[4], &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(commands_[5], &QPushButton::clicked, this, [this] { Command6_Click(); });

    // The focus box lies below the visible client area and takes every key.
    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(0, 1800 / TwipsPerPixel, 615 / TwipsPerPixel, 405 / TwipsPerPixel);
    text1_->setAttribute(Qt::WA_InputMethodEnabled, false);
    text1_->installEventFilter(this);
    setFocusProxy(text1_);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(10);
    timer1_->setTimerType(Qt::PreciseTimer);
    connect(timer1_, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    applyLayout();
    applyColours();
}

void MainForm::connectMenu() {
    auto on = [this](QAction *a, std::function<void()> handler) {
        connect(a, &QAction::triggered, this, [a, handler = std::move(handler)] {
            MainMenu::undoAutoCheck(a);
            handler();
        });
    };
    MainMenu &m = *menu_;
    for (int i = 0; i < MainMenu::PitchCount; ++i)
        if (MainMenu::PitchValues[i] != 0) on(m.mnuPlayPitchSet[i], [this, i] { mnuPlayPitchSet_Click(i); });
    for (int i = 0; i < 4; ++i) on(m.mnuPlayModeSet[i], [this, i] { mnuPlayModeSet_Click(i); });
    for (int i = 0; i < 2; ++i) on(m.mnuSoundAssistSet[i], [this, i] { mnuSoundAssistSet_Click(i); });
    on(m.mnuRunListEditor, [this] { mnuRunListEditor_Click(); });
    on(m.mnuSpeanaEnable, [this] { mnuSpeanaEnable_Click(); });
    on(m.mnuSpeanaPeakHold, [this] { mnuSpeanaPeakHold_Click(); });
    for (int i = 0; i < 2; ++i) on(m.mnuSpeanaMode[i], [this, i] { mnuSpeanaMode_Click(i); });
    on(m.mnuRunColorEditor, [this] { mnuRunColorEditor_Click(); });
    on(m.mnuColorSet.at(0), [this] { mnuColorSet_Click(0); });
    on(m.mnuSetWindowTop, [this] { mnuSetWindowTop_Click(); });
    on(m.mnuMoveWindowUp, [this] { mnuMoveWindowUp_Click(); });
    on(m.mnuMoveWindowDown, [this] { mnuMoveWindowDown_Click(); });
    on(m.mnuMoveWindowLeft, [this] { mnuMoveWindowLeft_Click(); });
    on(m.mnuMoveWindowRight, [this] { mnuMoveWindowRight_Click(); });
    on(m.mnuRunSetting, [this] { mnuRunSetting_Click(); });
    on(m.mnuRunDebugger, [this] { mnuRunDebugger_Click(); });
    on(m.mnuRunVersion, [this] { mnuRunVersion_Click(); });
}

// ---------------------------------------------------------------- start-up

bool MainForm::Form_Load() {
    if (!Main()) return false;
    writeLog("Corvale Show    - MainForm");
    timer1_->start();
    writeLog("MainFrm Enable  - Timer1");
    openCommandLine();
    return true;
}

void MainForm::endStart(const char *message) {
    env_.dialogs->showMessage(this, QStringLiteral("Corvale"), QString::fromUtf8(message));
}

bool MainForm::Main() {
    // 1-2. One player per AppPath; AppPath is the program folder unless the
    // caller chose a per-user folder.
    appPath_ = env_.appPath.empty() ? env_.programDir : PathUtil::withTrailingSlash(env_.appPath);
    instanceLock_ = std::make_unique<InstanceLock>(env_.lockFolder, appPath_);
    if (!instanceLock_->tryLock()) {
        secondInstance_ = true;
        return false;
    }
    log_.setAppPath(appPath_);
    krc_ = std::make_unique<Krc1000>(log_, appPath_);

    // 3. Settings (this decides whether anything is logged).
    if (krc_->bytSettingRead() != 0) {
        endStart(("設定ファイル読み込みに失敗しました\n起動を中断します\n" + krc_->readFailure()).c_str());
        return false;
    }
    writeLog("MainFrm Called  - Main");

    // 5. The engine library and the engine module.
    if (!env_.loadEngine(api_)) {
        endStart("初期化に失敗しました\n起動を中断します");
        return false;
    }
    krm_ = std::make_unique<Krm1000>(api_, log_, *env_.clock, krc_->settings(), krc_->engineOptions(), *this);
    krw_ = std::make_unique<Krw1000>(krc_->currentColor(), krc_->settings(), krm_->state(), api_, tickNow_, &log_);
    painter_ = std::make_unique<PanelPainter>(*krw_, krc_->currentColor());
    connectDebugWindow();
    if (krm_->KRM1000_Init() != 0) {
        endStart("初期化に失敗しました\n起動を中断します");
        return false;
    }
    // 6. Lyric and analyser options to the engine.
    if (krc_->KRC1000_Init(api_) != 0) {
        endStart("初期化に失敗しました\n起動を中断します");
        return false;
    }
    // 7. Colour schemes, each titled one with its menu item.
    if (krc_->bytLoadColorSet() != 0) {
        endStart(("配色ファイルの読み出しに失敗しました\n起動を中断します\n" + krc_->readFailure()).c_str());
        return false;
    }
    for (int index : krc_->colorMenuIndexes()) {
        if (index == 0 || menu_->mnuColorSet.count(index)) continue;
        QAction *a = menu_->addColorSet(
            index, QString::fromStdString(krc_->colorSets()[static_cast<std::size_t>(index)].colortitle));
        connect(a, &QAction::triggered, this, [this, a, index] {
            MainMenu::undoAutoCheck(a);
            mnuColorSet_Click(index);
        });
    }
    SettingData &s = krc_->settings();
    // 8-10.
    mnuColorSet_Click(s.ColorSet);
    krw_->DrawAllDisplay();
    if (s.DebugMode != 255) menu_->mnuRunDebugger->setVisible(true);

    // 11-12. Placed where it was left, and shown.
    placeAt(s.PositionX, s.PositionY);
    show();
    started_ = true;
    SetTitleLine("Hello!\r\nCorvale");
    SetLyricsLine("");

    // 13-14.
    if (!libraryChecks()) return true;

    // 15-16. The saved play mode and toggles, through their handlers.
    mnuPlayModeSet_Click(s.PlayMode == PlayModes::None ? 0 : s.PlayMode + 1);
    restoreMenuStates();
    return true;
}

bool MainForm::libraryChecks() {
    const std::string library = env_.programDir + LibraryFileName;
    if (!PathUtil::fileExists(library)) {
        SetLyricsLine("Can't work! - VBMP3.DLL Not Found");
        commands_[0]->setEnabled(false);
        menu_->mnuMainForm->setEnabled(false);
        return false;
    }
    const int version = lib_.vbmp3_getVersion();
    std::error_code ec;
    const auto size = std::filesystem::file_size(library, ec);
    if (ec || static_cast<int64_t>(size) != env_.expectedLibrarySize || version != env_.expectedLibraryVersion)
        SetLyricsLine("Caution - VBMP3.DLL Version Missmatch");
    return true;
}

void MainForm::restoreMenuStates() {
    SettingData &s = krc_->settings();
    if (s.BassAssist == 0) {
        s.BassAssist = 255;
        mnuSoundAssistSet_Click(0);
    }
    if (s.TrebleAssist == 0) {
        s.TrebleAssist = 255;
        mnuSoundAssistSet_Click(1);
    }
    if (s.AllwaysTop == 0) {
        s.AllwaysTop = 255;
        mnuSetWindowTop_Click();
    }
    if (s.Speana == 255) {
        s.Speana = 0;
        mnuSpeanaEnable_Click();
    }
    if (s.PeakHold == 0) {
        s.PeakHold = 255;
        mnuSpeanaPeakHold_Click();
    }
    mnuSpeanaMode_Click(s.SpeanaMode);
}

void MainForm::openCommandLine() {
    const std::string current = PathUtil::currentFolder();
    std::vector<std::string> paths;
    for (const std::string &argument : env_.arguments) {
        if (argument.find_first_not_of(' ') == std::string::npos) continue;
        paths.push_back(std::filesystem::path(PathUtil::absolute(argument, current)).lexically_normal().string());
    }
    if (paths.empty() || !krm_) return;
    if (krm_->bytPlayListNewOpen(PathList::join(paths)) == 0) ButtonEnableCheck();
}

// ---------------------------------------------------------------- shutdown

void MainForm::closeEvent(QCloseEvent *event) {
    closing_ = true;
    closeDialogs();
    Form_QueryUnload();
    event->accept();
}

void MainForm::requestQuit() {
    if (unloaded_) return;
    closing_ = true;
    quitRequested_ = true;
    closeDialogs();
    // A dialog's own event loop ends once control returns to it, and the
    // handler that opened it then finishes with Cancel's answer: the window
    // closes after that, from the loop below them.
    QTimer::singleShot(0, this, [this] {
        if (!unloaded_) close();
    });
}

void MainForm::closeDialogs() {
    // The innermost first: a message box or file dialog over a dialog, then
    // that dialog. A list editor keeps its unsaved list instead of asking.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget *top = QApplication::activeModalWidget();
        if (top == nullptr || top == this) break;
        if (auto *editor = dynamic_cast<ListEditor *>(top)) {
            editor->closeKeepingList(keptListFile());
        } else if (auto *dialog = qobject_cast<QDialog *>(top)) {
            dialog->reject();
        } else {
            top->close();
        }
    }
    while (QWidget *popup = QApplication::activePopupWidget()) {
        if (!popup->close()) break;
    }
}

void MainForm::Form_QueryUnload() {
    if (!started_ || unloaded_) return;
    unloaded_ = true;
    timer1_->stop();
    writeLog("Corvale Unload  - Mainform");
    krm_->KRM1000_Free();
    // The window's own table too: nothing reaches the released library.
    api_ = Vbmp3Api{};
    SettingData &s = krc_->settings();
    s.PositionX = pos().x() * TwipsPerPixel;
    s.PositionY = pos().y() * TwipsPerPixel;
    if (krc_->bytSettingWrite() != 0) {
        // A termination request cannot wait for an answer.
        if (quitRequested_)
            std::fprintf(stderr, "Corvale: %s\n", "設定ファイルの書き込みに失敗しました");
        else
            endStart("設定ファイルの書き込みに失敗しました");
    }
    // The debug window closes with this window.
    debugWindow_.reset();
}

// ---------------------------------------------------------------- layout and colours

void MainForm::applyLayout() {
    const bool full = !krc_ || krc_->settings().Speana == 0;
    if (krw_) krw_->SetReadoutShift(full ? 0 : ReadoutShiftCompact);
    setFixedSize(full ? ClientWidth : CompactClientWidth, ClientHeight);
    const int labelLeft = full ? LabelLeftFull : LabelLeftCompact;
    label1_->move(labelLeft, label1_->y());
    label2_->move(labelLeft, label2_->y());
    const int left = labelLeft + label1_->width() + 1;
    for (int i = 0; i < 6; ++i) {
        const int row = i / 2;
        commands_[static_cast<std::size_t>(i)]->setGeometry(left + (i % 2) * ButtonColumnStep, ButtonTops[row],
                                                            ButtonWidth, ButtonHeights[row]);
    }
}

void MainForm::applyColours() {
    ColorSetData scheme;
    if (krc_) {
        scheme = krc_->currentColor();
    } else {
        scheme.title = scheme.lyric = RGBColor(90, 230, 160);
        scheme.titlebg = scheme.lyricbg = RGBColor(0, 48, 0);
    }
    const QColor background = toQColor(scheme.formbg);

    QPalette form = palette();
    form.setColor(QPalette::Window, background);
    setPalette(form);
    auto paintLabel = [](QLabel *label, ColorValue text, ColorValue back) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, toQColor(text));
        p.setColor(QPalette::Window, toQColor(back));
        label->setPalette(p);
    };
    paintLabel(label1_, scheme.title, scheme.titlebg);
    paintLabel(label2_, scheme.lyric, scheme.lyricbg);

    // Buttons: dark keys on the panel with symbols in the title colour.
    const QColor lit = toQColor(scheme.title);
    const QColor face = mix(toQColor(scheme.titlebg), background, 0.5);
    const QColor dim = mix(lit, face, 0.7);
    const QString style = QStringLiteral(
                              "QPushButton { background-color: %1; border: 1px solid %2; border-radius: 2px; }"
                              "QPushButton:hover { border-color: %3; }"
                              "QPushButton:pressed { background-color: %4; }")
                              .arg(face.name(), dim.name(), lit.name(), background.name());
    for (int i = 0; i < 6; ++i) {
        QPushButton *b = commands_[static_cast<std::size_t>(i)];
        b->setStyleSheet(style);
        b->setIcon(ButtonIcons::make(i + 1, lit, dim));
    }
    setWindowIcon(ButtonIcons::make(5, lit, dim));
}

void MainForm::refillBacking() {
    backing_.fill(toQColor(krc_ ? krc_->currentColor().formbg : 0));
    if (krw_) krw_->MarkAllDirty();
    update();
}
