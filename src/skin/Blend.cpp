#include "skin/Blend.h"

#include <algorithm>
#include <array>

namespace effect {

void blend(const QImage& fromIn, const QImage& toIn, int weight, QImage& out) {
    weight = std::clamp(weight, 0, 255);
    const QImage from = fromIn.format() == QImage::Format_RGB32
                            ? fromIn
                            : fromIn.convertToFormat(QImage::Format_RGB32);
    const QImage to =
        toIn.format() == QImage::Format_RGB32 ? toIn : toIn.convertToFormat(QImage::Format_RGB32);
    if (out.size() != from.size() || out.format() != QImage::Format_RGB32)
        out = QImage(from.size(), QImage::Format_RGB32);
    if (from.isNull())
        return;

    // The 511 products a * d >> 8 for d = -255..255, built once per blend.
    std::array<int, 511> table;
    for (int d = -255; d <= 255; ++d)
        table[d + 255] = (d * weight) >> 8;

    const int w = from.width();
    const int h = from.height();
    const int cw = std::min(w, to.width());
    const int ch = std::min(h, to.height());
    for (int y = 0; y < h; ++y) {
        const auto* f = reinterpret_cast<const QRgb*>(from.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (y >= ch) {
            std::copy(f, f + w, o);
            continue;
        }
        const auto* t = reinterpret_cast<const QRgb*>(to.constScanLine(y));
        for (int x = 0; x < cw; ++x) {
            const QRgb a = f[x];
            const QRgb b = t[x];
            const int r = qRed(a) + table[qRed(b) - qRed(a) + 255];
            const int g = qGreen(a) + table[qGreen(b) - qGreen(a) + 255];
            const int bl = qBlue(a) + table[qBlue(b) - qBlue(a) + 255];
            o[x] = qRgb(r, g, bl);
        }
        std::copy(f + cw, f + w, o + cw);
    }
}

} // namespace effect
