#include "skin/TOutlineRegion.h"

#include <QPointF>
#include <QVector>

namespace {

// One pass of the polygon clipping against one edge of the rectangle.
template <typename Inside, typename Cross>
QVector<QPointF> clipEdge(const QVector<QPointF>& in, Inside inside, Cross cross) {
    QVector<QPointF> out;
    if (in.isEmpty())
        return out;
    out.reserve(in.size() + 4);
    QPointF prev = in.last();
    bool prevIn = inside(prev);
    for (const QPointF& p : in) {
        const bool pIn = inside(p);
        if (pIn != prevIn)
            out << cross(prev, p);
        if (pIn)
            out << p;
        prev = p;
        prevIn = pIn;
    }
    return out;
}

QPointF atX(const QPointF& a, const QPointF& b, double x) {
    const double t = (x - a.x()) / (b.x() - a.x());
    return QPointF(x, a.y() + t * (b.y() - a.y()));
}

QPointF atY(const QPointF& a, const QPointF& b, double y) {
    const double t = (y - a.y()) / (b.y() - a.y());
    return QPointF(a.x() + t * (b.x() - a.x()), y);
}

} // namespace

QPolygon TOutlineRegion::clipped(const QPolygon& outline, const QRect& rect) {
    QVector<QPointF> pts;
    pts.reserve(outline.size());
    for (const QPoint& p : outline)
        pts << QPointF(qBound(-kMaxCoordinate, p.x(), kMaxCoordinate),
                       qBound(-kMaxCoordinate, p.y(), kMaxCoordinate));
    // Region edges: a pixel row or column belongs to the region when the
    // polygon covers its centre, so the window's far edges are x = w, y = h.
    const double l = rect.left(), t = rect.top();
    const double r = double(rect.left()) + rect.width();
    const double b = double(rect.top()) + rect.height();
    pts = clipEdge(
        pts, [l](QPointF p) { return p.x() >= l; },
        [l](QPointF a, QPointF c) { return atX(a, c, l); });
    pts = clipEdge(
        pts, [r](QPointF p) { return p.x() <= r; },
        [r](QPointF a, QPointF c) { return atX(a, c, r); });
    pts = clipEdge(
        pts, [t](QPointF p) { return p.y() >= t; },
        [t](QPointF a, QPointF c) { return atY(a, c, t); });
    pts = clipEdge(
        pts, [b](QPointF p) { return p.y() <= b; },
        [b](QPointF a, QPointF c) { return atY(a, c, b); });
    QPolygon out;
    out.reserve(pts.size());
    for (const QPointF& p : pts)
        out << p.toPoint();
    return out;
}

QRegion TOutlineRegion::build(const QPolygon& outline, const QSize& window) {
    const QSize size(qBound(0, window.width(), kMaxCoordinate),
                     qBound(0, window.height(), kMaxCoordinate));
    if (size.isEmpty())
        return QRegion();
    return QRegion(clipped(outline, QRect(QPoint(0, 0), size)), Qt::WindingFill);
}
