// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/PanelPainter.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "display/Krw1000.h"

namespace {

// Fills boxes straight into a 32-bit image and keeps the bounds of what it
// wrote.
class BoxWriter {
public:
    explicit BoxWriter(QImage &img) {
        if (img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_ARGB32 &&
            img.format() != QImage::Format_ARGB32_Premultiplied)
            img.convertTo(QImage::Format_RGB32);
        width_ = img.width();
        height_ = img.height();
        if (width_ > 0 && height_ > 0) {
            bits_ = img.bits();  // detaches once, not per box
            stride_ = img.bytesPerLine();
        }
    }

    void Fill(int left, int top, int w, int h, QRgb colour) {
        const int x0 = std::max(left, 0), x1 = std::min(left + w, width_);
        const int y0 = std::max(top, 0), y1 = std::min(top + h, height_);
        if (x0 >= x1 || y0 >= y1) return;
        for (int y = y0; y < y1; ++y) {
            auto *line = reinterpret_cast<QRgb *>(bits_ + static_cast<qsizetype>(y) * stride_);
            std::fill(line + x0, line + x1, colour);
        }
        minX_ = std::min(minX_, x0);
        minY_ = std::min(minY_, y0);
        maxX_ = std::max(maxX_, x1);
        maxY_ = std::max(maxY_, y1);
    }

    QRect Touched() const {
        if (minX_ >= maxX_) return {};
        return QRect(minX_, minY_, maxX_ - minX_, maxY_ - minY_);
    }

private:
    uchar *bits_ = nullptr;
    qsizetype stride_ = 0;
    int width_ = 0, height_ = 0;
    int minX_ = INT_MAX, minY_ = INT_MAX, maxX_ = INT_MIN, maxY_ = INT_MIN;
};

constexpr int DotSize = 2, DotPitch = 3, PanelLeft = 258, PanelTop = 52;
constexpr size_t SpeanaGroupColumns = 8;
constexpr int CellWidth = 7, CellHeight = 2, CellPitchX = 8, CellPitchY = 3, CellsLeft = 2, SpeanaTop = 2,
              LvMeterTop = 100;

// Painted colour of each cell state: lit zones 1 to 3, then unlit zones 1 to 3.
using StateColours = std::array<QRgb, 6>;

// Whether any cell of a grid is flagged: a word at a time, so that a tick
// that changed nothing costs next to nothing.
template <typename Grid>
bool AnyFlagged(const Grid &flags) {
    static_assert(sizeof(Grid) == sizeof(flags[0]) * std::tuple_size_v<Grid>, "a grid is one block of flags");
    const auto *bytes = reinterpret_cast<const unsigned char *>(flags.data());
    uint64_t any = 0;
    size_t i = 0;
    for (; i + sizeof any <= sizeof(Grid); i += sizeof any) {
        uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        any |= word;
    }
    for (; i < sizeof(Grid); ++i) any |= bytes[i];
    return any != 0;
}

// Paints the flagged cells of columns [first, end) and clears their flags.
template <typename Grid, typename BoxOf>
void FlushCells(const Grid &cells, Grid &dirty, const StateColours &colours, BoxWriter &out, BoxOf boxOf,
                size_t first = 0, size_t end = SIZE_MAX) {
    for (size_t x = first; x < std::min(end, dirty.size()); ++x) {
        for (size_t y = 0; y < dirty[x].size(); ++y) {
            if (dirty[x][y] < Krw1000::Dirty) continue;
            const QRect box = boxOf(static_cast<int>(x), static_cast<int>(y));
            out.Fill(box.x(), box.y(), box.width(), box.height(), colours[std::min<size_t>(cells[x][y], 5)]);
            dirty[x][y] = 0;
        }
    }
}

}  // namespace

PanelPainter::PanelPainter(Krw1000 &display, const ColorSetData &current) : display_(display), color_(current) {}

QRgb PanelPainter::ToRgb(ColorValue c) { return qRgb(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff); }

QRect PanelPainter::ReadoutDotBox(int column, int row, int shift) {
    return QRect(DotPitch * column + PanelLeft - shift, DotPitch * row + PanelTop, DotSize, DotSize);
}

QRect PanelPainter::SpeanaCellBox(int column, int row) {
    return QRect(CellPitchX * column + CellsLeft, CellPitchY * row + SpeanaTop, CellWidth, CellHeight);
}

// The two channels sit 2 pixels apart instead of 1: rows at y 100, 103, 107, 110.
QRect PanelPainter::LvMeterCellBox(int column, int row) {
    return QRect(CellPitchX * column + CellsLeft, CellPitchY * row + row / 2 + LvMeterTop, CellWidth, CellHeight);
}

QRect PanelPainter::FlushReadout(QImage &img) {
    if (!AnyFlagged(display_.readoutDirty_)) return {};
    BoxWriter out(img);
    const int shift = display_.ReadoutShift();
    auto &dirty = display_.readoutDirty_;
    const auto &dots = display_.readoutDots_;
    for (int c = 0; c < Krw1000::ReadoutColumns; ++c) {
        for (int r = 0; r < Krw1000::ReadoutRows; ++r) {
            uint8_t &flag = dirty[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (flag < Krw1000::Dirty) continue;
            out.Fill(DotPitch * c + PanelLeft - shift, DotPitch * r + PanelTop, DotSize, DotSize,
                     ToRgb(dots[static_cast<size_t>(c)][static_cast<size_t>(r)]));
            flag = 0;
        }
    }
    return out.Touched();
}

QRegion PanelPainter::FlushSpeana(QImage &img) {
    // A tick moves the top of each bar by a few cells, at different heights
    // across the analyser: the region is the bounds of what was painted in
    // each group of SpeanaGroupColumns columns, so a repaint copies a
    // fraction of the analyser at the cost of a few rectangles (fewer, larger
    // ones cost the window system more pixels, more, smaller ones more requests).
    QRegion touched;
    if (!AnyFlagged(display_.speanaDirty_)) return touched;
    const StateColours colours = {ToRgb(color_.speana1),   ToRgb(color_.speana2),   ToRgb(color_.speana3),
                                  ToRgb(color_.speanabg1), ToRgb(color_.speanabg2), ToRgb(color_.speanabg3)};
    for (size_t group = 0; group < display_.speanaDirty_.size(); group += SpeanaGroupColumns) {
        BoxWriter part(img);
        FlushCells(display_.speanaCells_, display_.speanaDirty_, colours, part, &SpeanaCellBox, group,
                   group + SpeanaGroupColumns);
        touched += part.Touched();
    }
    return touched;
}

QRect PanelPainter::FlushLvMeter(QImage &img) {
    if (!AnyFlagged(display_.lvMeterDirty_)) return {};
    BoxWriter out(img);
    const StateColours colours = {ToRgb(color_.lvmeter1),   ToRgb(color_.lvmeter2),   ToRgb(color_.lvmeter3),
                                  ToRgb(color_.lvmeterbg1), ToRgb(color_.lvmeterbg2), ToRgb(color_.lvmeterbg3)};
    FlushCells(display_.lvMeterCells_, display_.lvMeterDirty_, colours, out, &LvMeterCellBox);
    return out.Touched();
}
