// The readout panel: fields rendered into the dot grid, compared with
// pictures ('.' = dotdefaultbg; upper case = a field's on colour, lower
// case its off colour), and the repaint flags.
#include "display/DisplayFixture.h"

namespace {

class ReadoutTest : public DisplayFixture {};

// The digits themselves are the font table's; here only where they go.
TEST_F(ReadoutTest, TrackNumberIsPaddedWithZeros) {
    display.DrawAllDisplay();
    const std::string zero = Picture(1, 6, 1, 9);
    engine.PlayList.TrackNumber = 7;
    display.DrawTrackNumber();
    EXPECT_EQ(Picture(1, 6, 1, 9), zero);
    EXPECT_EQ(Picture(8, 13, 1, 9), zero);
    EXPECT_NE(Picture(15, 20, 1, 9), zero);
}

// A value wider than its field runs into the next cell, over the colon or the
// unit: a segment's dots take the digit's colours, the dots between keep theirs.
// The stray digit stays until the full redraw.
TEST_F(ReadoutTest, WideValuesRunOverTheColonAndTheUnitUntilTheFullRedraw) {
    display.DrawAllDisplay();
    const std::string colon = Picture(43, 48, 1, 9), unit = Picture(82, 87, 13, 19);
    auto over = [](std::string digit, const std::string &under) {
        for (size_t i = 0; i < digit.size(); ++i)
            if (digit[i] == '.') digit[i] = under[i];
        return digit;
    };
    engine.ElapsedSeconds = 6000;  // "100" in cells 5 to 7
    engine.BitRate = 1000;
    display.DrawNowTime();
    display.DrawBitRate();
    const std::string zero = Picture(57, 62, 1, 9);
    EXPECT_EQ(Picture(36, 41, 1, 9), zero);
    EXPECT_EQ(Picture(43, 48, 1, 9), over(zero, colon));
    EXPECT_EQ(Picture(82, 87, 13, 19), over(Picture(76, 81, 13, 19), unit));

    const std::string strayTime = Picture(43, 48, 1, 9), strayRate = Picture(82, 87, 13, 19);
    engine.ElapsedSeconds = 61;
    engine.BitRate = 128;
    display.DrawNowTime();
    display.DrawBitRate();
    display.DrawBitRateUnit();
    EXPECT_EQ(Picture(43, 48, 1, 9), strayTime);
    EXPECT_EQ(Picture(82, 87, 13, 19), strayRate);
    display.RedrawAfterColorChange();
    EXPECT_EQ(Picture(43, 48, 1, 9), colon);
    EXPECT_EQ(Picture(82, 87, 13, 19), unit);
}

TEST_F(ReadoutTest, FrequencyShowsWholeKilohertzCutNotRounded) {
    engine.TrackInfo.SamplingRate = 11025;
    display.DrawAllDisplay();
    const std::string eleven = Picture(28, 38, 12, 20);
    engine.TrackInfo.SamplingRate = 11999;
    display.DrawFrequency();
    EXPECT_EQ(Picture(28, 38, 12, 20), eleven);
    engine.TrackInfo.SamplingRate = 12000;
    display.DrawFrequency();
    EXPECT_NE(Picture(28, 38, 12, 20), eleven);
}

TEST_F(ReadoutTest, NegativeValueLeavesItsCellAndShiftsTheDigits) {
    engine.PlayList.TrackNumber = 7;
    display.DrawAllDisplay();
    const std::string shows007 = Picture(1, 20, 1, 9);
    engine.PlayList.TrackNumber = 123;
    display.DrawTrackNumber();
    const std::string shows1 = Picture(1, 6, 1, 9);

    engine.PlayList.TrackNumber = -7;  // "-007"
    display.DrawTrackNumber();
    EXPECT_EQ(Picture(1, 6, 1, 9), shows1);
    EXPECT_EQ(Picture(8, 27, 1, 9), shows007);
}

TEST_F(ReadoutTest, ExtremeValuesStayInsideThePanel) {
    engine.PlayList.TrackNumber = INT16_MIN;
    engine.ElapsedSeconds = INT32_MIN;
    engine.TrackInfo.LengthSeconds = INT32_MAX;
    engine.TrackInfo.SamplingRate = INT32_MIN;
    engine.BitRate = INT32_MIN;
    display.DrawAllDisplay();
    // The last column lies outside every cell; the analyser grids sit
    // next to the readout grids and must be untouched.
    EXPECT_EQ(Picture(105, 105, 0, 20), Lines(std::vector<std::string>(21, ".")));
    for (int y = 0; y < Krw1000::SpeanaRows; ++y)
        EXPECT_EQ(display.SpeanaCells()[0][size_t(y)], Krw1000::SpeanaUnlitState(y));
}

TEST_F(ReadoutTest, RedrawingTheSameValuesFlagsNothingAndAChangeFlagsOnlyItsSegments) {
    engine.PlayList.TrackNumber = 7;
    engine.ElapsedSeconds = 75;
    engine.TrackInfo.LengthSeconds = 200;
    engine.TrackInfo.SamplingRate = 44100;
    engine.BitRate = 192;
    display.DrawAllDisplay();
    FlushAll();
    ASSERT_EQ(ReadoutFlagCount(), 0);

    display.DrawTimeMarks();
    display.DrawFrequencyUnit();
    display.DrawBitRateUnit();
    display.DrawTrackNumber();
    display.DrawNowTime();
    display.DrawAllTime();
    display.DrawFrequency();
    display.DrawBitRate();
    EXPECT_EQ(ReadoutFlagCount(), 0);

    // 7 -> 8 lights d, e and g: 4 + 3 + 4 dots, all in cell 3.
    engine.PlayList.TrackNumber = 8;
    display.DrawTrackNumber();
    EXPECT_EQ(ReadoutFlagCount(), 11);
    int inCell3 = 0;
    for (int c = 15; c <= 20; ++c)
        for (int r = 1; r <= 9; ++r) inCell3 += display.ReadoutDirty()[size_t(c)][size_t(r)] == Krw1000::Dirty;
    EXPECT_EQ(inCell3, 11);
}

}  // namespace
