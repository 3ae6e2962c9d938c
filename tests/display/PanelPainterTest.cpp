// The flushes: each flagged cell becomes its filled box at its pixel place
// in the window image, with the background left between boxes.
#include <random>

#include <QImage>

#include "display/DisplayFixture.h"

namespace {

class PanelPainterTest : public DisplayFixture {
protected:
    void SetUp() override {
        DisplayFixture::SetUp();
        img.fill(PanelPainter::ToRgb(color.formbg));
    }
    QRgb At(int x, int y) const { return img.pixel(x, y); }
    QRgb Rgb(ColorValue c) const { return PanelPainter::ToRgb(c); }
    // Every pixel of `box` has `colour`.
    bool Filled(const QRect &box, QRgb colour) const {
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                if (At(x, y) != colour) return false;
        return true;
    }
    QImage img{634, 115, QImage::Format_RGB32};
};

TEST_F(PanelPainterTest, ColoursKeepRedInTheLowByte) {
    const QRgb c = PanelPainter::ToRgb(RGBColor(10, 20, 30));
    EXPECT_EQ(qRed(c), 10);
    EXPECT_EQ(qGreen(c), 20);
    EXPECT_EQ(qBlue(c), 30);
}

TEST_F(PanelPainterTest, ReadoutDotsAreTwoByTwoBoxesOnAThreePixelPitch) {
    engine.PlayList.TrackNumber = 7;
    display.DrawAllDisplay();
    EXPECT_EQ(painter.FlushReadout(img), QRect(258, 52, 317, 62));  // x 258-574, y 52-113
    EXPECT_EQ(ReadoutFlagCount(), 0);

    const QRgb bg = Rgb(color.formbg);
    for (auto [c, r] : {std::pair{0, 0}, {105, 20}, {2, 1}, {15, 3}, {16, 5}, {50, 11}}) {
        const int x = 3 * c + 258, y = 3 * r + 52;
        const QRgb dot = Rgb(display.ReadoutDots()[size_t(c)][size_t(r)]);
        EXPECT_TRUE(Filled(QRect(x, y, 2, 2), dot)) << c << "," << r;
        EXPECT_EQ(At(x + 2, y), bg);
        EXPECT_EQ(At(x, y + 2), bg);
    }
    EXPECT_EQ(At(257, 52), bg);
    EXPECT_EQ(At(258, 51), bg);

    // Nothing flagged: nothing touched.
    const QImage before = img;
    EXPECT_TRUE(painter.FlushReadout(img).isEmpty());
    EXPECT_EQ(img, before);
}

TEST_F(PanelPainterTest, OnlyFlaggedDotsArePaintedAndTheRectangleCoversThem) {
    engine.PlayList.TrackNumber = 7;
    display.DrawAllDisplay();
    painter.FlushReadout(img);
    engine.PlayList.TrackNumber = 8;  // d, e and g of cell 3: columns 15-19, rows 5-9
    display.DrawTrackNumber();
    img.fill(Qt::black);
    EXPECT_EQ(painter.FlushReadout(img), QRect(3 * 15 + 258, 3 * 5 + 52, 3 * 4 + 2, 3 * 4 + 2));
    EXPECT_EQ(At(3 * 16 + 258, 3 * 5 + 52), Rgb(color.track));
    EXPECT_EQ(At(3 * 16 + 258, 3 * 1 + 52), qRgb(0, 0, 0));  // unflagged: untouched
}

TEST_F(PanelPainterTest, ShiftedPanelStartsAtTheLeftEdge) {
    display.DrawAllDisplay();
    display.SetReadoutShift(258);
    EXPECT_EQ(painter.FlushReadout(img), QRect(0, 52, 317, 62));
    EXPECT_TRUE(Filled(QRect(0, 52, 2, 2), Rgb(color.dotdefaultbg)));
    EXPECT_TRUE(Filled(QRect(315, 112, 2, 2), Rgb(color.dotdefaultbg)));
    EXPECT_EQ(At(317, 112), Rgb(color.formbg));
}

TEST_F(PanelPainterTest, AnalyserAndMeterCellsAtTheirBoxes) {
    display.DrawAllDisplay();
    EXPECT_EQ(painter.FlushSpeana(img).boundingRect(), QRect(2, 2, 255, 95));
    EXPECT_EQ(painter.FlushLvMeter(img), QRect(2, 100, 255, 12));
    EXPECT_EQ(FlagCount(display.SpeanaDirty()) + FlagCount(display.LvMeterDirty()), 0);

    // Boxes of 7 x 2 pixels on an 8 x 3 pitch; the meter's four rows in two pairs.
    EXPECT_TRUE(Filled(QRect(8 * 31 + 2, 3 * 7 + 2, 7, 2), Rgb(color.speanabg2)));
    EXPECT_EQ(At(9, 2), Rgb(color.formbg));
    EXPECT_EQ(At(2, 4), Rgb(color.formbg));
    for (int y : {100, 103, 107, 110}) EXPECT_TRUE(Filled(QRect(8 * 26 + 2, y, 7, 2), Rgb(color.lvmeterbg3))) << y;
    for (int y : {102, 105, 106, 109, 112}) EXPECT_EQ(At(2, y), Rgb(color.formbg)) << y;

    // A lit band and meter column after an update.
    tick = 5000;
    first[0] = 95;  // band 0 height 1
    display.UpdateSpeana();
    display.UpdateLvMeter();  // level 95 / 3.5 = 27: every column through zone 3's first
    EXPECT_EQ(painter.FlushSpeana(img).boundingRect(), QRect(2, 3 * 30 + 2, 8 * 31 + 7, 3 + 2));
    EXPECT_TRUE(Filled(QRect(2, 3 * 30 + 2, 7, 2), Rgb(color.speana1)));
    painter.FlushLvMeter(img);
    EXPECT_TRUE(Filled(QRect(8 * 27 + 2, 100, 7, 2), Rgb(color.lvmeter3)));
    EXPECT_TRUE(Filled(QRect(8 * 28 + 2, 100, 7, 2), Rgb(color.lvmeterbg3)));
    EXPECT_TRUE(Filled(QRect(2, 107, 7, 2), Rgb(color.lvmeter1)));   // second channel: column 0 only
    EXPECT_TRUE(Filled(QRect(10, 107, 7, 2), Rgb(color.lvmeterbg1)));
}

// The window repaints only the analyser region a flush returns: a changed
// pixel outside it would stay stale on screen.
TEST_F(PanelPainterTest, AnalyserRegionHoldsEveryChangedPixelInAFewRectangles) {
    display.DrawAllDisplay();
    FlushAll();
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> level(0, 127);
    int partial = 0;
    for (int round = 0; round < 20; ++round) {
        tick += 10;
        for (size_t i = 0; i < first.size(); ++i) first[i] = second[i] = round % 4 == 3 ? 0 : level(random);
        const QImage before = img.copy();
        display.UpdateSpeana();
        const QRegion touched = painter.FlushSpeana(img);
        EXPECT_LE(touched.rectCount(), 16) << round;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != before.pixel(x, y)) {
                    ASSERT_TRUE(touched.contains(QPoint(x, y))) << x << "," << y;
                }
        qint64 area = 0;
        for (const QRect &r : touched) area += qint64(r.width()) * r.height();
        const QRect bounds = touched.boundingRect();
        partial += area < qint64(bounds.width()) * bounds.height();
    }
    EXPECT_GT(partial, 0);  // bars of different heights leave parts of the bounds out
}

