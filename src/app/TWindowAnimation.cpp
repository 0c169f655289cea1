#include "app/TWindowAnimation.h"

#include <QRect>

namespace {

QRect box(int x1, int y1, int x2, int y2) {
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

QRegion rounded(int x1, int y1, int x2, int y2) {
    const QRect r = box(x1, y1, x2, y2);
    if (r.width() <= 0 || r.height() <= 0)
        return QRegion();
    // A rounded rectangle with a 20 x 20 corner ellipse: the rectangle minus
    // its corners, plus four corner ellipses.
    const int c = qMin(10, qMin(r.width(), r.height()) / 2);
    QRegion region(r.adjusted(c, 0, -c, 0));
    region += QRegion(r.adjusted(0, c, 0, -c));
    const int d = 2 * c;
    region += QRegion(QRect(r.left(), r.top(), d, d), QRegion::Ellipse);
    region += QRegion(QRect(r.right() - d + 1, r.top(), d, d), QRegion::Ellipse);
    region += QRegion(QRect(r.left(), r.bottom() - d + 1, d, d), QRegion::Ellipse);
    region += QRegion(QRect(r.right() - d + 1, r.bottom() - d + 1, d, d), QRegion::Ellipse);
    return region;
}

QRegion ellipse(int x1, int y1, int x2, int y2) {
    const QRect r = box(x1, y1, x2, y2);
    if (r.width() <= 0 || r.height() <= 0)
        return QRegion();
    return QRegion(r, QRegion::Ellipse);
}

} // namespace

TWindowAnimation::TWindowAnimation(Kind kind, QSize size)
    : m_kind(kind), m_w(size.width()), m_h(size.height()) {
    if (kind == Kind::Opening) {
        m_x = m_w / 2;
        m_y = m_h / 2;
    } else {
        m_x = 0;
        m_y = 0;
    }
}

bool TWindowAnimation::next(QRegion& region) {
    if (m_finished)
        return false;
    if (m_kind == Kind::Opening) {
        if (m_x < -m_w / 2) {
            m_finished = true;
            return false;
        }
        region = ellipse(m_x, m_y, m_w - m_x, m_h - m_y);
        m_x -= 4;
        m_y -= 2;
        ++m_ticks;
        return true;
    }
    if (m_y <= m_h / 2 - 10) {
        region = rounded(0, m_y, m_w, m_h - m_y);
        m_y += 2;
    } else if (m_x <= m_w / 2 - 10) {
        region = rounded(m_x, m_y, m_w - m_x, m_h - m_y);
        m_x += 3;
    } else if (m_x <= m_w / 2) {
        region = ellipse(m_x, m_y, m_w - m_x, m_h - m_y);
        m_x += 1;
        m_y += 1;
    } else {
        m_finished = true;
        return false;
    }
    ++m_ticks;
    return true;
}

QRegion TWindowAnimation::finalOpeningRegion(QSize size) {
    // The insets of the last tick, without running the ticks before it.
    TWindowAnimation a(Kind::Opening, size);
    const int ticks = (a.m_x + a.m_w / 2) / 4; // the last k with x - 4k >= -w/2
    a.m_x -= 4 * ticks;
    a.m_y -= 2 * ticks;
    QRegion last;
    a.next(last);
    return last;
}
