// SPDX-License-Identifier: GPL-3.0-or-later
#include <random>

#include "display/DisplayFixture.h"

namespace {

class PanelPainterTest : public DisplayFixture {
protected:
    void SetUp() override {
        DisplayFixture::SetUp();
        img.fill(Rgb(color.formbg));
    }
    static QRgb Rgb(ColorValue c) { return PanelPainter::ToRgb(c); }
    bool Filled(const QRect &box, QRgb colour) const {
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                if (img.pixel(x, y) != colour) return false;
        return true;
    }
    QImage img{634, 115, QImage::Format_RGB32};
};

// Dots are 2 x 2 boxes on a 3-pixel pitch; only flagged dots are painted.
TEST_F(PanelPainterTest, ReadoutFlushPaintsFlaggedDotsOnly) {
    engine.PlayList.TrackNumber = 7;
    display.DrawAllDisplay();
    painter.FlushReadout(img);
    EXPECT_TRUE(painter.FlushReadout(img).isEmpty());

    engine.PlayList.TrackNumber = 8;  // d, e and g of cell 3: columns 15-19, rows 5-9
    display.DrawTrackNumber();
    img.fill(Qt::black);
    EXPECT_EQ(painter.FlushReadout(img), QRect(3 * 15 + 258, 3 * 5 + 52, 14, 14));
    EXPECT_EQ(img.pixel(3 * 16 + 258, 3 * 5 + 52), Rgb(color.track));
    EXPECT_EQ(img.pixel(3 * 16 + 258, 3 * 1 + 52), qRgb(0, 0, 0));
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

// A colour change flags every dot once and changes no cell.
TEST_F(PanelPainterTest, ColourChangeRepaintsEveryDotOnce) {
    engine.ElapsedSeconds = 125;
    display.DrawAllDisplay();
    display.UpdateSpeana();
    FlushAll();
    color.dotdefaultbg = RGBColor(1, 2, 3);
    color.speana1 = RGBColor(7, 8, 9);
    display.RedrawAfterColorChange();
    EXPECT_EQ(ReadoutFlagCount() + FlagCount(display.SpeanaDirty()) + FlagCount(display.LvMeterDirty()),
              106 * 21 + 32 * 32 + 32 * 4);
    painter.FlushReadout(img);
    painter.FlushSpeana(img);
    EXPECT_TRUE(Filled(QRect(258, 52, 2, 2), Rgb(color.dotdefaultbg)));
    EXPECT_TRUE(Filled(QRect(2, 3 * 31 + 2, 7, 2), Rgb(color.speana1)));
}

TEST_F(PanelPainterTest, SmallerImageIsPaintedWithoutWritingOutside) {
    QImage small(300, 60, QImage::Format_RGB32);
    display.DrawAllDisplay();
    EXPECT_EQ(painter.FlushReadout(small), QRect(258, 52, 41, 8));
    EXPECT_EQ(painter.FlushSpeana(small).boundingRect(), QRect(2, 2, 255, 58));
    EXPECT_TRUE(painter.FlushLvMeter(small).isEmpty());
    EXPECT_EQ(FlagCount(display.LvMeterDirty()), 0);
}

}  // namespace
