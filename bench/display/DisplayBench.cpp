// SPDX-License-Identifier: GPL-3.0-or-later
// Display work per timer tick with a changing spectrum, and a full repaint
// of the three grids into the window image. Prints medians and 99th
// percentiles in microseconds.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include <QImage>

#include "display/Krw1000.h"
#include "display/PanelPainter.h"

namespace {

// Spectra shaped like music: falling with frequency, each band wandering
// from frame to frame. The engine table takes plain function pointers, so
// the frames live in static storage.
struct Frames {
    static constexpr int Count = 256;
    std::vector<std::array<int32_t, 256>> left, right;
    size_t next = 0;
};
Frames &Source() {
    static Frames f;
    return f;
}
int GetSpectrum(int32_t *a, int32_t *b) {
    Frames &f = Source();
    std::copy(f.left[f.next].begin(), f.left[f.next].end(), a);
    std::copy(f.right[f.next].begin(), f.right[f.next].end(), b);
    f.next = (f.next + 1) % Frames::Count;
    return 1;
}

void MakeFrames() {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> wobble(0.3, 1.0);
    Frames &f = Source();
    f.left.resize(Frames::Count);
    f.right.resize(Frames::Count);
    for (int k = 0; k < Frames::Count; ++k) {
        const double beat = 0.6 + 0.4 * std::sin(k * 0.35);
        for (int i = 0; i < 256; ++i) {
            const double level = 120.0 * beat * std::exp(-i / 70.0);
            f.left[size_t(k)][size_t(i)] = int32_t(level * wobble(rng));
            f.right[size_t(k)][size_t(i)] = int32_t(level * wobble(rng));
        }
    }
}

struct Stats {
    double median, p99;
};
Stats Summarise(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[us.size() * 99 / 100]};
}

}  // namespace

int main() {
    MakeFrames();
    ColorSetData color;
    color.speana1 = RGBColor(90, 230, 160);
    color.speana2 = RGBColor(255, 255, 100);
    color.speana3 = RGBColor(255, 80, 80);
    color.dotdefaultbg = RGBColor(0, 64, 0);
    SettingData settings;
    settings.PeakHold = 0;
    EngineState engine;
    engine.BitRate = 128;
    Vbmp3Api api;
    api.vbmp3_getSpectrum = &GetSpectrum;
    int32_t tickNow = 0;
    Krw1000 display(color, settings, engine, api, tickNow);
    PanelPainter painter(display, color);
    QImage img(634, 115, QImage::Format_RGB32);
    img.fill(Qt::black);
    display.SetSpeanaMode(0);
    display.DrawAllDisplay();

    using Clock = std::chrono::steady_clock;
    const auto micros = [](Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); };

    // One tick: bit rate, analyser and meter, the slow time redraw every
    // 15th tick, the three flushes.
    constexpr int Ticks = 30000;
    std::vector<double> tickUs;
    tickUs.reserve(Ticks);
    int painted = 0;
    for (int t = 0; t < Ticks; ++t) {
        tickNow += 10;
        engine.BitRate = 128 + (t / 40) % 3 * 32;
        engine.ElapsedSeconds = t / 100;
        const auto start = Clock::now();
        display.DrawBitRate();
        display.UpdateSpeana();
        display.UpdateLvMeter();
        painted += !painter.FlushSpeana(img).isEmpty();
        painter.FlushLvMeter(img);
        if (t % 15 == 0) display.DrawNowTime();
        painter.FlushReadout(img);
        tickUs.push_back(micros(Clock::now() - start));
    }
    const Stats tick = Summarise(tickUs);

    constexpr int Repaints = 3000;
    std::vector<double> repaintUs;
    repaintUs.reserve(Repaints);
    for (int i = 0; i < Repaints; ++i) {
        const auto start = Clock::now();
        display.MarkAllDirty();
        painter.FlushSpeana(img);
        painter.FlushLvMeter(img);
        painter.FlushReadout(img);
        repaintUs.push_back(micros(Clock::now() - start));
    }
    const Stats repaint = Summarise(repaintUs);

    std::printf("tick (%d ticks, %d with analyser changes): median %.2f us, p99 %.2f us\n", Ticks, painted, tick.median,
                tick.p99);
    std::printf("full repaint (%d runs, 3378 cells): median %.2f us, p99 %.2f us\n", Repaints, repaint.median,
                repaint.p99);
    return 0;
}
