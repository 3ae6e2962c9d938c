// cpuplot: draws CPU use over time for the playback comparison.
//
//   cpuplot PLOTLIST OUT.png
//
// PLOTLIST has lines "player<TAB>samples.csv" (as playmeter summary writes);
// each CSV holds "seconds from first sound<TAB>CPU seconds so far<TAB>RSS kB".
// Each player is one line: per cent of one core over each second.
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

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: cpuplot PLOTLIST OUT.png\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::vector<Series> series = readSeries(argv[1]);

    constexpr double t0 = -3, t1 = 30;
    std::vector<std::vector<QPointF>> lines;  // (second, per cent) per player
    double top = 5;
    for (const Series &s : series) {
        std::vector<QPointF> pts;
        for (double t = t0; t + 1 <= t1 + 1e-9; t += 1) {
            if (t + 1 > s.points.back().first + 0.05 || t < s.points.front().first - 0.05) continue;
            const double pct = (cpuAt(s, t + 1) - cpuAt(s, t)) * 100;
            pts.emplace_back(t + 0.5, pct);
            top = std::max(top, pct);
        }
        lines.push_back(std::move(pts));
    }
    const double step = top <= 10 ? 1 : top <= 25 ? 5 : top <= 60 ? 10 : 20;
    top = std::ceil(top / step) * step;

    const int width = 1000, height = 560, left = 70, right = 200, topMargin = 50, bottom = 60;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
    const QRectF plot(left, topMargin, width - left - right, height - topMargin - bottom);
    auto x = [&](double t) { return plot.left() + (t - t0) / (t1 - t0) * plot.width(); };
    auto y = [&](double pct) { return plot.bottom() - pct / top * plot.height(); };

    p.setPen(QColor(220, 220, 220));
    for (double v = 0; v <= top + 1e-9; v += step) p.drawLine(QPointF(plot.left(), y(v)), QPointF(plot.right(), y(v)));
    for (double t = 0; t <= t1; t += 5) p.drawLine(QPointF(x(t), plot.top()), QPointF(x(t), plot.bottom()));
    p.setPen(Qt::black);
    p.drawRect(plot);
    for (double v = 0; v <= top + 1e-9; v += step)
        p.drawText(QRectF(0, y(v) - 8, left - 8, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(v) + " %");
    for (double t = 0; t <= t1; t += 5)
        p.drawText(QRectF(x(t) - 20, plot.bottom() + 4, 40, 16), Qt::AlignCenter, QString::number(t));
    p.drawText(QRectF(plot.left(), height - 30, plot.width(), 20), Qt::AlignCenter,
               "seconds from the first sound in the sink");
    font.setPixelSize(16);
    p.setFont(font);
    p.drawText(QRectF(0, 10, width, 24), Qt::AlignCenter, "CPU use while playing (per cent of one core, per second)");
    font.setPixelSize(13);
    p.setFont(font);

    const QColor palette[] = {QColor(200, 30, 30),  QColor(240, 130, 20), QColor(0, 0, 0),     QColor(30, 90, 200),
                              QColor(20, 160, 200), QColor(40, 150, 40),  QColor(150, 60, 180), QColor(120, 90, 40),
                              QColor(230, 60, 160), QColor(110, 110, 110)};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QColor colour = palette[i % std::size(palette)];
        p.setPen(QPen(colour, 2));
        QPainterPath path;
        for (std::size_t k = 0; k < lines[i].size(); ++k) {
            const QPointF pt(x(lines[i][k].x()), y(lines[i][k].y()));
            if (k == 0) path.moveTo(pt); else path.lineTo(pt);
        }
        p.drawPath(path);
        const double ly = plot.top() + 10 + 22 * double(i);
        p.drawLine(QPointF(plot.right() + 15, ly), QPointF(plot.right() + 45, ly));
        p.setPen(Qt::black);
        p.drawText(QRectF(plot.right() + 52, ly - 9, right - 55, 18), Qt::AlignLeft | Qt::AlignVCenter, series[i].name);
    }
    p.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cpuplot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
