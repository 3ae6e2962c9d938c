// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QListWidget>
#include <QTimer>

#include "config/SettingData.h"
#include "debugwindow/DebugWindow.h"
#include "engine/EngineState.h"
#include "log/DebugLog.h"
#include "support/ScriptedClock.h"

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

// Loading writes the window's own lines ahead of the line that loaded it; the
// list then keeps the newest 199 and shows the last.
TEST_F(DebugWindowTest, OwnLinesComeFirstAndTheListFollowsTheLog) {
    DebugWindow &w = loaded();
    ASSERT_GE(w.List1->count(), 2);
    EXPECT_EQ(message(w.List1->item(w.List1->count() - 2)), "Corvale Show    - DebugWindow");
    EXPECT_EQ(message(w.List1->item(w.List1->count() - 1)), "KRC1000 Called  - bytSettingRead");
    w.show();
    w.Command1_Click();  // hidden: the refresh stops, the list goes on
    EXPECT_FALSE(w.Timer1->isActive());
    for (int i = 0; i < 300; ++i) log.WriteDebugLog("line " + std::to_string(i));
    ASSERT_EQ(w.List1->count(), 199);
    EXPECT_EQ(message(w.List1->item(0)), "line 101");
    EXPECT_EQ(w.List1->currentRow(), 198);
}

}  // namespace
