#include "SkinArt.h"

#include <cmath>

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace skinart {

namespace {
QString& serifFamily() {
    static QString family = QStringLiteral("Liberation Serif");
    return family;
}
} // namespace

QColor bodyTop() {
    return QColor(40, 52, 66);
}
QColor bodyBottom() {
    return QColor(18, 24, 32);
}
QColor brassLight() {
    return QColor(236, 200, 120);
}
QColor brassDark() {
    return QColor(128, 92, 38);
}
QColor cream() {
    return QColor(236, 226, 198);
}
QColor amber() {
    return QColor(255, 204, 96);
}

void setSerifFamily(const QString& family) {
    serifFamily() = family;
}

QFont serif(int pixelSize, bool bold, bool italic) {
    QFont f(serifFamily());
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont sans(int pixelSize, bool bold) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QPainterPath bevelledRect(const QRectF& r, qreal b) {
    QPainterPath path;
    path.moveTo(r.left() + b, r.top());
    path.lineTo(r.right() - b, r.top());
    path.lineTo(r.right(), r.top() + b);
    path.lineTo(r.right(), r.bottom() - b);
    path.lineTo(r.right() - b, r.bottom());
    path.lineTo(r.left() + b, r.bottom());
    path.lineTo(r.left(), r.bottom() - b);
    path.lineTo(r.left(), r.top() + b);
    path.closeSubpath();
    return path;
}

void paintBody(QPainter& p, const QRect& r) {
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0, bodyTop());
    g.setColorAt(0.55, QColor(28, 37, 48));
    g.setColorAt(1, bodyBottom());
    p.fillRect(r, g);
    // Fine hairlines give the body a brushed look without depending on x.
    for (int y = r.top(); y <= r.bottom(); y += 3)
        p.fillRect(QRect(r.left(), y, r.width(), 1), QColor(255, 255, 255, 7));
}

void paintTray(QPainter& p, const QRect& r) {
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0, QColor(14, 19, 26));
    g.setColorAt(0.15, QColor(22, 29, 38));
    g.setColorAt(1, QColor(30, 39, 50));
    p.fillRect(r, g);
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), QColor(0, 0, 0, 160));
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), QColor(255, 255, 255, 40));
}

void paintRecess(QPainter& p, const QRect& r, const QColor& fill) {
    p.save();
    p.fillRect(r.adjusted(-3, -3, 3, 3), brassDark());
    p.fillRect(r.adjusted(-2, -2, 2, 2), QColor(10, 12, 16));
    p.fillRect(r, fill);
    // Inner shadow along the top and left edges.
    for (int i = 0; i < 4; ++i) {
        const int a = 70 - i * 16;
        p.fillRect(QRect(r.left(), r.top() + i, r.width(), 1), QColor(0, 0, 0, a));
        p.fillRect(QRect(r.left() + i, r.top(), 1, r.height()), QColor(0, 0, 0, a));
    }
    p.fillRect(QRect(r.left() - 3, r.bottom() + 3, r.width() + 6, 1), QColor(255, 230, 170, 60));
    p.restore();
}

void paintWindowFrame(QPainter& p, const QSize& size, int bevel) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, brassLight());
    g.setColorAt(0.5, brassDark());
    g.setColorAt(1, QColor(196, 150, 74));
    p.setPen(QPen(QBrush(g), 4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bevelledRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), bevel - 1));
    p.setPen(QPen(QColor(0, 0, 0, 180), 1));
    p.drawPath(bevelledRect(outer.adjusted(4, 4, -4, -4), bevel - 3));
    p.restore();
}

void paintEmbossedText(QPainter& p, const QPoint& baseline, const QString& text, const QFont& font,
                       bool brass) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QPainterPath path;
    path.addText(baseline, font, text);
    p.translate(2, 2);
    p.fillPath(path, QColor(0, 0, 0, 150));
    p.translate(-2, -2);
    if (brass) {
        const QRectF b = path.boundingRect();
        QLinearGradient g(0, b.top(), 0, b.bottom());
        g.setColorAt(0, QColor(255, 236, 170));
        g.setColorAt(0.45, brassLight());
        g.setColorAt(0.5, QColor(170, 122, 50));
        g.setColorAt(1, QColor(230, 186, 100));
        p.fillPath(path, g);
        p.setPen(QPen(QColor(90, 60, 20, 160), 0.8));
        p.drawPath(path);
    } else {
        p.fillPath(path, cream());
    }
    p.restore();
}

