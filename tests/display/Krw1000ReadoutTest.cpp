// The readout panel: fields rendered into the dot grid, compared with
// pictures ('.' = dotdefaultbg; upper case = a field's on colour, lower
// case its off colour), and the repaint flags.
#include "display/DisplayFixture.h"

namespace {

class ReadoutTest : public DisplayFixture {};

TEST_F(ReadoutTest, TrackNumberSevenIsZeroPaddedWithTheUpperLeftSegmentLit) {
    engine.PlayList.TrackNumber = 7;
    display.DrawAllDisplay();
    // Cells 1 to 3 (columns 1-6, 8-13, 15-20) and the empty rows around them.
    EXPECT_EQ(Picture(0, 21, 0, 10), Lines({
                                         "......................",
                                         "..TTTT...TTTT...TTTT..",
                                         ".T....T.T....T.T....T.",
                                         ".T....T.T....T.T....T.",
                                         ".T....T.T....T.T....T.",
                                         "..tttt...tttt...tttt..",
                                         ".T....T.T....T.t....T.",
                                         ".T....T.T....T.t....T.",
                                         ".T....T.T....T.t....T.",
                                         "..TTTT...TTTT...tttt..",
                                         "......................",
                                     }));
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

TEST_F(ReadoutTest, SeparatorsAndTotalTime) {
    engine.TrackInfo.LengthSeconds = 4 * 60 + 33;
    display.DrawAllDisplay();
    // Cells 10 to 15: "/", "04", ":", "33".
    EXPECT_EQ(Picture(63, 105, 1, 9), Lines({
                                          ".........AAAA...aaaa..........AAAA...AAAA..",
                                          "......S.A....A.A....A........a....A.a....A.",
                                          ".....S..A....A.A....A...AA...a....A.a....A.",
                                          "....S...A....A.A....A...AA...a....A.a....A.",
                                          "...S.....aaaa...AAAA..........AAAA...AAAA..",
                                          "..S.....A....A.a....A...AA...a....A.a....A.",
                                          ".S......A....A.a....A...AA...a....A.a....A.",
                                          "........A....A.a....A........a....A.a....A.",
                                          ".........AAAA...aaaa..........AAAA...AAAA..",
                                      }));
}

TEST_F(ReadoutTest, FrequencyInKilohertzWithItsUnit) {
    engine.TrackInfo.SamplingRate = 44100;
    display.DrawAllDisplay();
    // Small cells 5 to 9 (columns 28 to 56), rows 12 to 20.
    EXPECT_EQ(Picture(28, 56, 12, 20), Lines({
                                           ".............................",
                                           ".fff...fff..H...H.H...H......",
                                           "F...F.F...F.H..H..H...H......",
                                           "F...F.F...F.H.H...H...H.HHHHH",
                                           ".FFF...FFF..HH....HHHHH....H.",
                                           "f...F.f...F.H.H...H...H...H..",
                                           "f...F.f...F.H..H..H...H..H...",
                                           ".fff...fff..H...H.H...H.HHHHH",
                                           ".............................",
                                       }));
    engine.TrackInfo.SamplingRate = 11025;
    display.DrawFrequency();
    EXPECT_EQ(Picture(28, 38, 13, 19), Lines({
                                           ".fff...fff.",
                                           "f...F.f...F",
                                           "f...F.f...F",
                                           ".fff...fff.",
                                           "f...F.f...F",
                                           "f...F.f...F",
                                           ".fff...fff.",
                                       }));
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

TEST_F(ReadoutTest, RepeatMarkInEachPlayMode) {
    settings.PlayMode = 255;
    display.DrawAllDisplay();
    const std::string noRepeat = Picture(0, 14, 12, 20);
    settings.PlayMode = 1;
    display.DrawRepeatMark();
    // Columns 0 to 14, rows 12 to 20.
    EXPECT_EQ(Picture(0, 14, 12, 20), Lines({
                                          ".........rrrrr.",
                                          "..RRRRR..rrRrr.",
                                          ".R.......rRrRr.",
                                          ".R...R...RrrrR.",
                                          ".R...RR..RrrrR.",
                                          "..RRRRRR.RRRRR.",
                                          ".....RR..RrrrR.",
                                          ".....R...RrrrR.",
                                          "...............",
                                      }));
    settings.PlayMode = 0;
    display.DrawRepeatMark();
    EXPECT_EQ(Picture(9, 13, 13, 19), Lines({"rrRrr", "rRRrr", "rrRrr", "rrRrr", "rrRrr", "rrRrr", "rRRRr"}));
    settings.PlayMode = 2;
    display.DrawRepeatMark();
    EXPECT_EQ(Picture(9, 13, 13, 19), Lines({"RRRRr", "RrrrR", "RrrrR", "RRRRr", "RrrrR", "RrrrR", "RrrrR"}));
    // Back to no repeat: the arrow dims and the letter goes.
    const std::string arrowOn = Picture(1, 7, 13, 19);
    settings.PlayMode = 255;
    display.DrawRepeatMark();
    std::string arrowOff = arrowOn;
    for (char &ch : arrowOff)
        if (ch == 'R') ch = 'r';
    EXPECT_EQ(Picture(1, 7, 13, 19), arrowOff);
    EXPECT_EQ(Picture(9, 13, 12, 19), Lines(std::vector<std::string>(8, "rrrrr")));
    EXPECT_EQ(Picture(0, 14, 12, 20), noRepeat);  // as the full draw showed it
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
