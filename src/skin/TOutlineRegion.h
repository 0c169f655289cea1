#pragma once

#include <QPolygon>
#include <QRegion>
#include <QSize>

// The region of a window shaped by an outline from a description. Points
// are clamped to what a window system takes (±kMaxCoordinate) and the
// polygon is clipped to the window before the region is built, so that an
// outline of extreme points costs no more than the window's own size.
class TOutlineRegion {
public:
    static constexpr int kMaxCoordinate = 32767;

    static QRegion build(const QPolygon& outline, const QSize& window);
    // The polygon cut to `rect` (its part inside, same winding).
    static QPolygon clipped(const QPolygon& outline, const QRect& rect);
};
