// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/DisplayFixture.h"

namespace {

class SpeanaTest : public DisplayFixture {
protected:
    void SetUp() override {
        DisplayFixture::SetUp();
        display.SetSpeanaMode(0);
        display.DrawAllDisplay();
        FlushAll();
    }
    uint8_t State(int x, int y) const { return display.SpeanaCells()[size_t(x)][size_t(y)]; }
    bool Lit(int x, int y) const { return State(x, y) < 3; }
    // Lit cells of band x counted from the bottom, minus one.
    int Height(int x) const {
        int y = 31;
        while (y >= 0 && Lit(x, y)) --y;
        return 30 - y;
    }
    void Tick(uint32_t now) {
        tick = int32_t(now);
        display.UpdateSpeana();
        display.UpdateLvMeter();
    }
    bool MeterLit(int x, int row) const { return display.LvMeterCells()[size_t(x)][size_t(row)] < 3; }
};

TEST_F(SpeanaTest, NoSpectrumFunctionLightsTheBottomRowAndMeterColumnZeroOnly) {
    api.vbmp3_getSpectrum = nullptr;
    first.fill(1000);
    Tick(1010);
    for (int x = 0; x < 32; ++x) {
        for (int y = 0; y < 32; ++y) EXPECT_EQ(Lit(x, y), y == 31) << x << "," << y;
        for (int r = 0; r < 4; ++r) EXPECT_EQ(MeterLit(x, r), x == 0) << x << "," << r;
    }
}

// Band x sums bins 8x to 8x+7 of both channels.
TEST_F(SpeanaTest, BandSumsAreCutIntoHeightsInBothModes) {
    first[0] = 95;
    first[8] = 47;
    second[8 * 2 + 3] = 60;
    first[8 * 2 + 5] = 50;
    first[24] = -500;
    first[32] = second[33] = INT32_MAX;
    Tick(1000);
    EXPECT_EQ((std::vector<int>{Height(0), Height(1), Height(2), Height(3), Height(4)}),
              (std::vector<int>{1, 0, 2, 0, 31}));
    FlushAll();

    // The mode changes nothing by itself; the next update divides by 60, not 48.
    display.SetSpeanaMode(1);
    EXPECT_EQ(FlagCount(display.SpeanaDirty()), 0);
    Tick(1010);
    EXPECT_EQ(Height(0), 1);
    EXPECT_EQ(Height(2), 1);
    EXPECT_EQ(FlagCount(display.SpeanaDirty()), 1);
}

// The hold's second runs across the clock's sign change. Band 7's peak lies
// above the top row: no dot, and its expiry erases nothing outside the grid.
TEST_F(SpeanaTest, PeakHoldKeepsTheTopForOneSecondThenDrops) {
    const uint32_t t0 = 0x7FFFFF00u;
    settings.PeakHold = 0;
    first[24] = 20 * 48;
    first[56] = 100 * 48;
    Tick(t0);
    EXPECT_EQ(State(3, 11), Krw1000::LitZone2);  // the top of the bar in its zone colour
    first[24] = 5 * 48;
    first[56] = 48;
    Tick(t0 + 100);
    EXPECT_EQ(State(3, 11), Krw1000::LitZone3);  // the held peak dot
    EXPECT_FALSE(Lit(3, 12));
    EXPECT_TRUE(Lit(3, 26));
    Tick(t0 + 999);
    EXPECT_EQ(State(3, 11), Krw1000::LitZone3);
    Tick(t0 + 1100);
    EXPECT_EQ(State(3, 11), Krw1000::UnlitZone2);
    EXPECT_EQ(display.PeakTime()[3], int32_t(t0 + 1100));
    EXPECT_EQ(Height(7), 1);

    // A higher value moves the peak up at once; the old dot is left to the bar.
    first[24] = 9 * 48;
    Tick(t0 + 1200);
    first[24] = 2 * 48;
    Tick(t0 + 1300);
    EXPECT_EQ(State(3, 22), Krw1000::LitZone3);
    EXPECT_FALSE(Lit(3, 26));
    settings.PeakHold = 255;
    Tick(t0 + 1400);
    EXPECT_FALSE(Lit(3, 22));
}

// Rows 0 and 1 show the first channel, rows 2 and 3 the second; a level is
// the peak bin over 3.5, rounded.
TEST_F(SpeanaTest, MeterZonesAndChannels) {
    first[10] = 56;
    second[20] = 60;
    Tick(1000);
    for (int x : {16, 17}) EXPECT_EQ(MeterLit(x, 1), x == 16) << x;
    EXPECT_TRUE(MeterLit(17, 2));
    EXPECT_FALSE(MeterLit(18, 2));
}

}  // namespace