TEST_F(PanelPainterTest, ColourChangeRepaintsEveryDotOnceInTheNewColours) {
    engine.ElapsedSeconds = 125;
    display.DrawAllDisplay();
    display.UpdateSpeana();
    FlushAll();
    const auto cells = display.SpeanaCells();

    color.dotdefaultbg = RGBColor(1, 2, 3);
    color.nowtime = RGBColor(4, 5, 6);
    color.speana1 = RGBColor(7, 8, 9);
    display.RedrawAfterColorChange();
    EXPECT_EQ(ReadoutFlagCount(), 106 * 21);
    EXPECT_EQ(FlagCount(display.SpeanaDirty()), 32 * 32);
    EXPECT_EQ(FlagCount(display.LvMeterDirty()), 32 * 4);
    EXPECT_EQ(display.SpeanaCells(), cells);

    EXPECT_EQ(painter.FlushReadout(img), QRect(258, 52, 317, 62));
    painter.FlushSpeana(img);
    for (int r : {0, 10, 11, 20})
        for (int c = 0; c < 106; ++c)
            ASSERT_TRUE(Filled(QRect(3 * c + 258, 3 * r + 52, 2, 2), Rgb(color.dotdefaultbg))) << c << "," << r;
    EXPECT_TRUE(Filled(QRect(2, 3 * 31 + 2, 7, 2), Rgb(color.speana1)));
    // Each dot was flagged once: a second flush paints nothing.
    EXPECT_TRUE(painter.FlushReadout(img).isEmpty());
}

TEST_F(PanelPainterTest, PaintRequestFlagsEverythingAndChangesNoColour) {
    engine.TrackInfo.SamplingRate = 22050;
    display.DrawAllDisplay();
    FlushAll();
    const auto dots = display.ReadoutDots();
    const auto cells = display.SpeanaCells();
    const auto meter = display.LvMeterCells();
    display.MarkAllDirty();
    EXPECT_EQ(display.ReadoutDots(), dots);
    EXPECT_EQ(display.SpeanaCells(), cells);
    EXPECT_EQ(display.LvMeterCells(), meter);
    EXPECT_EQ(ReadoutFlagCount() + FlagCount(display.SpeanaDirty()) + FlagCount(display.LvMeterDirty()),
              2226 + 1024 + 128);
}

TEST_F(PanelPainterTest, SmallerImageIsPaintedWithoutWritingOutside) {
    QImage small(300, 60, QImage::Format_RGB32);
    small.fill(Qt::black);
    display.DrawAllDisplay();
    EXPECT_EQ(painter.FlushReadout(small), QRect(258, 52, 41, 8));
    EXPECT_EQ(painter.FlushSpeana(small).boundingRect(), QRect(2, 2, 255, 58));
    EXPECT_TRUE(painter.FlushLvMeter(small).isEmpty());
    EXPECT_EQ(FlagCount(display.LvMeterDirty()), 0);
}

}  // namespace