void paintKey(QPainter& p, const QRect& r, Face face, int radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    // Shadow under the key (not for the pressed key, which sits lower).
    if (face != Face::Pressed) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 90));
        p.drawRoundedRect(outer.adjusted(1, 2, 0, 0), radius, radius);
    }
    // Brass rim.
    QLinearGradient rim(0, r.top(), 0, r.bottom());
    if (face == Face::Hover) {
        rim.setColorAt(0, QColor(255, 238, 170));
        rim.setColorAt(1, QColor(214, 160, 70));
    } else if (face == Face::Pressed) {
        rim.setColorAt(0, QColor(120, 86, 36));
        rim.setColorAt(1, QColor(200, 156, 86));
    } else {
        rim.setColorAt(0, brassLight());
        rim.setColorAt(1, brassDark());
    }
    p.setBrush(rim);
    p.setPen(QPen(QColor(8, 10, 14), 1));
    p.drawRoundedRect(outer.adjusted(0, 0, -1, -2), radius, radius);
    // Face.
    const QRectF inner = outer.adjusted(2.5, 2.5, -3.5, -4.5);
    QLinearGradient g(0, inner.top(), 0, inner.bottom());
    switch (face) {
    case Face::Normal:
        g.setColorAt(0, QColor(88, 116, 150));
        g.setColorAt(0.5, QColor(56, 78, 106));
        g.setColorAt(0.52, QColor(46, 66, 92));
        g.setColorAt(1, QColor(36, 52, 74));
        break;
    case Face::Hover:
        g.setColorAt(0, QColor(128, 162, 204));
        g.setColorAt(0.5, QColor(80, 112, 150));
        g.setColorAt(0.52, QColor(66, 96, 132));
        g.setColorAt(1, QColor(52, 78, 110));
        break;
    case Face::Pressed:
        g.setColorAt(0, QColor(20, 30, 44));
        g.setColorAt(0.4, QColor(32, 46, 64));
        g.setColorAt(1, QColor(48, 68, 94));
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(inner, radius - 2, radius - 2);
    if (face == Face::Pressed) {
        // Inner shadow at the top: the key is pushed in.
        QLinearGradient s(0, inner.top(), 0, inner.top() + 6);
        s.setColorAt(0, QColor(0, 0, 0, 140));
        s.setColorAt(1, QColor(0, 0, 0, 0));
        p.setBrush(s);
        p.drawRoundedRect(inner, radius - 2, radius - 2);
    } else {
        // Gloss on the upper half.
        QLinearGradient s(0, inner.top(), 0, inner.center().y());
        s.setColorAt(0, QColor(255, 255, 255, face == Face::Hover ? 90 : 60));
        s.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(s);
        p.drawRoundedRect(inner.adjusted(1, 1, -1, -inner.height() / 2), radius - 3, radius - 3);
    }
    if (face == Face::Hover) {
        // A thin warm line inside the rim: the key is lit.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 222, 150, 110), 1));
        p.drawRoundedRect(inner.adjusted(0.5, 0.5, -0.5, -0.5), radius - 2, radius - 2);
    }
    p.restore();
}

void paintToggle(QPainter& p, const QRect& r, bool on, bool hover, int radius) {
    paintKey(p, r, on ? Face::Pressed : (hover ? Face::Hover : Face::Normal), radius);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (on) {
        // Lit amber face.
        const QRectF inner = QRectF(r).adjusted(3, 3, -4, -5);
        QLinearGradient g(0, inner.top(), 0, inner.bottom());
        g.setColorAt(0, hover ? QColor(255, 226, 140) : QColor(236, 190, 96));
        g.setColorAt(1, hover ? QColor(214, 150, 50) : QColor(176, 120, 40));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(inner, radius - 2, radius - 2);
        QLinearGradient s(0, inner.top(), 0, inner.top() + 5);
        s.setColorAt(0, QColor(80, 40, 0, 120));
        s.setColorAt(1, QColor(80, 40, 0, 0));
        p.setBrush(s);
        p.drawRoundedRect(inner, radius - 2, radius - 2);
    }
    p.restore();
}

