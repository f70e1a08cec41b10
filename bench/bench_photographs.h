#pragma once

// Test photographs the benchmarks write for themselves.
#include <QImage>
#include <QRandomGenerator>

namespace bench {

// A photograph-like picture: smooth colour gradients with fine grain.
inline QImage Photograph(int width, int height, quint32 seed) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = int(random.bounded(24));
            line[x] = qRgb((x * 255 / width + grain + int(seed) * 40) & 255,
                           (y * 255 / height + grain) & 255, ((x + y) / 40 + grain) & 255);
        }
    }
    return image;
}

} // namespace bench
