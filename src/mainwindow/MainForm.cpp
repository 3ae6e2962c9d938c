#include "mainwindow/MainForm.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "aboutwindow/Version.h"
#include "app/QtUserDialogs.h"
#include "app/ShowFileDialog.h"
#include "common/AudioFileTypes.h"
#include "common/PathUtil.h"
#include "common/SteadyClock.h"
#include "config/Krc1000.h"
#include "debugwindow/DebugWindow.h"
#include "display/Krw1000.h"
#include "display/PanelPainter.h"
#include "engine/Krm1000.h"
#include "engine/Vbmp3Loader.h"
#include "listeditor/ListEditor.h"
#include "mainwindow/ButtonEnableRule.h"
#include "mainwindow/ButtonIcons.h"
#include "mainwindow/InstanceLock.h"
#include "mainwindow/KeyTranslation.h"
#include "mainwindow/PanelFonts.h"
#include "settingsdialog/SetForm.h"

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

// Dialog flags of the open button: Explorer style, file and path must exist,
// multiple selection, no read-only box.
constexpr uint32_t OpenDialogFlags = 0x81A04;

QColor toQColor(ColorValue c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QColor mix(const QColor &a, const QColor &b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                            static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                            static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

QString labelText(const std::string &text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

std::string decimal(int value) { return std::to_string(value); }

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
        env_.startProgram = [](const std::string &path) { QProcess::startDetached(QFile::decodeName(path.c_str()), {}); };
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
    label1_->setGeometry(LabelLeftFull, 1, LabelWidth, 33);
    label2_->setGeometry(LabelLeftFull, 34, LabelWidth, 17);

    for (int i = 0; i < 6; ++i) {
        auto *b = new QPushButton(this);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize(QSize(ButtonIcons::Size, ButtonIcons::Size));
        b->setToolTip(QString::fromUtf8(ButtonTips[i]));
        b->setAccessibleName(QString::fromUtf8(ButtonTips[i]));
        b->setEnabled(i == 0);
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
    text1_->setGeometry(0, 1800 / TwipsPerPixel, 615 / TwipsPerPixel, 405 / TwipsPerPixel);
    text1_->setAttribute(Qt::WA_InputMethodEnabled, false);
    text1_->installEventFilter(this);
    setFocusProxy(text1_);

    timer1_ = new QTimer(this);
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
        endStart("設定ファイル読み込みに失敗しました\n起動を中断します");
        return false;
    }
    writeLog("MainFrm Called  - Main");

    // 5. The engine library and the engine module.
    if (!env_.loadEngine(api_)) {
        endStart("初期化に失敗しました\n起動を中断します");
        return false;
    }
    krm_ = std::make_unique<Krm1000>(api_, log_, *env_.clock, krc_->settings(), krc_->engineOptions(), *this);
    krw_ = std::make_unique<Krw1000>(krc_->currentColor(), krc_->settings(), krm_->state(), api_, tickNow_);
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
        endStart("配色ファイルの読み出しに失敗しました\n起動を中断します");
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
    mnuPlayModeSet_Click(s.PlayMode == 255 ? 0 : s.PlayMode + 1);
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
    const int version = api_.vbmp3_getVersion ? api_.vbmp3_getVersion() : -1;
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
    std::string spec;
    for (const std::string &argument : env_.arguments) {
        if (argument.find_first_not_of(' ') == std::string::npos) continue;
        const std::string path =
            std::filesystem::path(PathUtil::absolute(argument, current)).lexically_normal().string();
        if (!spec.empty()) spec.push_back('\0');
        spec += path;
    }
    if (spec.empty() || !krm_) return;
    if (krm_->bytPlayListNewOpen(spec) == 0) ButtonEnableCheck();
}

// ---------------------------------------------------------------- tick and painting

void MainForm::Timer1_Timer() {
    if (!krm_ || !krw_ || unloaded_) return;
    tickNow_ = env_.clock->timeGetTime();
    krm_->PlayStateCheck();
    krm_->LyricsCheck();
    krw_->DrawBitRate();
    if (krc_->settings().Speana == 0) {
        krw_->UpdateSpeana();
        krw_->UpdateLvMeter();
        flush(painter_->FlushSpeana(backing_));
        flush(painter_->FlushLvMeter(backing_));
    }
    if (Clock::diff(tickNow_, lastSlowTick_) >= 150) {
        krw_->DrawNowTime();
        lastSlowTick_ = tickNow_;
    }
    flush(painter_->FlushReadout(backing_));
    if (!pendingPaint_.isEmpty() && Clock::diff(tickNow_, lastPresent_) >= PresentInterval) {
        update(pendingPaint_);
        pendingPaint_ = QRegion();
        lastPresent_ = tickNow_;
    }
}

void MainForm::flush(const QRegion &touched) {
    pendingPaint_ += touched;
}

void MainForm::Form_Paint() {
    if (krw_) krw_->MarkAllDirty();
}

void MainForm::refillBacking() {
    backing_.fill(toQColor(krc_ ? krc_->currentColor().formbg : 0));
    if (krw_) krw_->MarkAllDirty();
    update();
}

void MainForm::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    for (const QRect &r : event->region()) painter.drawImage(r, backing_, r);
}

void MainForm::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (QWindow *w = windowHandle()) {
        w->removeEventFilter(this);
        w->installEventFilter(this);
    }
    Form_Paint();
    focusText1();
}

