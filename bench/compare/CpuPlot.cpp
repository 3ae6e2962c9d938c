// SPDX-License-Identifier: GPL-3.0-or-later
// cpuplot: draws CPU use over time for the playback comparison.
//
//   cpuplot PLOTLIST OUT.png
//
// PLOTLIST has lines "player<TAB>samples.csv" (as playmeter summary writes);
// each CSV holds "seconds from first sound<TAB>CPU seconds so far<TAB>RSS kB".
// Each player is one line: per cent of one core over each second.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

struct Series {
    QString name;
    std::vector<std::pair<double, double>> points;  // seconds, CPU seconds so far
};

double cpuAt(const Series &s, double t) {
    const auto &p = s.points;
    if (p.empty()) return 0;
    if (t <= p.front().first) return p.front().second;
    for (std::size_t i = 1; i < p.size(); ++i)
        if (p[i].first >= t) {
            const double f = (t - p[i - 1].first) / std::max(1e-9, p[i].first - p[i - 1].first);
            return p[i - 1].second + f * (p[i].second - p[i - 1].second);
        }
    return p.back().second;
}

std::vector<Series> readSeries(const char *listPath) {
    std::vector<Series> all;
    std::ifstream list(listPath);
    std::string line;
    while (std::getline(list, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        Series s;
        s.name = QString::fromStdString(line.substr(0, tab));
        std::ifstream csv(line.substr(tab + 1));
        double t, cpu;
        long rss;
        while (csv >> t >> cpu >> rss) s.points.emplace_back(t, cpu);
        if (!s.points.empty()) all.push_back(std::move(s));
    }
    return all;
}

constexpr double From = -2, To = 30, Bin = 2;  // seconds from the first sound
const QColor Palette[] = {QColor(200, 30, 30),  QColor(240, 130, 20), QColor(0, 0, 0),      QColor(30, 90, 200),
                          QColor(20, 160, 200), QColor(40, 150, 40),  QColor(150, 60, 180), QColor(120, 90, 40),
                          QColor(230, 60, 160), QColor(110, 110, 110)};

// Per cent of one core over each bin, at the bin's middle.
std::vector<QPointF> perCent(const Series &s) {
    std::vector<QPointF> pts;
    for (double t = From; t + Bin <= To + 1e-9; t += Bin) {
        if (t + Bin > s.points.back().first + 0.05 || t < s.points.front().first - 0.05) continue;
        pts.emplace_back(t + Bin / 2, (cpuAt(s, t + Bin) - cpuAt(s, t)) / Bin * 100);
    }
    return pts;
}

double niceStep(double v) {
    for (double step : {0.5, 1.0, 2.0, 5.0, 10.0, 20.0})
        if (step * 5 >= v) return step;
    return 50;
}

double niceTop(double v) { return std::max(1.0, std::ceil(v / niceStep(v))) * niceStep(v); }

// One panel: axes from 0 to top per cent, every line clipped to it.
void drawPanel(QPainter &p, const QRectF &plot, double top, const QString &title,
               const std::vector<std::vector<QPointF>> &lines) {
    const double step = niceStep(top);
    auto x = [&](double t) { return plot.left() + (t - From) / (To - From) * plot.width(); };
    auto y = [&](double pct) { return plot.bottom() - pct / top * plot.height(); };
    p.setPen(QColor(220, 220, 220));
    for (double v = 0; v <= top + 1e-9; v += step) p.drawLine(QPointF(plot.left(), y(v)), QPointF(plot.right(), y(v)));
    for (double t = 0; t <= To; t += 5) p.drawLine(QPointF(x(t), plot.top()), QPointF(x(t), plot.bottom()));
    p.setPen(Qt::black);
    p.drawRect(plot);
    for (double v = 0; v <= top + 1e-9; v += step)
        p.drawText(QRectF(0, y(v) - 8, plot.left() - 8, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v) + " %");
    for (double t = 0; t <= To; t += 5)
        p.drawText(QRectF(x(t) - 20, plot.bottom() + 4, 40, 16), Qt::AlignCenter, QString::number(t));
    p.drawText(QRectF(plot.left(), plot.top() - 20, plot.width(), 18), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.save();
    p.setClipRect(plot.adjusted(0, -1, 0, 1));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        p.setPen(QPen(Palette[i % std::size(Palette)], 2));
        QPainterPath path;
        for (std::size_t k = 0; k < lines[i].size(); ++k) {
            const QPointF pt(x(lines[i][k].x()), y(lines[i][k].y()));
            if (k == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        p.drawPath(path);
    }
    p.restore();
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: cpuplot PLOTLIST OUT.png\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::vector<Series> series = readSeries(argv[1]);
    std::vector<std::vector<QPointF>> lines;
    std::vector<double> peaks;
    for (const Series &s : series) {
        lines.push_back(perCent(s));
        double peak = 0;
        for (const QPointF &pt : lines.back()) peak = std::max(peak, pt.y());
        peaks.push_back(peak);
    }
    // The lower panel leaves out players far above the rest.
    std::vector<double> sorted = peaks;
    std::sort(sorted.begin(), sorted.end());
    const double typical = sorted.empty() ? 1 : sorted[sorted.size() / 2];
    double all = 1, most = 1;
    for (double peak : peaks) {
        all = std::max(all, peak);
        if (peak <= 4 * typical + 1) most = std::max(most, peak);
    }

    const int width = 1100, height = 820, left = 70, right = 250, top = 50;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(16);
    p.setFont(font);
    p.drawText(QRectF(0, 10, width, 24), Qt::AlignCenter,
               QString("CPU use while playing (per cent of one core, %1 s steps)").arg(Bin));
    font.setPixelSize(13);
    p.setFont(font);
    const double panelHeight = (height - top - 110) / 2.0;
    const QRectF upper(left, top + 10, width - left - right, panelHeight);
    const QRectF lower(left, upper.bottom() + 45, upper.width(), panelHeight);
    drawPanel(p, upper, niceTop(all), "every player", lines);
    drawPanel(p, lower, niceTop(most), "the same, up to " + QString::number(niceTop(most)) + " %", lines);
    p.drawText(QRectF(left, height - 30, upper.width(), 20), Qt::AlignCenter,
               "seconds from the first sound in the sink");
    for (std::size_t i = 0; i < series.size(); ++i) {
        const double ly = upper.top() + 10 + 22 * double(i);
        p.setPen(QPen(Palette[i % std::size(Palette)], 2));
        p.drawLine(QPointF(upper.right() + 15, ly), QPointF(upper.right() + 45, ly));
        p.setPen(Qt::black);
        p.drawText(QRectF(upper.right() + 52, ly - 9, right - 55, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   series[i].name);
    }
    p.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cpuplot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
