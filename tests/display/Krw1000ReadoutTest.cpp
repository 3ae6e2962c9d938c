// The readout panel: fields rendered into the dot grid, compared with
// pictures ('.' = dotdefaultbg; upper case = a field's on colour, lower
// case its off colour), and the repaint flags.
#include <set>

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

TEST_F(ReadoutTest, ElapsedTimeAroundTheColonAndAHundredMinutesRunningIntoIt) {
    engine.ElapsedSeconds = 3599;
    display.DrawAllDisplay();
    const std::string colonOnly = Picture(43, 48, 1, 9);
    // Cells 5 to 9: "59", ":", "59".
    EXPECT_EQ(Picture(28, 63, 1, 9), Lines({
                                         "..NNNN...NNNN..........NNNN...NNNN..",
                                         ".N....n.N....N........N....n.N....N.",
                                         ".N....n.N....N...NN...N....n.N....N.",
                                         ".N....n.N....N...NN...N....n.N....N.",
                                         "..NNNN...NNNN..........NNNN...NNNN..",
                                         ".n....N.n....N...NN...n....N.n....N.",
                                         ".n....N.n....N...NN...n....N.n....N.",
                                         ".n....N.n....N........n....N.n....N.",
                                         "..NNNN...NNNN..........NNNN...NNNN..",
                                     }));

    // 6000 s = 100 min: "100" fills cells 5 to 7, so the 0 lands on the
    // colon's cell; the colon dots no segment covers stay.
    engine.ElapsedSeconds = 6000;
    display.DrawNowTime();
    EXPECT_EQ(Picture(28, 63, 1, 9), Lines({
                                         "..nnnn...NNNN...NNNN...NNNN...NNNN..",
                                         ".n....N.N....N.N....N.N....N.N....N.",
                                         ".n....N.N....N.N.NN.N.N....N.N....N.",
                                         ".n....N.N....N.N.NN.N.N....N.N....N.",
                                         "..nnnn...nnnn...nnnn...nnnn...nnnn..",
                                         ".n....N.N....N.N.NN.N.N....N.N....N.",
                                         ".n....N.N....N.N.NN.N.N....N.N....N.",
                                         ".n....N.N....N.N....N.N....N.N....N.",
                                         "..nnnn...NNNN...NNNN...NNNN...NNNN..",
                                     }));

    // Back under 100 minutes the stray 0 stays until the full redraw.
    const std::string colonCell = Picture(43, 48, 1, 9);
    engine.ElapsedSeconds = 61;
    display.DrawNowTime();
    EXPECT_EQ(Picture(43, 48, 1, 9), colonCell);
    display.DrawAllDisplay();
    EXPECT_EQ(Picture(43, 48, 1, 9), colonOnly);
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

TEST_F(ReadoutTest, BitRateWithItsUnitAndAFourDigitRateOverwritingTheK) {
    engine.BitRate = 128;
    display.DrawAllDisplay();
    // Small cells 11 to 17 (columns 64 to 104).
    const std::string unitShown = Lines({
        "..bbb...BBB...BBB..P...P.P.................",
        ".b...B.b...B.B...B.P..P..P.................",
        ".b...B.b...B.B...B.P.P...P.....PPPP...PPPP.",
        "..bbb...BBB...BBB..PP....PPPP..P...P.P.....",
        ".b...B.B...b.B...B.P.P...P...P.P...P..PPP..",
        ".b...B.B...b.B...B.P..P..P...P.PPPP......P.",
        "..bbb...BBB...BBB..P...P.PPPP..P.....PPPP..",
    });
    EXPECT_EQ(Picture(63, 105, 13, 19), unitShown);

    engine.BitRate = 1000;
    display.DrawBitRate();
    const std::string overwritten = Lines({
        "..bbb...BBB...BBB..PBBBP.",
        ".b...B.B...B.B...B.B..PB.",
        ".b...B.B...B.B...B.B.P.B.",
        "..bbb...bbb...bbb..Pbbb..",
        ".b...B.B...B.B...B.B.P.B.",
        ".b...B.B...B.B...B.B..PB.",
        "..bbb...BBB...BBB..PBBBP.",
    });
    EXPECT_EQ(Picture(63, 87, 13, 19), overwritten);
    const std::string cell14 = Picture(82, 87, 13, 19);

    // The stray digit stays when the rate shrinks, until the full redraw.
    engine.BitRate = 128;
    display.DrawBitRate();
    display.DrawBitRateUnit();
    EXPECT_EQ(Picture(82, 87, 13, 19), cell14);
    display.RedrawAfterColorChange();
    EXPECT_EQ(Picture(63, 105, 13, 19), unitShown);
}

// Each repeat mode shows its own mark; without repeat every dot of it is dim,
// as the full draw shows it.
TEST_F(ReadoutTest, RepeatMarkInEachPlayMode) {
    settings.PlayMode = 255;
    display.DrawAllDisplay();
    const std::string noRepeat = Picture(0, 14, 12, 20);
    EXPECT_EQ(noRepeat.find('R'), std::string::npos);
    std::set<std::string> marks;
    for (uint8_t mode : {0, 1, 2}) {
        settings.PlayMode = mode;
        display.DrawRepeatMark();
        marks.insert(Picture(0, 14, 12, 20));
    }
    EXPECT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks.count(noRepeat), 0u);
    settings.PlayMode = 255;
    display.DrawRepeatMark();
    EXPECT_EQ(Picture(0, 14, 12, 20), noRepeat);
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