void MainForm::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized)) Form_Paint();
}

// ---------------------------------------------------------------- shutdown

void MainForm::closeEvent(QCloseEvent *event) {
    Form_QueryUnload();
    event->accept();
}

void MainForm::Form_QueryUnload() {
    if (!started_ || unloaded_) return;
    unloaded_ = true;
    timer1_->stop();
    writeLog("Corvale Unload  - Mainform");
    krm_->KRM1000_Free();
    SettingData &s = krc_->settings();
    s.PositionX = pos().x() * TwipsPerPixel;
    s.PositionY = pos().y() * TwipsPerPixel;
    if (krc_->bytSettingWrite() != 0) endStart("設定ファイルの書き込みに失敗しました");
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

// ---------------------------------------------------------------- buttons and keys

void MainForm::focusText1() {
    if (text1_) text1_->setFocus(Qt::OtherFocusReason);
}

void MainForm::Command1_Click() {
    writeLog("MainFrm Called  - Command1");
    if (!krm_) return;
    static const std::string filter = AudioFileTypes::openDialogFilter();
    SettingData &s = krc_->settings();
    std::string folder = s.LastPath;
    const std::string result =
        ShowFileDialog(*env_.dialogs, 0, "ファイルを開く", this, OpenDialogFlags, filter, "", folder);
    s.LastPath = folder;
    if (result.empty()) {
        writeLog("MainFrm Cancel  - Command1");
        return;
    }
    if (krm_->bytPlayListNewOpen(result) != 0) {
        writeLog("MainFrm Failed  - Command1");
        return;
    }
    ButtonEnableCheck();
    focusText1();
}

void MainForm::Command2_Click() {
    writeLog("MainFrm Called  - Command2");
    if (krm_) krm_->bytPlayStop();
    ButtonEnableCheck();
    focusText1();
}

void MainForm::Command3_Click() {
    writeLog("MainFrm Called  - Command3");
    if (krm_) krm_->bytPlayRewind();
    ButtonEnableCheck();
    focusText1();
}

void MainForm::Command4_Click() {
    writeLog("MainFrm Called  - Command4");
    if (krm_) krm_->bytPlayForward();
    ButtonEnableCheck();
    focusText1();
}

void MainForm::Command5_Click() {
    writeLog("MainFrm Called  - Command5");
    if (krm_) krm_->bytPlayStart();
    ButtonEnableCheck();
    focusText1();
}

void MainForm::Command6_Click() {
    writeLog("MainFrm Called  - Command6");
    if (krm_) krm_->bytPlayPause();
    ButtonEnableCheck();
    focusText1();
}

void MainForm::ButtonEnableCheck() {
    writeLog("MainFrm Called  - ButtonEnableCheck");
    if (!krm_) return;
    ButtonEnableRule::States current{};
    for (std::size_t i = 0; i < 6; ++i) current[i] = commands_[i]->isEnabled();
    const EngineState &e = krm_->state();
    applyButtonStates(ButtonEnableRule::apply(current, e.PlayList.TrackCount, e.PlayList.TrackNumber, e.PlayState,
                                              krc_->settings().PlayMode));
}

void MainForm::applyButtonStates(const std::array<bool, 6> &states) {
    for (std::size_t i = 0; i < 6; ++i) commands_[i]->setEnabled(states[i]);
}

void MainForm::Text1_KeyDown(int &KeyCode, int Shift) {
    writeLog("MainFrm Called  - Text1_KeyDown");
    auto enabled = [this](int n) { return command(n)->isEnabled(); };
    if (Shift == KeyTranslation::AltMask) {
        if (KeyCode == 115) close();
        KeyCode = 0;
        return;
    }
    switch (KeyCode) {
    case 81:  // Q
        close();
        break;
    case 79:   // O
    case 112:  // F1
        if (enabled(1)) Command1_Click();
        break;
    case 82:   // R
    case 116:  // F5
        if (enabled(3)) Command3_Click();
        break;
    case 70:   // F
    case 119:  // F8
        if (enabled(4)) Command4_Click();
        break;
    case 83:   // S
    case 120:  // F9
        if (enabled(2)) Command2_Click();
        break;
    case 73:   // I
    case 121:  // F10
        if (enabled(6)) Command6_Click();
        break;
    case 72:   // H
    case 122:  // F11
        Form_DblClick();
        break;
    case 80:   // P
    case 123:  // F12
        if (enabled(5)) Command5_Click();
        break;
    default:
        break;
    }
    KeyCode = 0;
}

bool MainForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == text1_) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            int code = KeyTranslation::virtualKey(key->key());
            Text1_KeyDown(code, KeyTranslation::shiftMask(key->modifiers()));
            return true;
        }
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();  // every key goes to the key handler
            return true;
        }
    } else if (watched == windowHandle() && event->type() == QEvent::Expose) {
        Form_Paint();
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- mouse, drop, volume

void MainForm::mousePressEvent(QMouseEvent *event) {
    int button = 0;
    if (event->button() == Qt::LeftButton) button = 1;
    if (event->button() == Qt::RightButton) button = 2;
    if (event->button() == Qt::MiddleButton) button = 4;
    const QPoint p = event->position().toPoint();
    Form_MouseDown(button, KeyTranslation::shiftMask(event->modifiers()), p.x(), p.y());
}

void MainForm::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) Form_DblClick();
}

