#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/DebugLog.h"
#include "config/SettingData.h"
#include "debugwindow/DebugWindow.h"
#include "engine/EngineState.h"
#include "engine/ScriptedClock.h"

namespace {

std::string message(const QListWidgetItem *item) { return item->text().toStdString().substr(11); }

class DebugWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        log.setDebugMode(127);
        log.setWindowLoader([this] { window = std::make_unique<DebugWindow>(log, clock); });
    }
    // Loaded the way the program loads it: by the first line logged.
    DebugWindow &loaded() {
        log.WriteDebugLog("KRC1000 Called  - bytSettingRead");
        window->setSources({&engine, &options, &speana, &lvMeter});
        return *window;
    }

    DebugLog log;
    ScriptedClock clock;
    EngineState engine;
    EngineOptionData options;
    Krw1000::SpeanaGrid speana{};
    Krw1000::LvMeterGrid lvMeter{};
    std::unique_ptr<DebugWindow> window;
};

TEST_F(DebugWindowTest, LoadLinesComeFirstAndTheListFollowsTheLog) {
    DebugWindow &w = loaded();
    EXPECT_FALSE(w.isVisible());
    std::vector<std::string> shown;
    for (int i = 0; i < w.List1->count(); ++i) shown.push_back(message(w.List1->item(i)));
    EXPECT_EQ(shown, (std::vector<std::string>{"Corvale Version - 1.02-0710 ", "Corvale Info    - KRC1002(2004-07-07 JST)",
                                               "Corvale Info    - KRM1000(2003-07-26 JST)",
                                               "Corvale Info    - KRW1000(2003-07-02 JST)",
                                               "Corvale Show    - DebugWindow", "KRC1000 Called  - bytSettingRead"}));

    for (int i = 0; i < 300; ++i) log.WriteDebugLog("line " + std::to_string(i));
    ASSERT_EQ(w.List1->count(), 199);
    EXPECT_EQ(message(w.List1->item(0)), "line 101");
    EXPECT_EQ(message(w.List1->item(198)), "line 299");
    EXPECT_EQ(w.List1->currentRow(), 198);
}

TEST_F(DebugWindowTest, HideStopsTheRefreshButNotTheLog) {
    DebugWindow &w = loaded();
    w.show();
    EXPECT_TRUE(w.Timer1->isActive());
    w.Command1_Click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.Timer1->isActive());
    log.WriteDebugLog("while hidden");
    w.show();
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(message(w.List1->item(w.List1->count() - 1)), "while hidden");
}

TEST_F(DebugWindowTest, FiguresAndTheirFormats) {
    DebugWindow &w = loaded();
    engine.PlayList.TrackNumber = 3;
    engine.PlayList.TrackCount = 12;
    engine.ElapsedSeconds = 75;
    engine.TrackInfo.LengthSeconds = 240;
    engine.TrackInfo.SamplingRate = 44100;
    engine.PlayState = 0;
    engine.BitRate = 128;
    options.PlayMode = 2;
    w.Timer1_Timer();
    // Play order "000/-001": the order is empty.
    EXPECT_EQ(QStringList({w.Label3[1]->text(), w.Label4[1]->text(), w.Label5[1]->text(), w.Label6[1]->text(),
                           w.Label7[1]->text(), w.Label8[1]->text(), w.Label9[1]->text()}),
              QStringList({"003/012", "000/-001", "0075/0240", "000", "002", "128", "44100"}));
    EXPECT_EQ(DebugWindow::formatNumber(12345, 3), "12345");
    EXPECT_EQ(DebugWindow::formatNumber(-4000, 3), "-4000");
}

// The period options; the slow figures keep their 150 ms (the clock rules'
// table has them), the bit rate follows every tick.
TEST_F(DebugWindowTest, PeriodOptionsAndTheBitRateOnEveryTick) {
    DebugWindow &w = loaded();
    w.Option1[2]->click();
    EXPECT_EQ(w.Timer1->interval(), 75);
    w.Option1[0]->click();
    EXPECT_EQ(w.Timer1->interval(), 25);

    w.Timer1_Timer();  // the first tick after load updates everything
    engine.ElapsedSeconds = 1;
    engine.BitRate = 320;
    clock.now += 75;
    w.Timer1_Timer();
    EXPECT_EQ(w.Label5[1]->text(), QStringLiteral("0000/0000"));
    EXPECT_EQ(w.Label8[1]->text(), QStringLiteral("320"));
}

TEST_F(DebugWindowTest, GridCellsShowAsDigits) {
    DebugWindow &w = loaded();
    speana[3][7] = 5;
    speana[31][0] = 4;
    lvMeter[0][2] = 5;
    w.Timer1_Timer();
    const std::string row7 = w.Label1[7]->text().toStdString();
    ASSERT_EQ(row7.size(), 63u);
    EXPECT_EQ(row7.substr(0, 9), "0 0 0 5 0");
    EXPECT_EQ(w.Label1[0]->text().toStdString().back(), '4');
    EXPECT_EQ(w.Label2[2]->text().toStdString().substr(0, 3), "5 0");
    std::string zeros = "0";
    for (int c = 1; c < 32; ++c) zeros += " 0";
    EXPECT_EQ(w.Label2[3]->text().toStdString(), zeros);
}

}  // namespace
