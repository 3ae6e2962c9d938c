// The readout panel: fields rendered into the dot grid, compared with
// pictures ('.' = dotdefaultbg; upper case = a field's on colour, lower
// case its off colour), and the repaint flags.
#include "display/DisplayFixture.h"
#include "display/PanelFont.h"

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

TEST_F(ReadoutTest, ElapsedTimeAroundTheColon) {
    engine.ElapsedSeconds = 3599;
    display.DrawAllDisplay();
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
}

TEST_F(ReadoutTest, BitRateWithItsUnit) {
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

// Every field with the values it can receive, wide ones included. Each cell
// is read back: a digit, "-" for segment g alone, " " for a blank cell, and
// "." after a cell whose decimal point (the gap dot on the bottom row) is lit.
struct FieldCase {
    const char *what;
    void (*set)(EngineState &, int64_t);
    void (Krw1000::*draw)();
    bool smallRow;
    int firstCell, lastCell;
    int64_t value;
    const char *reading;
    char unit;  // the bit rate's unit letter, or 0
};

void SetTrack(EngineState &e, int64_t v) { e.PlayList.TrackNumber = static_cast<int16_t>(v); }
void SetElapsed(EngineState &e, int64_t v) { e.ElapsedSeconds = static_cast<int32_t>(v); }
void SetLength(EngineState &e, int64_t v) { e.TrackInfo.LengthSeconds = static_cast<int32_t>(v); }
void SetRate(EngineState &e, int64_t v) { e.TrackInfo.SamplingRate = static_cast<int32_t>(v); }
void SetBitRate(EngineState &e, int64_t v) { e.BitRate = static_cast<int32_t>(v); }

void PrintTo(const FieldCase &f, std::ostream *os) { *os << f.what << " " << f.value; }

const FieldCase FieldCases[] = {
    {"track", SetTrack, &Krw1000::DrawTrackNumber, false, 1, 3, 999, "999", 0},
    {"track", SetTrack, &Krw1000::DrawTrackNumber, false, 1, 3, 9999, "---", 0},
    {"track", SetTrack, &Krw1000::DrawTrackNumber, false, 1, 3, -7, "---", 0},
    {"track", SetTrack, &Krw1000::DrawTrackNumber, false, 1, 3, INT16_MIN, "---", 0},
    {"elapsed", SetElapsed, &Krw1000::DrawNowTime, false, 5, 9, 5999, "99 59", 0},
    {"elapsed", SetElapsed, &Krw1000::DrawNowTime, false, 5, 9, 6000, "-- 00", 0},
    {"elapsed", SetElapsed, &Krw1000::DrawNowTime, false, 5, 9, -5, "-- --", 0},
    {"elapsed", SetElapsed, &Krw1000::DrawNowTime, false, 5, 9, INT32_MIN, "-- --", 0},
    {"length", SetLength, &Krw1000::DrawAllTime, false, 11, 15, 600 * 60, "-- 00", 0},
    {"length", SetLength, &Krw1000::DrawAllTime, false, 11, 15, INT32_MAX, "-- 07", 0},
    {"rate", SetRate, &Krw1000::DrawFrequency, true, 4, 6, 8000, " 08", 0},
    {"rate", SetRate, &Krw1000::DrawFrequency, true, 4, 6, 192000, "192", 0},
    {"rate", SetRate, &Krw1000::DrawFrequency, true, 4, 6, 1000000, " --", 0},
    {"rate", SetRate, &Krw1000::DrawFrequency, true, 4, 6, INT32_MIN, " --", 0},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, 999, "999", 'K'},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, 1411, "1.41", 'M'},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, 49152, "49.1", 'M'},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, 384000, "384", 'M'},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, 1000000, "---", 'K'},
    {"bit rate", SetBitRate, &Krw1000::DrawBitRate, true, 11, 13, INT32_MIN, "---", 'K'},
};

class FieldTest : public DisplayFixture, public ::testing::WithParamInterface<FieldCase> {
protected:
    struct Cell {
        int left, top, width, height;
    };
    static Cell CellAt(bool smallRow, int p) {
        return smallRow ? Cell{6 * p - 2, 13, 5, 7} : Cell{7 * p - 6, 1, 6, 9};
    }
    ColorValue Dot(int c, int r) const { return display.ReadoutDots()[size_t(c)][size_t(r)]; }

