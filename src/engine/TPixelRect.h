#pragma once

#include <litehtml/litehtml.h>

#include <QRect>
#include <QtGlobal>

// Positions and sizes from the layout library as rectangles of ours. A page
// of extreme lengths (margins of -2^31 px, say) gives positions near the
// ends of int, where a rectangle's right edge or an added offset would
// overflow: everything is clamped to ±kLimit, far beyond any page.
class TPixelRect {
public:
    static constexpr int kLimit = 1 << 26;

    static int bounded(qint64 v) { return int(qBound(qint64(-kLimit), v, qint64(kLimit))); }
    // A length of the library (a float, possibly beyond int or not a number)
    // in whole pixels.
    static int fromLength(double v) {
        if (v != v)
            return 0;
        return int(qBound(double(-kLimit), v, double(kLimit)));
    }
    static QRect of(qint64 x, qint64 y, qint64 w, qint64 h) {
        return QRect(bounded(x), bounded(y), int(qBound(qint64(0), w, qint64(kLimit))),
                     int(qBound(qint64(0), h, qint64(kLimit))));
    }
    static QRect of(const litehtml::position& p, qint64 dx = 0, qint64 dy = 0) {
        return of(qint64(p.x) + dx, qint64(p.y) + dy, p.width, p.height);
    }
};
