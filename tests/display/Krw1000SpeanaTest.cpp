// The analyser and the level meters: heights from a scripted spectrum, the
// peak hold on a scripted clock, the zones and the two modes.
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
    // Sets the summed value of band x (all on bin 8x of the first channel).
    static void SetBand(int x, int32_t sum) {
        for (int i = 0; i < 8; ++i) first[size_t(8 * x + i)] = second[size_t(8 * x + i)] = 0;
        first[size_t(8 * x)] = sum;
    }
    bool Lit(int x, int y) const { return display.SpeanaCells()[size_t(x)][size_t(y)] < 3; }
    uint8_t State(int x, int y) const { return display.SpeanaCells()[size_t(x)][size_t(y)]; }
    // Height shown by band x: lit cells counted from the bottom, minus one.
    int Height(int x) const {
        int y = 31;
        while (y >= 0 && Lit(x, y)) --y;
        return 30 - y;
    }
    void Tick(int32_t now) {
        tick = now;
        display.UpdateSpeana();
        display.UpdateLvMeter();
    }
    bool MeterLit(int x, int row) const { return display.LvMeterCells()[size_t(x)][size_t(row)] < 3; }
};

TEST_F(SpeanaTest, SilenceLightsTheBottomRowAndMeterColumnZeroOnly) {
    Tick(1000);
    for (int x = 0; x < 32; ++x) {
        for (int y = 0; y < 32; ++y) EXPECT_EQ(Lit(x, y), y == 31) << x << "," << y;
        for (int r = 0; r < 4; ++r) EXPECT_EQ(MeterLit(x, r), x == 0) << x << "," << r;
    }
    EXPECT_EQ(State(5, 31), Krw1000::LitZone1);
    EXPECT_EQ(FlagCount(display.SpeanaDirty()), 32);
    EXPECT_EQ(FlagCount(display.LvMeterDirty()), 4);
}

TEST_F(SpeanaTest, MissingSpectrumFunctionShowsSilence) {
    api.vbmp3_getSpectrum = nullptr;
    first.fill(1000);
    Tick(1000);
    EXPECT_EQ(Height(0), 0);
    EXPECT_TRUE(MeterLit(0, 0));
    EXPECT_FALSE(MeterLit(1, 0));
}

TEST_F(SpeanaTest, BandSumsAreCutIntoHeightsInBothModes) {
    SetBand(0, 95);
    SetBand(1, 47);
    second[8 * 2 + 3] = 60;  // both channels add up: 50 + 60 = 110
    first[8 * 2 + 5] = 50;
    SetBand(3, -500);
    SetBand(4, INT32_MAX);
    second[8 * 4 + 1] = INT32_MAX;  // far above the top row
    Tick(1000);
    EXPECT_EQ(Height(0), 1);
    EXPECT_EQ(Height(1), 0);
    EXPECT_EQ(Height(2), 2);  // 110 / 48
    EXPECT_EQ(Height(3), 0);
    EXPECT_EQ(Height(4), 31);
    EXPECT_EQ(State(4, 0), Krw1000::LitZone3);
    EXPECT_EQ(State(4, 10), Krw1000::LitZone2);
    EXPECT_EQ(State(0, 30), Krw1000::LitZone1);
    FlushAll();

    // The mode changes nothing by itself; the next update uses the new scale.
    display.SetSpeanaMode(1);
    EXPECT_EQ(FlagCount(display.SpeanaDirty()), 0);
    EXPECT_EQ(Height(2), 2);
    Tick(1010);
    EXPECT_EQ(Height(0), 1);  // 95 / 60
    EXPECT_EQ(Height(1), 0);
    EXPECT_EQ(Height(2), 1);  // 110 / 60
    EXPECT_EQ(FlagCount(display.SpeanaDirty()), 1);
}

