#pragma once

// Pictures and timing comparisons shared by the benchmarks that load pictures.
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <functional>
#include <utility>
#include <vector>

#include "BenchUtil.h"

// Median times of ours and the baseline, run in turns after a warm-up of
// each; prepare runs before each of ours, outside the timing.
inline std::pair<double, double> compare(const std::function<void()>& prepare,
                                         const std::function<void()>& ours,
                                         const std::function<void()>& baseline, int runs = 7) {
    prepare();
    ours();
    baseline();
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        prepare();
        a.push_back(timeMs(ours));
        b.push_back(timeMs(baseline));
    }
    return {median(a), median(b)};
}

// Colour gradients, a few soft shapes and some grain: a JPEG of it weighs
// about what a camera's photo of that size weighs.
inline QImage photo(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator noise(6000);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int gy = y * 255 / size.height();
        for (int x = 0; x < size.width(); ++x) {
            const quint32 n = noise.generate();
            const int gx = x * 255 / size.width();
            const int grain = int(n & 63) - 32;
            line[x] = qRgb(qBound(0, gx + grain + int((n >> 6) & 15) - 8, 255),
                           qBound(0, gy + grain + int((n >> 10) & 15) - 8, 255),
                           qBound(0, (gx + 255 - gy) / 2 + grain + int((n >> 14) & 15) - 8, 255));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 300; ++i) {
        QColor c = QColor::fromRgb(noise.generate() | 0xFF000000);
        c.setAlpha(90);
        painter.setBrush(c);
        const int r = 40 + int(noise.bounded(400));
        painter.drawEllipse(
            QPoint(int(noise.bounded(size.width())), int(noise.bounded(size.height()))), r, r);
    }
    return image;
}