void MainForm::Form_MouseDown(int Button, int /*Shift*/, int X, int Y) {
    if (Button != 2 || !menu_->mnuMainForm->isEnabled()) return;
    menu_->mnuMainForm->popup(mapToGlobal(QPoint(X, Y)));
}

void MainForm::Form_DblClick() {
    if (!krc_) return;
    SettingData &s = krc_->settings();
    s.HalfVolume = static_cast<uint8_t>(~s.HalfVolume);
    writeLog("MainFrm Called  - Form_DblClick(" + decimal(s.HalfVolume) + ")");
    const int volume = s.HalfVolume == 0 ? 50 : 100;
    if (api_.vbmp3_setSoftVolume) api_.vbmp3_setSoftVolume(volume, volume);
    if (api_.vbmp3_reload) api_.vbmp3_reload();
    const std::string title = krm_ ? krm_->state().TitleText : std::string();
    std::string caption = title + (s.HalfVolume == 0 ? " - Corvale(Volume 1/2)" : " - Corvale");
    if (title.empty()) caption.erase(0, 3);
    SetWindowCaption(caption);
}

void MainForm::dragEnterEvent(QDragEnterEvent *event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainForm::dragMoveEvent(QDragMoveEvent *event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainForm::dropEvent(QDropEvent *event) {
    Form_OLEDragDrop(event->mimeData()->urls());
    event->acceptProposedAction();
}

void MainForm::Form_OLEDragDrop(const QList<QUrl> &urls) {
    writeLog("MainFrm Called  - Form_OLEDragDrop");
    if (!krm_ || !commands_[0]->isEnabled() || urls.isEmpty() || urls.front().toLocalFile().isEmpty()) return;
    // Full paths joined by NULs, so files from different folders keep their
    // own; folders and anything else that is not a file are passed over.
    std::string spec;
    for (const QUrl &url : urls) {
        const QFileInfo info(url.toLocalFile());
        if (url.toLocalFile().isEmpty() || !info.isFile()) continue;
        if (!spec.empty()) spec.push_back('\0');
        spec += QFile::encodeName(info.absoluteFilePath()).toStdString();
    }
    if (spec.empty()) return;
    if (krm_->bytPlayListNewOpen(spec) == 0) ButtonEnableCheck();
}

std::string MainForm::instanceLockFile() const { return instanceLock_ ? instanceLock_->fileName() : std::string(); }

void MainForm::openForwarded(const std::vector<std::string> &paths) {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    // While a dialog is open the window takes no drop: the dialog comes forward.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
        return;
    }
    if (paths.empty()) return;
    QList<QUrl> urls;
    for (const std::string &path : paths) urls.push_back(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
    Form_OLEDragDrop(urls);
}

// ---------------------------------------------------------------- playback menus

void MainForm::mnuPlayPitchSet_Click(int Index) {
    if (Index < 0 || Index >= MainMenu::PitchCount || MainMenu::PitchValues[Index] == 0) return;
    const int value = MainMenu::PitchValues[Index];
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", value / 100.0);
    writeLog(std::string("MainFrm Called  - mnuPlayPitchSet(x") + text + ")");
    if (api_.vbmp3_setPitch) api_.vbmp3_setPitch(value);
    for (QAction *a : menu_->mnuPlayPitchSet) a->setChecked(false);
    menu_->mnuPlayPitchSet[Index]->setChecked(true);
}

void MainForm::mnuPlayModeSet_Click(int Index) {
    if (!krc_ || Index < 0 || Index > 3) return;
    SettingData &s = krc_->settings();
    s.PlayMode = static_cast<uint8_t>(Index);
    for (QAction *a : menu_->mnuPlayModeSet) a->setChecked(false);
    menu_->mnuPlayModeSet[Index]->setChecked(true);
    s.PlayMode = static_cast<uint8_t>(Index - 1);
    krc_->engineOptions().PlayMode = s.PlayMode;
    writeLog("MainFrm Called  - mnuPlayModeSet(" + decimal(s.PlayMode) + ")");
    if (krm_ && krm_->bytPlayModeChange() == 0) {
        ButtonEnableCheck();
        krw_->DrawRepeatMark();
    }
}

void MainForm::mnuSoundAssistSet_Click(int Index) {
    if (!krc_ || Index < 0 || Index > 1) return;
    SettingData &s = krc_->settings();
    if (Index == 0) {
        s.BassAssist = static_cast<uint8_t>(~s.BassAssist);
        const bool on = s.BassAssist == 0;
        equalizerBands_[0] = on ? 30 : 0;
        equalizerBands_[1] = on ? 20 : 0;
        equalizerBands_[2] = on ? 10 : 0;
    } else {
        s.TrebleAssist = static_cast<uint8_t>(~s.TrebleAssist);
        const bool on = s.TrebleAssist == 0;
        equalizerBands_[7] = on ? 10 : 0;
        equalizerBands_[8] = on ? 20 : 0;
        equalizerBands_[9] = on ? 30 : 0;
    }
    if (api_.vbmp3_setEqualizer) api_.vbmp3_setEqualizer(equalizerBands_.data());
    if (api_.vbmp3_reload) api_.vbmp3_reload();
    QAction *item = menu_->mnuSoundAssistSet[static_cast<std::size_t>(Index)];
    item->setChecked(!item->isChecked());
    writeLog("MainFrm Called  - mnuSoundAssistSet(" + decimal(Index) + ")");
}

// The list editor, the settings dialog and the About window are modal to this
// window (it takes no input while one is open) and the tick goes on.
static void openModal(QDialog *dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MainForm::mnuRunListEditor_Click() {
    writeLog("MainFrm Called  - mnuRunListEditor");
    if (!krc_) return;
    openModal(new ListEditor(this, *env_.dialogs, krc_->settings().AllwaysTop));
}

void MainForm::mnuRunSetting_Click() {
    writeLog("MainFrm Called  - mnuRunSetting");
    if (!krc_) return;
    openModal(new SetForm(this, log_, *env_.dialogs, krc_->settings()));
}

void MainForm::mnuRunDebugger_Click() {
    if (!debugWindow_) return;
    debugWindow_->show();
    debugWindow_->raise();
    debugWindow_->activateWindow();
}

void MainForm::mnuRunVersion_Click() {
    writeLog("MainFrm Called  - mnuRunVersion");
    if (!krc_) return;
    openModal(new Version(this, log_, krc_->settings().AllwaysTop, env_.programDir));
}

void MainForm::connectDebugWindow() {
    if (!debugWindow_ || !krm_ || !krw_) return;
    debugWindow_->setSources(
        {&krm_->state(), &krc_->engineOptions(), &krw_->SpeanaCells(), &krw_->LvMeterCells()});
}

// ---------------------------------------------------------------- analyser and colours

void MainForm::mnuSpeanaEnable_Click() {
    if (!krc_) return;
    menu_->mnuSpeanaEnable->setChecked(!menu_->mnuSpeanaEnable->isChecked());
    SettingData &s = krc_->settings();
    s.Speana = s.Speana == 0 ? 255 : 0;
    writeLog("MainFrm Called  - mnuSpeanaEnable(" + decimal(s.Speana) + ")");
    applyLayout();
    refillBacking();
}

void MainForm::mnuSpeanaPeakHold_Click() {
    if (!krc_) return;
    menu_->mnuSpeanaPeakHold->setChecked(!menu_->mnuSpeanaPeakHold->isChecked());
    SettingData &s = krc_->settings();
    s.PeakHold = s.PeakHold == 0 ? 255 : 0;
    writeLog("MainFrm Called  - mnuSpeanaPeakHold(" + decimal(s.PeakHold) + ")");
}

void MainForm::mnuSpeanaMode_Click(int Index) {
    if (!krc_) return;
    krc_->settings().SpeanaMode = static_cast<uint8_t>(Index);
    if (krw_) krw_->SetSpeanaMode(Index);
    for (QAction *a : menu_->mnuSpeanaMode) a->setChecked(false);
    if (Index >= 0 && Index < 2) menu_->mnuSpeanaMode[static_cast<std::size_t>(Index)]->setChecked(true);
}

void MainForm::mnuRunColorEditor_Click() {
    writeLog("MainFrm Called  - mnuRunColorEditor");
    if (!krc_) return;
    const std::string &editor = krc_->settings().CEditor;
    if (!editor.empty() && PathUtil::fileExists(editor)) env_.startProgram(editor);
}

void MainForm::mnuColorSet_Click(int Index) {
    if (!krc_) return;
    if (Index < 0 || Index > menu_->highestColorSetIndex()) Index = 0;
    krc_->settings().ColorSet = static_cast<uint8_t>(Index);
    krc_->applyColorSet(Index);
    applyColours();
    if (krw_) krw_->RedrawAfterColorChange();
    refillBacking();
    for (auto &[index, action] : menu_->mnuColorSet) action->setChecked(index == Index);
}

// ---------------------------------------------------------------- window placement

void MainForm::placeAt(int32_t positionX, int32_t positionY) {
    QPoint p(static_cast<int>(std::lround(positionX / double(TwipsPerPixel))),
             static_cast<int>(std::lround(positionY / double(TwipsPerPixel))));
    // A position saved on a screen that is gone puts the window on the primary one.
    const QRect wanted(p, size());
    bool visible = false;
    for (QScreen *screen : QGuiApplication::screens()) visible = visible || screen->geometry().intersects(wanted);
    if (!visible && QGuiApplication::primaryScreen())
        p = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
    move(p);
}

void MainForm::moveFrameTo(int x, int y) { move(x, y); }

void MainForm::setTopmost(bool on) {
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (QWindow *w = windowHandle()) {
        // Change the hint on the live window without hiding it.
        overrideWindowFlags(flags);
        w->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

void MainForm::mnuSetWindowTop_Click() {
    if (!krc_) return;
    SettingData &s = krc_->settings();
    s.AllwaysTop = s.AllwaysTop == 0 ? 255 : 0;
    menu_->mnuSetWindowTop->setChecked(!menu_->mnuSetWindowTop->isChecked());
    writeLog("MainFrm Called  - mnuSetWindowsTop(" + decimal(s.AllwaysTop) + ")");
    setTopmost(s.AllwaysTop == 0);
}

void MainForm::GetWorkArea() { workAreaRect_ = env_.workArea(); }

void MainForm::mnuMoveWindowUp_Click() {
    writeLog("MainFrm Called  - mnuMoveWindowUp");
    GetWorkArea();
    moveFrameTo(pos().x(), workAreaRect_.top());
}

void MainForm::mnuMoveWindowDown_Click() {
    writeLog("MainFrm Called  - mnuMoveWindowDown");
    GetWorkArea();
    moveFrameTo(pos().x(), workAreaRect_.top() + workAreaRect_.height() - frameGeometry().height());
}

void MainForm::mnuMoveWindowLeft_Click() {
    writeLog("MainFrm Called  - mnuMoveWindowLeft");
    GetWorkArea();
    moveFrameTo(workAreaRect_.left(), pos().y());
}

void MainForm::mnuMoveWindowRight_Click() {
    writeLog("MainFrm Called  - mnuMoveWindowRight");
    GetWorkArea();
    moveFrameTo(workAreaRect_.left() + workAreaRect_.width() - frameGeometry().width(), pos().y());
}

// ---------------------------------------------------------------- PlayerView

void MainForm::SetTitleLine(const std::string &text) { label1_->setText(labelText(text)); }

void MainForm::SetLyricsLine(const std::string &text) { label2_->setText(labelText(text)); }

void MainForm::SetWindowCaption(const std::string &text) { setWindowTitle(QString::fromStdString(text)); }

void MainForm::DrawTrackNumber() {
    if (krw_) krw_->DrawTrackNumber();
}

void MainForm::DrawAllTime() {
    if (krw_) krw_->DrawAllTime();
}

void MainForm::DrawFrequency() {
    if (krw_) krw_->DrawFrequency();
}
