#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "config/SettingData.h"
#include "log/DebugLog.h"
#include "settingsdialog/SetForm.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace {

QColor textColor(const QLabel *label) { return label->palette().color(QPalette::Active, QPalette::WindowText); }
const QColor Red(255, 0, 0), Black(0, 0, 0);

class SetFormTest : public ::testing::Test {
protected:
    SetForm &form() {
        if (!form_) {
            form_ = std::make_unique<SetForm>(nullptr, log, dialogs, settings);
            form_->show();
        }
        return *form_;
    }
    // Every field of the dialog different from the factory values, in range.
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
    SettingData settings;
    std::unique_ptr<SetForm> form_;
};

TEST_F(SetFormTest, OkWithoutChangesStoresWhatWasLoadedOneTouchShowsStoredValuesNotPresets) {
    SettingData oneTouch;
    oneTouch.EasySetting = 0;
    oneTouch.BasicSet = 4;
    oneTouch.OutputSample = 11025;
    oneTouch.InputFrame = 44;
    for (const SettingData &loaded : {custom(), oneTouch}) {
        SCOPED_TRACE(int(loaded.EasySetting));
        settings = loaded;
        SetForm f(nullptr, log, dialogs, settings);
        f.show();
        if (loaded.EasySetting == 0) {
            EXPECT_EQ(f.Combo1[1]->currentIndex(), 4);
            EXPECT_EQ(f.HScroll1[0]->value(), 44);
            EXPECT_EQ(f.Label2[0]->text(), QStringLiteral("44"));
            EXPECT_FALSE(f.HScroll1[0]->isEnabled() || f.Combo1[1]->isEnabled());
            EXPECT_TRUE(f.Option2[0]->isEnabled());
        }
        f.Command2_Click();
        EXPECT_EQ(settings, loaded);
        EXPECT_FALSE(f.isVisible());
    }
}

TEST_F(SetFormTest, OutOfRangeValuesStoreWhatTheControlsShow) {
    settings.BasicSet = 1;
    settings.OutputSample = 40000;
    settings.InputWait = 0;  // accepted by the settings file, below the bar's minimum
    SetForm &f = form();
    EXPECT_EQ(f.Combo1[1]->currentText(), QStringLiteral("22050Hz"));
    f.Command2_Click();
    EXPECT_EQ(settings.OutputSample, 22050);
    EXPECT_EQ(settings.InputWait, 1);
}

TEST_F(SetFormTest, PresetFillsTheQualityControlsAndModesLockEachOther) {
    SetForm &f = form();
    f.Option2[1]->click();
    EXPECT_EQ(f.Combo1[0]->currentText(), QStringLiteral("1:1/2"));
    EXPECT_EQ(f.Combo1[1]->currentText(), QStringLiteral("22050Hz"));
    EXPECT_EQ(f.Combo1[2]->currentText(), QStringLiteral("モノラル"));
    EXPECT_EQ(f.HScroll1[0]->value(), 30);
    EXPECT_EQ(f.HScroll1[1]->value(), 20);
    EXPECT_EQ(f.HScroll1[2]->value(), 5);
    EXPECT_EQ(f.HScroll1[3]->value(), 0);
    for (QComboBox *c : f.Combo1) EXPECT_FALSE(c->isEnabled());
    for (QScrollBar *b : f.HScroll1) EXPECT_FALSE(b->isEnabled());

    f.Option1[1]->click();
    for (QRadioButton *b : f.Option2) EXPECT_FALSE(b->isEnabled());
    for (QScrollBar *b : f.HScroll1) EXPECT_TRUE(b->isEnabled());
    for (QLabel *l : f.Label1) EXPECT_TRUE(l->isEnabled());
    // Back to one-touch: the preset is not applied again.
    f.HScroll1[0]->setValue(70);
    f.Option1[0]->click();
    EXPECT_EQ(f.HScroll1[0]->value(), 70);
    f.Command2_Click();
    EXPECT_EQ(settings.EasySetting, 0);
    EXPECT_EQ(settings.BasicSet, 1);
    EXPECT_EQ(settings.InputFrame, 70);
    EXPECT_EQ(settings.OutputSample, 22050);
}

TEST_F(SetFormTest, FrameCheckRefusesAndStoresNothing) {
    settings = custom();
    const SettingData loaded = settings;
    SetForm &f = form();
    f.Option1[0]->click();  // mode and preset change too, and must not be stored
    f.Option2[0]->click();
    f.Option1[1]->click();
    f.HScroll2->setValue(70);
    f.HScroll1[1]->setValue(20);
    f.HScroll1[0]->setValue(19);
    EXPECT_EQ(textColor(f.Label2[0]), Red);
    EXPECT_EQ(textColor(f.Label2[1]), Red);
    f.Command2_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].first, QStringLiteral("Corvale 設定"));
    EXPECT_EQ(dialogs.messages[0].second, QStringLiteral("入力フレーム数が出力フレーム数を下回っています"));
    EXPECT_EQ(settings, loaded);
    EXPECT_TRUE(f.isVisible());

    f.HScroll1[0]->setValue(20);  // equal counts are fine
    EXPECT_EQ(textColor(f.Label2[0]), Black);
    EXPECT_EQ(textColor(f.Label2[1]), Black);
    f.Command2_Click();
    EXPECT_EQ(settings.InputFrame, 20);
    EXPECT_EQ(settings.SpeanaInterval, 70);
    EXPECT_EQ(settings.BasicSet, 0);
    EXPECT_FALSE(f.isVisible());
}

TEST_F(SetFormTest, IntervalLabelIsRedOutside10To50) {
    SetForm &f = form();
    const std::pair<int, QColor> cases[] = {{9, Red}, {10, Black}, {50, Black}, {51, Red}};
    for (const auto &[value, colour] : cases) {
        f.HScroll2->setValue(value);
        EXPECT_EQ(f.Label4->text(), QString::number(value));
        EXPECT_EQ(textColor(f.Label4), colour) << value;
    }
}

TEST_F(SetFormTest, DefaultThenCancelStoresNothing) {
    settings = custom();
    const SettingData loaded = settings;
    SetForm &f = form();
    f.Command4_Click();
    f.Command3_Click();
    EXPECT_EQ(settings, loaded);

    // Default then OK stores the factory values.
    SetForm again(nullptr, log, dialogs, settings);
    again.Command4_Click();
    again.Command2_Click();
    SettingData factory;  // custom() differs from it in the dialog's fields only
    factory.LyricBaseTime = 1;
    EXPECT_EQ(settings, factory);
}

TEST_F(SetFormTest, ColourEditorChoice) {
    TempDir dir;
    const std::string program = dir.write("editor", "#!/bin/sh\n");
    ::chmod(program.c_str(), 0755);
    const std::string plain = dir.write("notes", "text");
    ::chmod(plain.c_str(), 0644);
    settings.CEditor = "/old/editor";
    SetForm &f = form();

    f.Command1_Click();  // cancelled
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].nameFilters, QStringList{QStringLiteral("実行ファイル (*)")});
    EXPECT_EQ(f.Label8->text(), QStringLiteral("/old/editor"));

    dialogs.fileAnswers.push_back({QString::fromStdString(plain)});
    f.Command1_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(f.Label8->text(), QStringLiteral("/old/editor"));

    dialogs.fileAnswers.push_back({QString::fromStdString(program)});
    f.Command1_Click();
    EXPECT_EQ(f.Label8->text(), QString::fromStdString(program));
    EXPECT_EQ(settings.CEditor, "/old/editor");  // nothing stored before OK
    f.Command2_Click();
    EXPECT_EQ(settings.CEditor, program);
}

}  // namespace
