// SPDX-License-Identifier: GPL-3.0-or-later
#include "debugwindow/DebugWindow.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "aboutwindow/ProgramVersion.h"
#include "common/Clock.h"
#include "config/Krc1000.h"
#include "config/SettingData.h"
#include "engine/EngineState.h"
#include "engine/Krm1000.h"
#include "log/DebugLog.h"

namespace {

// The design caption of every grid row: 32 digit positions between blanks.
const char *const RowDesign = "0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1";

QString text(const std::string &s) { return QString::fromStdString(s); }

}  // namespace

DebugWindow::DebugWindow(DebugLog &log, Clock &clock) : QWidget(nullptr), log_(log), clock_(clock) {
    buildControls();
    for (const std::string &line : log_.list().lines()) List1->addItem(text(line));
    if (List1->count() > 0) List1->setCurrentRow(List1->count() - 1);
    log_.list().setListener([this](std::size_t droppedFront) { followLog(droppedFront); });
    Form_Load();
}

DebugWindow::~DebugWindow() { log_.list().setListener({}); }

void DebugWindow::buildControls() {
    setWindowTitle(QStringLiteral("DebugWindow"));
    // The main window unloads this one; it never keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont terminal = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    terminal.setPointSizeF(9.0);
    setFont(terminal);

    List1 = new QListWidget(this);
    List1->setMinimumWidth(QFontMetrics(terminal).horizontalAdvance(QLatin1Char('0')) * 56);

    auto *figures = new QGridLayout;
    figures->setVerticalSpacing(0);
    struct Row {
        std::array<QLabel *, 2> &pair;
        const char *name;
        const char *value;
    };
    const Row rows[] = {
        {Label3, "Track=", "000/000"},  {Label4, "SysTrack=", "000/000"}, {Label5, "TimeSec=", "0000/0000"},
        {Label6, "PlayChk=", "255"},    {Label7, "PlayMode=", "255"},     {Label8, "BitRate=", "000"},
        {Label9, "SampRate=", "00000"},
    };
    int r = 0;
    for (const Row &row : rows) {
        row.pair[0] = new QLabel(QString::fromLatin1(row.name), this);
        row.pair[1] = new QLabel(QString::fromLatin1(row.value), this);
        figures->addWidget(row.pair[0], r, 0, Qt::AlignRight);
        figures->addWidget(row.pair[1], r, 1, Qt::AlignLeft);
        ++r;
    }
    figures->setColumnStretch(2, 1);

    auto *periods = new QHBoxLayout;
    const std::array<const char *, 3> periodNames{"25msec", "50msec", "75msec"};
    for (int i = 0; i < 3; ++i) {
        Option1[i] = new QRadioButton(QString::fromLatin1(periodNames[i]), this);
        connect(Option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        periods->addWidget(Option1[i]);
    }
    Option1[1]->setChecked(true);
    Command1 = new QPushButton(QStringLiteral("Hide"), this);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    periods->addStretch();
    periods->addWidget(Command1);

    auto *left = new QVBoxLayout;
    left->addWidget(List1, 1);
    left->addLayout(figures);
    left->addLayout(periods);

    auto *grids = new QVBoxLayout;
    grids->setSpacing(0);
    for (QLabel *&row : Label1) {
        row = new QLabel(QString::fromLatin1(RowDesign), this);
        grids->addWidget(row);
    }
    grids->addSpacing(QFontMetrics(terminal).height() / 2);
    for (QLabel *&row : Label2) {
        row = new QLabel(QString::fromLatin1(RowDesign), this);
        grids->addWidget(row);
    }
    grids->addStretch();

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(grids);

    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
}

void DebugWindow::Form_Load() {
    log_.WriteDebugLog("Corvale Version - " + ProgramVersion::logText() + " ");
    log_.WriteDebugLog(std::string("Corvale Info    - KRC") + Krc1000::Version);
    log_.WriteDebugLog(std::string("Corvale Info    - KRM") + Krm1000::Version);
    log_.WriteDebugLog(std::string("Corvale Info    - KRW") + Krw1000::Version);
    log_.WriteDebugLog("Corvale Show    - DebugWindow");
    DebugRowTemplate = Label1[0]->text().toStdString();
    LastDebugUpdate = clock_.timeGetTime();
    debugFiguresShown_ = false;
}

void DebugWindow::followLog(std::size_t droppedFront) {
    for (std::size_t i = 0; i < droppedFront && List1->count() > 0; ++i) delete List1->takeItem(0);
    const auto &lines = log_.list().lines();
    if (lines.empty()) return;
    List1->addItem(text(lines.back()));
    List1->setCurrentRow(List1->count() - 1);
}

void DebugWindow::paintEvent(QPaintEvent *event) {
    Form_Paint();
    QWidget::paintEvent(event);
}

void DebugWindow::showEvent(QShowEvent *event) {
    Form_Paint();
    QWidget::showEvent(event);
}

void DebugWindow::closeEvent(QCloseEvent *event) {
    // Closed from its frame it is put away like "Hide": the log goes on.
    Timer1->stop();
    event->accept();
}

void DebugWindow::Form_Paint() {
    if (!Timer1->isActive()) Timer1->start();
}

void DebugWindow::Command1_Click() {
    hide();
    Timer1->stop();
}

void DebugWindow::Option1_Click(int Index) {
    if (Index < 0 || Index > 2) return;
    Timer1->setInterval((Index + 1) * 25);
}

std::string DebugWindow::formatNumber(int64_t value, int digits) {
    const bool negative = value < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string s = std::to_string(magnitude);
    if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<std::size_t>(digits) - s.size(), '0');
    return negative ? "-" + s : s;
}

template <typename Grid>
void DebugWindow::showGrid(const Grid &cells, QLabel *const *rows, int rowCount) {
    for (int r = 0; r < rowCount; ++r) {
        for (std::size_t c = 0; c < cells.size() && 2 * c < DebugRowTemplate.size(); ++c)
            DebugRowTemplate[2 * c] = std::to_string(cells[c][static_cast<std::size_t>(r)]).front();
        rows[r]->setText(text(DebugRowTemplate));
    }
}

void DebugWindow::Timer1_Timer() {
    const EngineState *engine = sources_.engine;
    if (!debugFiguresShown_ || Clock::passed(clock_.timeGetTime(), LastDebugUpdate, SlowPeriod)) {
        debugFiguresShown_ = true;
        if (engine) {
            const PlayListData &list = engine->PlayList;
            Label3[1]->setText(text(formatNumber(list.TrackNumber, 3) + "/" + formatNumber(list.TrackCount, 3)));
            Label4[1]->setText(text(formatNumber(list.PlayPosition, 3) + "/" + formatNumber(list.LastIndex, 3)));
            Label5[1]->setText(
                text(formatNumber(engine->ElapsedSeconds, 4) + "/" + formatNumber(engine->TrackInfo.LengthSeconds, 4)));
            Label6[1]->setText(text(formatNumber(engine->PlayState, 3)));
            Label9[1]->setText(text(formatNumber(engine->TrackInfo.SamplingRate, 5)));
        }
        if (sources_.engineOptions) Label7[1]->setText(text(formatNumber(sources_.engineOptions->PlayMode, 3)));
        LastDebugUpdate = clock_.timeGetTime();
    }
    if (engine) Label8[1]->setText(text(formatNumber(engine->BitRate, 3)));
    if (sources_.speanaCells) showGrid(*sources_.speanaCells, Label1.data(), Krw1000::SpeanaRows);
    if (sources_.lvMeterCells) showGrid(*sources_.lvMeterCells, Label2.data(), Krw1000::LvMeterRows);
}