TEST_F(SpeanaTest, PeakHoldKeepsTheTopForOneSecondThenDrops) {
    settings.PeakHold = 0;
    SetBand(3, 20 * 48);
    Tick(50000);
    EXPECT_EQ(Height(3), 20);
    EXPECT_EQ(State(3, 11), Krw1000::LitZone2);  // the top of the bar shows its zone colour
    EXPECT_EQ(display.PeakLevel()[3], 20);

    SetBand(3, 5 * 48);
    Tick(50100);
    EXPECT_EQ(State(3, 11), Krw1000::LitZone3);  // the held peak dot
    for (int y = 12; y <= 25; ++y) EXPECT_FALSE(Lit(3, y)) << y;
    for (int y = 26; y <= 31; ++y) EXPECT_TRUE(Lit(3, y)) << y;
    FlushAll();

    // Nothing changes while the peak is held: nothing is flagged.
    Tick(50999);
    EXPECT_EQ(State(3, 11), Krw1000::LitZone3);
    EXPECT_EQ(FlagCount(display.SpeanaDirty()), 0);

    // One second after the peak was taken it goes dark and takes the height.
    Tick(51100);
    EXPECT_EQ(State(3, 11), Krw1000::UnlitZone2);
    EXPECT_EQ(display.PeakLevel()[3], 5);
    EXPECT_EQ(display.PeakTime()[3], 51100);
    EXPECT_EQ(State(3, 26), Krw1000::LitZone1);

    // A higher value moves the peak up at once; the old dot is left to the bar.
    SetBand(3, 9 * 48);
    Tick(51200);
    EXPECT_EQ(display.PeakLevel()[3], 9);
    SetBand(3, 2 * 48);
    Tick(51300);
    EXPECT_EQ(State(3, 22), Krw1000::LitZone3);
    EXPECT_FALSE(Lit(3, 26));

    // Switching peak hold off: the next update unlights the dot; the peak stays stored.
    settings.PeakHold = 255;
    Tick(51400);
    EXPECT_FALSE(Lit(3, 22));
    EXPECT_EQ(display.PeakLevel()[3], 9);
}

TEST_F(SpeanaTest, PeakAboveTheTopRowShowsNoDot) {
    settings.PeakHold = 0;
    SetBand(7, 100 * 48);
    Tick(50000);
    EXPECT_EQ(display.PeakLevel()[7], 100);
    SetBand(7, 48);
    Tick(50010);
    for (int y = 0; y <= 29; ++y) EXPECT_FALSE(Lit(7, y)) << y;
    Tick(51000);  // expiry erases nothing outside the grid
    EXPECT_EQ(display.PeakLevel()[7], 1);
    EXPECT_EQ(Height(7), 1);
}

TEST_F(SpeanaTest, MeterZonesAndChannels) {
    first[10] = 56;   // 56 / 3.5 = 16
    second[20] = 60;  // 60 / 3.5 = 17.1 -> 17
    Tick(1000);
    for (int x = 0; x < 32; ++x) {
        EXPECT_EQ(MeterLit(x, 0), x <= 16) << x;
        EXPECT_EQ(MeterLit(x, 1), x <= 16) << x;
        EXPECT_EQ(MeterLit(x, 2), x <= 17) << x;
        EXPECT_EQ(MeterLit(x, 3), x <= 17) << x;
    }
    EXPECT_EQ(display.LvMeterCells()[16][0], Krw1000::LitZone1);
    EXPECT_EQ(display.LvMeterCells()[17][2], Krw1000::LitZone2);
    EXPECT_EQ(display.LvMeterCells()[17][3], Krw1000::LitZone2);
    EXPECT_EQ(display.LvMeterCells()[17][0], Krw1000::UnlitZone2);
    EXPECT_EQ(display.LvMeterCells()[31][0], Krw1000::UnlitZone3);

    // Full scale, then all negative: column 0 goes dark too.
    first[10] = 1000;
    Tick(1010);
    EXPECT_EQ(display.LvMeterCells()[31][1], Krw1000::LitZone3);
    first.fill(-5);
    second.fill(-5);
    Tick(1020);
    EXPECT_FALSE(MeterLit(0, 0));
    EXPECT_FALSE(MeterLit(0, 3));
}

}  // namespace
