// SPDX-License-Identifier: GPL-3.0-or-later
// The debug window: the running log, live playlist and engine figures, and
// the analyser and meter cell states as digits. Loaded (hidden) by the first
// log line when logging is on; shown by the main window's "Debugger" item;
// "Hide" puts it away while it keeps collecting the log. Never modal.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <QWidget>

#include "display/Krw1000.h"

class Clock;
class DebugLog;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;
struct EngineOptionData;
struct EngineState;

class DebugWindow : public QWidget {
public:
    // Where the figures come from. The window is loaded before the engine and
    // the display exist, so each source may still be null; its figures then
    // stay as they are.
    struct Sources {
        const EngineState *engine = nullptr;
        const EngineOptionData *engineOptions = nullptr;  // the current play mode
        const Krw1000::SpeanaGrid *speanaCells = nullptr;
        const Krw1000::LvMeterGrid *lvMeterCells = nullptr;
    };

    static constexpr int SlowPeriod = 150;  // ms between updates of the slow figures

    // Shows the lines log.list() holds and follows it from now on; writes the
    // load lines through the log.
    DebugWindow(DebugLog &log, Clock &clock);
    ~DebugWindow() override;

    void setSources(const Sources &sources) { sources_ = sources; }

    void Form_Paint();              // starts the refresh
    void Command1_Click();          // "Hide"
    void Option1_Click(int Index);  // refresh period (Index + 1) x 25 ms
    void Timer1_Timer();

    // Decimal with leading zeros to `digits`; a wider number in full; a
    // negative one with "-" before its padded digits (-1 in three: "-001").
    static std::string formatNumber(int64_t value, int digits);

    QListWidget *List1 = nullptr;
    std::array<QLabel *, 2> Label3{}, Label4{}, Label5{}, Label6{}, Label7{}, Label8{}, Label9{};
    std::array<QLabel *, Krw1000::SpeanaRows> Label1{};
    std::array<QLabel *, Krw1000::LvMeterRows> Label2{};
    std::array<QRadioButton *, 3> Option1{};
    QPushButton *Command1 = nullptr;
    QTimer *Timer1 = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void followLog(std::size_t droppedFront);
    template <typename Grid>
    void showGrid(const Grid &cells, QLabel *const *rows, int rowCount);

    DebugLog &log_;
    Clock &clock_;
    Sources sources_;
    std::string DebugRowTemplate;
    int32_t LastDebugUpdate = 0;      // from the clock at load
    bool debugFiguresShown_ = false;  // the first refresh shows them at once
};
