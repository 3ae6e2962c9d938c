// SPDX-License-Identifier: GPL-3.0-or-later
// The settings dialog: sound quality (one-touch presets or custom values),
// analyser, lyrics and colour-editor settings. Modal over the main window.
// The controls are filled from SettingData when it opens; nothing reaches
// SettingData before OK, and OK stores nothing while the input frame count is
// below the output frame count.
#pragma once

#include <array>
#include <cstdint>

#include <QDialog>

class DebugLog;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class UserDialogs;
struct SettingData;

class SetForm : public QDialog {
public:
    // One row of the one-touch presets: list entries and scroll bar values.
    struct Preset {
        int InputSample;    // Combo1(0) entry
        int OutputEntry;    // Combo1(1) entry
        int OutputChannel;  // Combo1(2) entry
        int InputFrame, OutputFrame, InputWait, OutputWait;
    };
    static constexpr std::array<Preset, 5> Presets{{
        {2, 4, 1, 30, 20, 5, 0},
        {1, 3, 1, 30, 20, 5, 0},
        {0, 2, 0, 30, 20, 5, 0},
        {0, 1, 0, 30, 20, 5, 0},
        {0, 0, 0, 30, 20, 5, 0},
    }};
    static constexpr std::array<int32_t, 5> OutputRates{48000, 44100, 32000, 22050, 11025};

    SetForm(QWidget *owner, DebugLog &log, UserDialogs &dialogs, SettingData &settings);

    void SetForm_Init();
    void Option1_Click(int Index);    // mode: 0 one-touch, 1 custom
    void Option2_Click(int Index);    // one-touch preset
    void HScroll1_Change(int Index);  // quality value labels
    void HScroll2_Change();
    void HScroll3_Change();
    void Command1_Click();  // "..."
    void Command2_Click();  // OK
    void Command3_Click();  // Cancel
    void Command4_Click();  // Default

    // Quality group.
    QGroupBox *Frame1 = nullptr;
    std::array<QRadioButton *, 2> Option1{};
    QGroupBox *Frame2 = nullptr;
    std::array<QRadioButton *, 5> Option2{};
    QGroupBox *Frame3 = nullptr;
    std::array<QLabel *, 7> Label1{};
    std::array<QComboBox *, 3> Combo1{};
    std::array<QScrollBar *, 4> HScroll1{};
    std::array<QLabel *, 4> Label2{};
    // Drawing group.
    QGroupBox *Frame4 = nullptr;
    QGroupBox *Frame5 = nullptr;
    QScrollBar *HScroll2 = nullptr;
    QLabel *Label4 = nullptr;
    QComboBox *Combo2 = nullptr;
    QGroupBox *Frame6 = nullptr;
    std::array<QComboBox *, 2> Combo3{};
    QScrollBar *HScroll3 = nullptr;
    QLabel *Label6 = nullptr;
    // Other.
    QGroupBox *Frame7 = nullptr;
    QLabel *Label8 = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *Label9 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;

protected:
    // Every way of closing passes here (Form_QueryUnload).
    void done(int result) override;

private:
    void buildControls();
    void buildQualityGroup();
    void buildDrawingGroup();
    void buildOtherGroup();
    void Form_Load();
    // Selects a mode or preset button; its handler runs when it was not selected.
    void selectOption1(int Index);
    void selectOption2(int Index);
    void setQualityControlsEnabled(bool on);
    static void setTextColor(QLabel *label, bool red);

    QWidget *owner_;
    DebugLog &log_;
    UserDialogs &dialogs_;
    SettingData &settings_;
};
