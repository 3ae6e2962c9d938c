// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>

#include <sys/stat.h>

#include "config/SettingData.h"
#include "log/DebugLog.h"
#include "settingsdialog/SetForm.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace {

QColor textColor(const QLabel *label) { return label->palette().color(QPalette::Active, QPalette::WindowText); }
const QColor Red(255, 0, 0), Black(0, 0, 0);

struct SetFormTest : ::testing::Test {
    // Every field of the dialog off its factory value, in range.
    static SettingData custom() {
        SettingData s;
        s.EasySetting = 255;
        s.BasicSet = 2;
        s.InputSample = 1;
        s.OutputSample = 22050;
        s.OutputChannel = 1;
        s.InputFrame = 60;
        s.OutputFrame = 40;
        s.InputWait = 7;
        s.OutputWait = 3;
        s.SpeanaInterval = 33;
        s.FFTFunction = 3;
        s.LyricBaseTime = 0;
        s.LyricNotTimeLine = 255;
        s.LyricTimeOffset = -250;
        s.CEditor = "/usr/bin/kcl-editor";
        return s;
    }
    DebugLog log;
    ScriptedDialogs dialogs;
    SettingData settings = custom();
    SetForm form{nullptr, log, dialogs, settings};
    SetFormTest() { form.show(); }
};

TEST_F(SetFormTest, OkWithoutChangesStoresWhatWasLoaded) {
    form.Command2_Click();
    EXPECT_EQ(settings, custom());
    EXPECT_FALSE(form.isVisible());
}

TEST_F(SetFormTest, OutOfRangeValuesStoreWhatTheControlsShow) {
    settings = SettingData{};
    settings.BasicSet = 1;
    settings.OutputSample = 40000;
    settings.InputWait = 0;
    SetForm f(nullptr, log, dialogs, settings);
    f.Command2_Click();
    EXPECT_EQ(settings.OutputSample, 22050);
    EXPECT_EQ(settings.InputWait, 1);
}

TEST_F(SetFormTest, PresetFillsTheControlsOnceAndLocksThem) {
    form.Option1[0]->click();
    form.Option2[1]->click();
    EXPECT_EQ(form.Combo1[1]->currentText(), QStringLiteral("22050Hz"));
    EXPECT_EQ(form.HScroll1[0]->value(), 30);
    EXPECT_FALSE(form.HScroll1[0]->isEnabled() || form.Combo1[1]->isEnabled());
    form.Option1[1]->click();
    EXPECT_FALSE(form.Option2[0]->isEnabled());
    form.HScroll1[0]->setValue(70);
    form.Option1[0]->click();  // the preset is not applied again
    form.Command2_Click();
    EXPECT_EQ((std::vector<int>{settings.EasySetting, settings.BasicSet, settings.InputFrame}),
              (std::vector<int>{0, 1, 70}));
}

TEST_F(SetFormTest, FrameCheckRefusesAndStoresNothing) {
    form.HScroll2->setValue(70);
    form.HScroll1[1]->setValue(20);
    form.HScroll1[0]->setValue(19);
    EXPECT_EQ(textColor(form.Label2[0]), Red);
    form.Command2_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].second, QStringLiteral("入力フレーム数が出力フレーム数を下回っています"));
    EXPECT_EQ(settings, custom());
    form.HScroll1[0]->setValue(20);  // equal counts are fine
    EXPECT_EQ(textColor(form.Label2[0]), Black);
    form.Command2_Click();
    EXPECT_EQ(settings.InputFrame, 20);
    EXPECT_EQ(settings.SpeanaInterval, 70);
}

TEST_F(SetFormTest, IntervalLabelIsRedOutside10To50) {
    for (const auto &[value, colour] : {std::pair{9, Red}, {10, Black}, {50, Black}, {51, Red}}) {
        form.HScroll2->setValue(value);
        EXPECT_EQ(textColor(form.Label4), colour) << value;
    }
}

TEST_F(SetFormTest, DefaultThenCancelStoresNothingDefaultThenOkStoresTheFactoryValues) {
    form.Command4_Click();
    form.Command3_Click();
    EXPECT_EQ(settings, custom());
    SetForm again(nullptr, log, dialogs, settings);
    again.Command4_Click();
    again.Command2_Click();
    SettingData factory;
    factory.LyricBaseTime = 1;
    EXPECT_EQ(settings, factory);
}

TEST_F(SetFormTest, TheColourEditorMustBeAProgramAndIsStoredOnOk) {
    TempDir dir;
    const std::string program = dir.write("editor", "#!/bin/sh\n"), plain = dir.write("notes", "text");
    ::chmod(program.c_str(), 0755);
    ::chmod(plain.c_str(), 0644);
    dialogs.fileAnswers = {{QString::fromStdString(plain)}, {QString::fromStdString(program)}};
    form.Command1_Click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(form.Label8->text(), QStringLiteral("/usr/bin/kcl-editor"));
    form.Command1_Click();
    EXPECT_EQ(settings.CEditor, "/usr/bin/kcl-editor");
    form.Command2_Click();
    EXPECT_EQ(settings.CEditor, program);
}

}  // namespace
