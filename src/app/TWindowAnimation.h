#pragma once

#include <QRegion>
#include <QSize>

// The window regions of the skinned window's opening and closing animations,
// one region per timer tick.
//
// Opening: insets start at half the width and height; each tick gives the
// ellipse from (x, y) to (w - x, h - y), then x -= 4 and y -= 2, until x falls
// below -w/2 (the last ellipse stays).
// Closing: rounded rectangles (corner 20 x 20) shrink from top and bottom by 2
// until y > h/2 - 10, then from the sides by 3 until x > w/2 - 10, then an
// ellipse over the same box shrinks by 1 until x > w/2.
//
// The last opening ellipse stays as the window's region and replaces any
// outline the book gives (books are drawn for that: elements in the corners,
// such as minimize and close, stay reachable).
class TWindowAnimation {
public:
    enum class Kind { Opening, Closing };

    TWindowAnimation(Kind kind, QSize size);

    // The region of the next tick; false when the animation has ended (no
    // region: the last one stays, or the window goes).
    bool next(QRegion& region);
    bool finished() const { return m_finished; }
    int ticks() const { return m_ticks; }

    // The region the opening animation leaves on a window of `size`.
    static QRegion finalOpeningRegion(QSize size);

private:
    Kind m_kind;
    int m_w, m_h;
    int m_x, m_y;
    int m_ticks = 0;
    bool m_finished = false;
};