    std::string Reading(const FieldCase &f) const {
        std::string out;
        for (int p = f.firstCell; p <= f.lastCell; ++p) {
            const Cell cell = CellAt(f.smallRow, p);
            std::string segments;
            bool blank = true;
            for (int k = 0; k < PanelFont::SegmentCount; ++k) {
                const auto &d = (f.smallRow ? PanelFont::SmallSegment(k) : PanelFont::LargeSegment(k)).dots[0];
                const ColorValue c = Dot(cell.left + d.column, cell.top + d.row);
                blank = blank && c == color.dotdefaultbg;
                segments += c == color.track || c == color.nowtime || c == color.alltime || c == color.freq ||
                                    c == color.bitrate
                                ? '1'
                                : '0';
            }
            char ch = segments == "0000001" ? '-' : blank ? ' ' : '?';
            for (char digit = '0'; digit <= '9'; ++digit)
                if (PanelFont::DigitPattern(digit) == segments) ch = digit;
            out += ch;
            if (f.smallRow && Dot(cell.left + 5, 19) != color.dotdefaultbg) out += '.';
        }
        return out;
    }
    char Unit() const {
        for (char letter : {'K', 'M'}) {
            const DotPattern &g = *PanelFont::SmallSymbol(letter);
            int lit = 0;
            for (int c = 0; c < 5; ++c)
                for (int r = 0; r < 7; ++r) lit += Dot(82 + c, 13 + r) == color.bitratestr;
            bool all = lit == g.count;
            for (int i = 0; i < g.count; ++i) all = all && Dot(82 + g.dots[size_t(i)].column, 13 + g.dots[size_t(i)].row) == color.bitratestr;
            if (all) return letter;
        }
        return '?';
    }
    // True when (c, r) lies in one of the field's cells (with the gap after
    // it, where a decimal point goes) or in its unit letter.
    static bool InField(const FieldCase &f, int c, int r) {
        for (int p = f.firstCell; p <= f.lastCell + (f.unit != 0); ++p) {
            const Cell cell = CellAt(f.smallRow, p);
            if (c >= cell.left && c <= cell.left + cell.width && r >= cell.top && r < cell.top + cell.height)
                return true;
        }
        return false;
    }
};

TEST_P(FieldTest, AWideValueReadsRightStaysInItsCellsAndANarrowOneRestoresThePanel) {
    const FieldCase &f = GetParam();
    engine.PlayList.TrackNumber = 7;
    engine.ElapsedSeconds = 75;
    engine.TrackInfo.LengthSeconds = 200;
    engine.TrackInfo.SamplingRate = 44100;
    engine.BitRate = 128;
    display.DrawAllDisplay();
    const auto before = display.ReadoutDots();

    f.set(engine, f.value);
    (display.*f.draw)();
    EXPECT_EQ(Reading(f), f.reading) << f.what << " " << f.value;
    if (f.unit != 0) {
        EXPECT_EQ(Unit(), f.unit) << f.value;
    }
    for (int c = 0; c < Krw1000::ReadoutColumns; ++c) {
        for (int r = 0; r < Krw1000::ReadoutRows; ++r) {
            if (!InField(f, c, r)) {
                ASSERT_EQ(Dot(c, r), before[size_t(c)][size_t(r)]) << f.what << " at " << c << "," << r;
            }
        }
    }
    FlushAll();
    (display.*f.draw)();
    EXPECT_EQ(ReadoutFlagCount(), 0) << "the same value again";

    SetTrack(engine, 7), SetElapsed(engine, 75), SetLength(engine, 200), SetRate(engine, 44100), SetBitRate(engine, 128);
    (display.*f.draw)();
    EXPECT_TRUE(display.ReadoutDots() == before) << f.what << " " << f.value << " left damage";
}

INSTANTIATE_TEST_SUITE_P(Readout, FieldTest, ::testing::ValuesIn(FieldCases));

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
    EXPECT_EQ(ReadoutFlagCount(), 0);  // the fields: see FieldTest

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