void paintCheck(QPainter& p, const QRect& box, bool on, bool hover) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF b = QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(hover ? QColor(255, 226, 150) : brassLight(), 1.5));
    QLinearGradient g(0, b.top(), 0, b.bottom());
    g.setColorAt(0, QColor(8, 12, 18));
    g.setColorAt(1, QColor(40, 52, 66));
    p.setBrush(g);
    p.drawRoundedRect(b, 3, 3);
    if (hover) {
        p.setPen(QPen(QColor(255, 214, 120, 90), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(b.adjusted(-1.5, -1.5, 1.5, 1.5), 4, 4);
    }
    if (on) {
        QPainterPath tick;
        tick.moveTo(b.left() + b.width() * 0.2, b.top() + b.height() * 0.52);
        tick.lineTo(b.left() + b.width() * 0.42, b.top() + b.height() * 0.76);
        tick.lineTo(b.left() + b.width() * 0.82, b.top() + b.height() * 0.22);
        p.setPen(QPen(hover ? QColor(255, 236, 170) : amber(), 2.6, Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
    p.restore();
}

void paintGlyph(QPainter& p, const QRect& r, Glyph glyph, Face face) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(r).center() + (face == Face::Pressed ? QPointF(1, 0) : QPointF(0, -1));
    const qreal s = qMin(r.width(), r.height()) * 0.22;
    QColor ink = face == Face::Hover ? QColor(255, 222, 140) : cream();
    if (face == Face::Pressed)
        ink = QColor(255, 255, 255);
    QPainterPath path;
    auto triangle = [&](qreal dir, qreal dx) {
        path.moveTo(c.x() + dx - dir * s * 0.7, c.y() - s);
        path.lineTo(c.x() + dx + dir * s * 0.8, c.y());
        path.lineTo(c.x() + dx - dir * s * 0.7, c.y() + s);
        path.closeSubpath();
    };
    switch (glyph) {
    case Glyph::Back:
        triangle(-1, 0);
        break;
    case Glyph::Forward:
        triangle(1, 0);
        break;
    case Glyph::Prev:
        triangle(-1, -s * 0.55);
        triangle(-1, s * 0.75);
        break;
    case Glyph::Next:
        triangle(1, -s * 0.75);
        triangle(1, s * 0.55);
        break;
    case Glyph::Home:
        path.moveTo(c.x(), c.y() - s * 1.1);
        path.lineTo(c.x() + s * 1.1, c.y());
        path.lineTo(c.x() + s * 0.75, c.y());
        path.lineTo(c.x() + s * 0.75, c.y() + s);
        path.lineTo(c.x() - s * 0.75, c.y() + s);
        path.lineTo(c.x() - s * 0.75, c.y());
        path.lineTo(c.x() - s * 1.1, c.y());
        path.closeSubpath();
        break;
    case Glyph::Menu:
        for (int i = -1; i <= 1; ++i)
            path.addRect(QRectF(c.x() - s, c.y() + i * s * 0.65 - s * 0.17, 2 * s, s * 0.34));
        break;
    case Glyph::Minimize:
        path.addRect(QRectF(c.x() - s, c.y() + s * 0.5, 2 * s, s * 0.55));
        break;
    case Glyph::BackList:
    case Glyph::ForwardList: {
        // An arrow over three list lines.
        const qreal dir = glyph == Glyph::BackList ? -1 : 1;
        const QPointF a = c + QPointF(dir * s * 0.15, -s * 0.55);
        QPainterPath head;
        head.moveTo(a.x() - dir * s * 0.2, a.y() - s * 0.6);
        head.lineTo(a.x() + dir * s * 0.75, a.y());
        head.lineTo(a.x() - dir * s * 0.2, a.y() + s * 0.6);
        head.closeSubpath();
        QPainterPath shaft;
        const qreal tail = a.x() - dir * s * 1.05;
        shaft.addRect(QRectF(std::min(tail, a.x()), a.y() - s * 0.2, s * 1.05, s * 0.4));
        path = head.united(shaft);
        for (int i = 0; i < 3; ++i)
            path.addRect(
                QRectF(c.x() - s * 0.95, c.y() + s * (0.45 + 0.42 * i), s * 1.9, s * 0.22));
        break;
    }
    case Glyph::Star:
    case Glyph::StarAdd:
    case Glyph::StarRemove: {
        // A five-pointed star; the add and delete keys carry a small badge.
        const bool badge = glyph != Glyph::Star;
        const QPointF sc = badge ? c + QPointF(-s * 0.3, -s * 0.15) : c;
        const qreal outer = s * (badge ? 1.05 : 1.2), inner = outer * 0.45;
        for (int i = 0; i < 10; ++i) {
            const qreal angle = -M_PI / 2 + i * M_PI / 5;
            const qreal radius = i % 2 ? inner : outer;
            const QPointF pt = sc + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
            i == 0 ? path.moveTo(pt) : path.lineTo(pt);
        }
        path.closeSubpath();
        if (badge) {
            const QPointF b = c + QPointF(s * 1.0, s * 0.65);
            const qreal arm = s * 0.5, half = s * 0.14;
            QPainterPath mark;
            mark.addRect(QRectF(b.x() - arm, b.y() - half, 2 * arm, 2 * half));
            if (glyph == Glyph::StarAdd) {
                QPainterPath upright;
                upright.addRect(QRectF(b.x() - half, b.y() - arm, 2 * half, 2 * arm));
                mark = mark.united(upright);
            }
            path = path.united(mark);
        }
        break;
    }
    case Glyph::Cross: {
        QPen pen(ink, qMax<qreal>(2.2, s * 0.45), Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(QPointF(c.x() - s * 0.8, c.y() - s * 0.8),
                   QPointF(c.x() + s * 0.8, c.y() + s * 0.8));
        p.drawLine(QPointF(c.x() + s * 0.8, c.y() - s * 0.8),
                   QPointF(c.x() - s * 0.8, c.y() + s * 0.8));
        p.restore();
        return;
    }
    }
    p.translate(1, 1);
    p.fillPath(path, QColor(0, 0, 0, 140));
    p.translate(-1, -1);
    p.fillPath(path, ink);
    p.restore();
}

void paintEmblem(QPainter& p, const QRect& r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF b = QRectF(r).adjusted(1, 1, -1, -1);
    QRadialGradient g(b.center() - QPointF(b.width() * 0.2, b.height() * 0.2), b.width() * 0.7);
    g.setColorAt(0, QColor(80, 108, 140));
    g.setColorAt(1, QColor(20, 28, 40));
    p.setBrush(g);
    QLinearGradient rim(0, b.top(), 0, b.bottom());
    rim.setColorAt(0, brassLight());
    rim.setColorAt(1, brassDark());
    p.setPen(QPen(QBrush(rim), qMax<qreal>(2, b.width() / 14)));
    p.drawEllipse(b);
    QPainterPath v;
    const qreal w = b.width(), h = b.height();
    v.moveTo(b.left() + w * 0.24, b.top() + h * 0.28);
    v.lineTo(b.left() + w * 0.40, b.top() + h * 0.28);
    v.lineTo(b.left() + w * 0.50, b.top() + h * 0.60);
    v.lineTo(b.left() + w * 0.60, b.top() + h * 0.28);
    v.lineTo(b.left() + w * 0.76, b.top() + h * 0.28);
    v.lineTo(b.left() + w * 0.56, b.top() + h * 0.76);
    v.lineTo(b.left() + w * 0.44, b.top() + h * 0.76);
    v.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(rim);
    p.drawPath(v);
    p.restore();
}

} // namespace skinart
