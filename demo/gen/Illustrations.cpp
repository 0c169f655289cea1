#include "Illustrations.h"

#include "SkinArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace illustrations {

namespace {

const QColor kInk(34, 40, 48);
const QColor kPaper(250, 248, 240);
const QColor kSteel(150, 160, 172);
const QColor kRed(196, 54, 40);
const QColor kBlue(52, 112, 186);

QImage paper(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kPaper);
    return image;
}

void begin(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// A numbered callout: a leader line from `from` to a circle at `at`.
void callout(QPainter& p, QPointF from, QPointF at, int number) {
    p.save();
    p.setPen(QPen(kInk, 1));
    p.drawLine(from, at);
    p.setBrush(Qt::white);
    p.drawEllipse(at, 9, 9);
    p.setFont(skinart::sans(11, true));
    p.drawText(QRectF(at.x() - 9, at.y() - 9, 18, 18), Qt::AlignCenter, QString::number(number));
    p.restore();
}

void caption(QPainter& p, const QRectF& r, const QString& text) {
    p.save();
    p.setPen(kInk);
    p.setFont(skinart::sans(12, true));
    p.drawText(r, Qt::AlignLeft | Qt::AlignBottom, text);
    p.restore();
}

void border(QPainter& p, int w, int h) {
    p.save();
    p.setPen(QPen(QColor(120, 128, 136), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    p.restore();
}

void metal(QPainter& p, const QPainterPath& path, const QColor& base) {
    const QRectF b = path.boundingRect();
    QLinearGradient g(b.topLeft(), b.bottomLeft());
    g.setColorAt(0, base.lighter(135));
    g.setColorAt(0.5, base);
    g.setColorAt(1, base.darker(140));
    p.fillPath(path, g);
    p.strokePath(path, QPen(kInk, 1.2));
}

void wheel(QPainter& p, QPointF c, qreal r) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 22, 26));
    p.drawEllipse(c, r, r);
    QRadialGradient rim(c - QPointF(r * 0.2, r * 0.2), r * 0.7);
    rim.setColorAt(0, QColor(230, 234, 240));
    rim.setColorAt(1, QColor(120, 128, 140));
    p.setBrush(rim);
    p.drawEllipse(c, r * 0.62, r * 0.62);
    p.setPen(QPen(QColor(70, 76, 86), r * 0.08));
    for (int i = 0; i < 5; ++i) {
        const qreal a = i * 2 * M_PI / 5;
        p.drawLine(c + QPointF(qCos(a), qSin(a)) * r * 0.18,
                   c + QPointF(qCos(a), qSin(a)) * r * 0.55);
    }
    p.setBrush(QColor(60, 64, 72));
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, r * 0.14, r * 0.14);
    p.restore();
}

} // namespace

void paintCar(QPainter& p, const QRectF& r) {
    p.save();
    begin(p);
    // Design space 600 x 200, scaled into r.
    p.translate(r.topLeft());
    p.scale(r.width() / 600.0, r.height() / 200.0);

    // Shadow on the floor.
    QRadialGradient shadow(300, 186, 280);
    shadow.setColorAt(0, QColor(0, 0, 0, 110));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(300, 186), 290, 16);

    QPainterPath body;
    body.moveTo(18, 150);
    body.cubicTo(14, 126, 22, 112, 60, 106);
    body.lineTo(150, 96);
    body.cubicTo(180, 70, 215, 50, 262, 46);
    body.lineTo(380, 44);
    body.cubicTo(420, 46, 450, 70, 478, 94);
    body.lineTo(556, 104);
    body.cubicTo(582, 110, 590, 124, 586, 150);
    body.lineTo(586, 160);
    body.lineTo(18, 160);
    body.closeSubpath();
    QLinearGradient paint(0, 44, 0, 160);
    paint.setColorAt(0, QColor(176, 40, 36));
    paint.setColorAt(0.35, QColor(214, 70, 56));
    paint.setColorAt(0.4, QColor(150, 28, 26));
    paint.setColorAt(1, QColor(90, 14, 16));
    p.setBrush(paint);
    p.setPen(QPen(QColor(40, 8, 8), 1.5));
    p.drawPath(body);

    // Side glass.
    QPainterPath glass;
    glass.moveTo(168, 98);
    glass.cubicTo(192, 74, 222, 58, 262, 55);
    glass.lineTo(372, 54);
    glass.cubicTo(404, 57, 428, 76, 452, 96);
    glass.closeSubpath();
    QLinearGradient sky(0, 54, 0, 98);
    sky.setColorAt(0, QColor(200, 220, 236));
    sky.setColorAt(1, QColor(60, 84, 110));
    p.setBrush(sky);
    p.setPen(QPen(QColor(30, 30, 34), 2));
    p.drawPath(glass);
    p.setPen(QPen(QColor(30, 30, 34), 5));
    p.drawLine(QPointF(310, 54), QPointF(306, 98));

    // Body lines, handles, lamps.
    p.setPen(QPen(QColor(255, 190, 170, 120), 1.5));
    p.drawLine(QPointF(40, 118), QPointF(570, 120));
    p.setPen(QPen(QColor(60, 10, 10), 1.2));
    p.drawLine(QPointF(306, 100), QPointF(304, 158));
    p.drawLine(QPointF(172, 100), QPointF(178, 156));
    p.setBrush(QColor(200, 200, 206));
    p.drawRoundedRect(QRectF(262, 108, 22, 5), 2, 2);
    p.drawRoundedRect(QRectF(392, 108, 22, 5), 2, 2);
    QLinearGradient lamp(0, 110, 0, 124);
    lamp.setColorAt(0, QColor(255, 250, 220));
    lamp.setColorAt(1, QColor(230, 190, 90));
    p.setBrush(lamp);
    p.setPen(QPen(QColor(60, 20, 10), 1));
    p.drawRoundedRect(QRectF(562, 110, 22, 12), 4, 4);
    p.setBrush(QColor(230, 40, 30));
    p.drawRoundedRect(QRectF(18, 112, 14, 12), 3, 3);
    // Bumpers and sills.
    p.setBrush(QColor(40, 42, 48));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(12, 146, 60, 12), 5, 5);
    p.drawRoundedRect(QRectF(530, 146, 60, 12), 5, 5);
    p.drawRect(QRectF(150, 154, 300, 6));

    // Wheel arches and wheels.
    p.setBrush(QColor(16, 16, 20));
    p.drawEllipse(QPointF(128, 160), 44, 44);
    p.drawEllipse(QPointF(476, 160), 44, 44);
    p.restore();
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / 600.0, r.height() / 200.0);
    begin(p);
    wheel(p, QPointF(128, 160), 36);
    wheel(p, QPointF(476, 160), 36);
    p.restore();
}

QImage studioBackdrop(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    begin(p);
    QLinearGradient wall(0, 0, 0, h);
    wall.setColorAt(0, QColor(188, 200, 212));
    wall.setColorAt(0.68, QColor(232, 236, 240));
    wall.setColorAt(0.69, QColor(150, 158, 168));
    wall.setColorAt(1, QColor(96, 104, 116));
    p.fillRect(image.rect(), wall);
    QRadialGradient spot(w * 0.5, h * 0.35, w * 0.55);
    spot.setColorAt(0, QColor(255, 255, 255, 120));
    spot.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), spot);
    return image;
}

QImage carStudio(int w, int h) {
    QImage image = studioBackdrop(w, h);
    QPainter p(&image);
    const qreal cw = w * 0.8, ch = cw / 3.0;
    paintCar(p, QRectF((w - cw) / 2, h * 0.74 - ch * 0.8, cw, ch));
    return image;
}

namespace {

// A low-polygon model of the car (metres; x along the car, y up, z across),
// turned about the vertical axis and drawn back to front with flat shading.
struct Vec {
    qreal x, y, z;
};
struct Face {
    QList<Vec> points;
    QColor color;
    Vec inside; // a point inside the solid the face belongs to
};

void extrude(QList<Face>& faces, const QList<QPointF>& profile, qreal halfWidth, const QColor& side,
             const QColor& band, const QList<QColor>& bands = {}) {
    Face left, right;
    for (const QPointF& p : profile) {
        left.points.append({p.x(), p.y(), -halfWidth});
        right.points.append({p.x(), p.y(), halfWidth});
    }
    left.color = right.color = side;
    qreal cx = 0, cy = 0;
    for (const QPointF& p : profile) {
        cx += p.x() / profile.size();
        cy += p.y() / profile.size();
    }
    left.inside = right.inside = {cx, cy, 0};
    faces << left << right;
    for (int i = 0; i < profile.size(); ++i) {
        const QPointF a = profile.at(i), b = profile.at((i + 1) % profile.size());
        Face f;
        f.points = {{a.x(), a.y(), halfWidth},
                    {b.x(), b.y(), halfWidth},
                    {b.x(), b.y(), -halfWidth},
                    {a.x(), a.y(), -halfWidth}};
        f.color = i < bands.size() ? bands.at(i) : band;
        f.inside = left.inside;
        faces << f;
    }
}

QList<Face> carModel() {
    QList<Face> faces;
    const QColor paint(190, 36, 32), glass(70, 100, 130), dark(24, 24, 28), lamp(255, 240, 200);
    // Lower body: bumper to bumper, seen from the side (front at +x).
    extrude(faces,
            {{-2.2, 0.3},
             {-2.28, 0.55},
             {-2.2, 0.82},
             {-1.55, 0.9},
             {1.0, 0.86},
             {2.12, 0.78},
             {2.3, 0.55},
             {2.22, 0.3}},
            0.86, paint, paint, {dark, QColor(220, 40, 30), paint, paint, paint, lamp, dark, dark});
    // Cabin, a little narrower: rear glass, roof, windscreen.
    extrude(faces, {{-1.55, 0.9}, {-1.0, 1.38}, {0.3, 1.36}, {1.0, 0.86}}, 0.74, glass, glass,
            {glass, paint, glass, paint});
    // Wheels: twelve-sided drums.
    for (qreal wx : {-1.35, 1.35}) {
        for (qreal wz : {-0.78, 0.78}) {
            QList<Vec> outer, inner;
            const qreal half = 0.12;
            for (int i = 0; i < 12; ++i) {
                const qreal a = i * M_PI / 6;
                outer.append(
                    {wx + 0.33 * qCos(a), 0.33 + 0.33 * qSin(a), wz + (wz > 0 ? half : -half)});
                inner.append(
                    {wx + 0.33 * qCos(a), 0.33 + 0.33 * qSin(a), wz - (wz > 0 ? half : -half)});
            }
            const Vec hub{wx, 0.33, wz};
            faces << Face{outer, QColor(150, 156, 166), hub};
            for (int i = 0; i < 12; ++i) {
                const int j = (i + 1) % 12;
                faces << Face{{outer[i], outer[j], inner[j], inner[i]}, QColor(30, 30, 34), hub};
            }
        }
    }
    return faces;
}

} // namespace

QList<QImage> carTurntable(int w, int h, int count) {
    QList<QImage> frames;
    const QImage backdrop = studioBackdrop(w, h);
    const QList<Face> model = carModel();
    const qreal tilt = qDegreesToRadians(12.0);
    const qreal distance = 15.0, focal = w * 2.3;
    const QPointF centre(w / 2.0, h * 0.52);
    for (int f = 0; f < count; ++f) {
        QImage image = backdrop;
        QPainter p(&image);
        begin(p);
        const qreal a = 2 * M_PI * f / count;
        auto turn = [&](const Vec& v) {
            // Turn about y, then tilt the camera down.
            const qreal x = v.x * qCos(a) + v.z * qSin(a);
            const qreal z = -v.x * qSin(a) + v.z * qCos(a);
            const qreal y = v.y - 0.6;
            return Vec{x, y * qCos(tilt) - z * qSin(tilt), y * qSin(tilt) + z * qCos(tilt)};
        };
        auto project = [&](const Vec& v) {
            const qreal k = focal / (distance - v.z);
            return QPointF(centre.x() + v.x * k, centre.y() - v.y * k);
        };
        // Shadow on the floor under the car.
        QPolygonF shadow;
        for (int i = 0; i < 24; ++i) {
            const qreal t = i * M_PI / 12;
            shadow << project(turn({2.5 * qCos(t), 0, 1.05 * qSin(t)}));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 70));
        p.drawPolygon(shadow);

        struct Drawn {
            QPolygonF polygon;
            qreal depth;
            QColor color;
        };
        QList<Drawn> drawn;
        const Vec camera{0, 0, distance};
        for (const Face& face : model) {
            QList<Vec> view;
            Vec mid{0, 0, 0};
            for (const Vec& v : face.points) {
                view.append(turn(v));
                mid = {mid.x + view.last().x / face.points.size(),
                       mid.y + view.last().y / face.points.size(),
                       mid.z + view.last().z / face.points.size()};
            }
            const Vec& p0 = view.at(0);
            const Vec& p1 = view.at(1);
            const Vec& p2 = view.at(2);
            const Vec u{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
            const Vec v{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
            Vec n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
            const qreal len = qSqrt(n.x * n.x + n.y * n.y + n.z * n.z);
            if (len < 1e-9)
                continue;
            n = {n.x / len, n.y / len, n.z / len};
            // Point the normal out of the solid, then keep faces that look
            // at the camera.
            const Vec in = turn(face.inside);
            if (n.x * (mid.x - in.x) + n.y * (mid.y - in.y) + n.z * (mid.z - in.z) < 0)
                n = {-n.x, -n.y, -n.z};
            if (n.x * (camera.x - mid.x) + n.y * (camera.y - mid.y) + n.z * (camera.z - mid.z) <= 0)
                continue;
            QPolygonF polygon;
            for (const Vec& pv : view)
                polygon << project(pv);
            const qreal light = qMax<qreal>(0, 0.35 * n.x + 0.75 * n.y + 0.55 * n.z);
            const qreal k = 0.42 + 0.58 * light;
            const QColor c = face.color;
            drawn.append({polygon, mid.z,
                          QColor(qMin(255, int(c.red() * k + 30 * light)),
                                 qMin(255, int(c.green() * k + 30 * light)),
                                 qMin(255, int(c.blue() * k + 30 * light)))});
        }
        std::sort(drawn.begin(), drawn.end(),
                  [](const Drawn& l, const Drawn& r) { return l.depth < r.depth; });
        for (const Drawn& d : drawn) {
            p.setBrush(d.color);
            p.setPen(QPen(d.color.darker(160), 0.8));
            p.drawPolygon(d.polygon);
        }
        p.end();
        frames.append(image);
    }
    return frames;
}

QImage engineSection(int w, int h) {
    QImage image = paper(w, h);
    QPainter p(&image);
    begin(p);
    p.scale(w / 480.0, h / 320.0);
    // Block and head.
    QPainterPath block;
    block.addRoundedRect(QRectF(120, 120, 240, 150), 8, 8);
    metal(p, block, QColor(150, 156, 166));
    QPainterPath head;
    head.addRoundedRect(QRectF(110, 60, 260, 60), 10, 10);
    metal(p, head, QColor(170, 150, 120));
    // Cylinders with pistons.
    for (int i = 0; i < 4; ++i) {
        const qreal x = 140 + i * 54;
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(226, 228, 232));
        p.drawRect(QRectF(x, 122, 40, 90));
        QPainterPath piston;
        const qreal top = 140 + (i % 2 ? 30 : 0);
        piston.addRoundedRect(QRectF(x + 3, top, 34, 30), 3, 3);
        metal(p, piston, QColor(190, 194, 200));
        p.setPen(QPen(kInk, 3));
        p.drawLine(QPointF(x + 20, top + 26), QPointF(x + 20 + (i % 2 ? -8 : 8), 236));
        // Valves.
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(x + 10, 70), QPointF(x + 12, 120));
        p.drawLine(QPointF(x + 30, 70), QPointF(x + 28, 120));
    }
    // Crankshaft and sump.
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(110, 116, 126));
    p.drawRoundedRect(QRectF(126, 230, 228, 12), 6, 6);
    QPainterPath sump;
    sump.moveTo(130, 270);
    sump.lineTo(350, 270);
    sump.lineTo(335, 300);
    sump.lineTo(145, 300);
    sump.closeSubpath();
    metal(p, sump, QColor(120, 126, 136));
    // Oil level.
    p.fillRect(QRectF(150, 286, 180, 12), QColor(196, 150, 40, 170));
    // Camshaft cover and spark plugs.
    p.setBrush(QColor(60, 64, 74));
    p.drawRoundedRect(QRectF(130, 40, 220, 22), 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(154 + i * 54, 30, 12, 16), 3, 3);
    callout(p, QPointF(240, 50), QPointF(420, 40), 1);
    callout(p, QPointF(350, 90), QPointF(420, 90), 2);
    callout(p, QPointF(340, 160), QPointF(420, 150), 3);
    callout(p, QPointF(350, 236), QPointF(420, 220), 4);
    callout(p, QPointF(330, 292), QPointF(420, 280), 5);
    callout(p, QPointF(160, 36), QPointF(60, 30), 6);
    caption(p, QRectF(10, 280, 120, 30), QStringLiteral("Рис. 2"));
    border(p, 480, 320);
    return image;
}

QImage timingBelt(int w, int h) {
    QImage image = paper(w, h);
    QPainter p(&image);
    begin(p);
    p.scale(w / 400.0, h / 280.0);
    const QPointF cam1(120, 70), cam2(280, 70), crank(200, 220), tensioner(250, 150),
        pump(140, 160);
    auto pulley = [&](QPointF c, qreal r, const QColor& col) {
        QPainterPath path;
        path.addEllipse(c, r, r);
        metal(p, path, col);
        p.setBrush(kPaper);
        p.drawEllipse(c, r * 0.25, r * 0.25);
        p.setPen(QPen(kRed, 2));
        p.drawLine(c + QPointF(0, -r), c + QPointF(0, -r + 8));
    };
    // Belt.
    QPainterPath belt;
    belt.moveTo(cam1.x() - 40, cam1.y());
    belt.lineTo(crank.x() - 34, crank.y());
    belt.arcTo(QRectF(crank.x() - 34, crank.y() - 34, 68, 68), 180, 180);
    belt.lineTo(tensioner.x() + 22, tensioner.y());
    belt.lineTo(cam2.x() + 40, cam2.y());
    belt.arcTo(QRectF(cam2.x() - 40, cam2.y() - 40, 80, 80), 0, 180);
    belt.lineTo(cam1.x() + 40, cam1.y() - 40);
    belt.arcTo(QRectF(cam1.x() - 40, cam1.y() - 40, 80, 80), 0, 180);
    p.setPen(QPen(QColor(40, 40, 44), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(belt);
    pulley(cam1, 38, QColor(180, 184, 190));
    pulley(cam2, 38, QColor(180, 184, 190));
    pulley(crank, 32, QColor(160, 164, 172));
    pulley(tensioner, 20, QColor(200, 180, 120));
    pulley(pump, 22, QColor(120, 150, 190));
    callout(p, cam1 + QPointF(-20, -30), QPointF(30, 20), 1);
    callout(p, tensioner + QPointF(16, 10), QPointF(360, 170), 2);
    callout(p, crank + QPointF(30, 10), QPointF(360, 240), 3);
    callout(p, pump + QPointF(-18, 8), QPointF(40, 200), 4);
    caption(p, QRectF(10, 240, 200, 30), QStringLiteral("Метки ГРМ совмещены"));
    border(p, 400, 280);
    return image;
}

QImage coolingCircuit(int w, int h) {
    QImage image = paper(w, h);
    QPainter p(&image);
    begin(p);
    p.scale(w / 480.0, h / 300.0);
    // Radiator.
    QPainterPath rad;
    rad.addRect(QRectF(30, 60, 90, 180));
    metal(p, rad, QColor(170, 176, 186));
    p.setPen(QPen(QColor(110, 116, 126), 1));
    for (int y = 70; y < 236; y += 6)
        p.drawLine(QPointF(34, y), QPointF(116, y));
    // Engine.
    QPainterPath eng;
    eng.addRoundedRect(QRectF(250, 80, 160, 130), 10, 10);
    metal(p, eng, QColor(150, 156, 166));
    // Expansion tank.
    QPainterPath tank;
    tank.addRoundedRect(QRectF(280, 16, 90, 44), 8, 8);
    p.fillPath(tank, QColor(235, 240, 246));
    p.strokePath(tank, QPen(kInk, 1.2));
    p.fillRect(QRectF(282, 36, 86, 22), QColor(120, 200, 120, 160));
    p.setPen(QPen(kRed, 1.5, Qt::DashLine));
    p.drawLine(QPointF(272, 30), QPointF(378, 30));
    p.drawLine(QPointF(272, 44), QPointF(378, 44));
    // Hoses: hot (red) and cooled (blue).
    auto hose = [&](const QPainterPath& path, const QColor& c) {
        p.setPen(QPen(c, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    };
    QPainterPath hot;
    hot.moveTo(250, 100);
    hot.cubicTo(200, 100, 180, 70, 120, 70);
    hose(hot, kRed);
    QPainterPath cold;
    cold.moveTo(120, 230);
    cold.cubicTo(180, 230, 200, 190, 250, 190);
    hose(cold, kBlue);
    QPainterPath heater;
    heater.moveTo(410, 120);
    heater.cubicTo(450, 120, 450, 260, 400, 260);
    heater.lineTo(300, 260);
    heater.cubicTo(270, 260, 270, 230, 300, 210);
    hose(heater, QColor(214, 120, 40));
    QPainterPath toTank;
    toTank.moveTo(330, 80);
    toTank.lineTo(330, 60);
    hose(toTank, kBlue.lighter(130));
    // Thermostat and pump.
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(240, 200, 80));
    p.drawEllipse(QPointF(236, 100), 10, 10);
    p.setBrush(QColor(140, 170, 210));
    p.drawEllipse(QPointF(240, 190), 14, 14);
    // Fan.
    p.setBrush(QColor(90, 96, 106));
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.translate(150, 150);
        p.rotate(i * 72);
        p.drawEllipse(QRectF(-4, -40, 12, 36));
        p.restore();
    }
    callout(p, QPointF(75, 150), QPointF(75, 270), 1);
    callout(p, QPointF(330, 140), QPointF(330, 150), 2);
    callout(p, QPointF(236, 100), QPointF(210, 40), 3);
    callout(p, QPointF(240, 190), QPointF(210, 270), 4);
    callout(p, QPointF(370, 30), QPointF(440, 30), 5);
    callout(p, QPointF(445, 190), QPointF(466, 190), 6);
    border(p, 480, 300);
    return image;
}

QImage brakeAssembly(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    begin(p);
    QLinearGradient bg(0, 0, 0, h);
    bg.setColorAt(0, QColor(70, 76, 86));
    bg.setColorAt(1, QColor(24, 26, 30));
    p.fillRect(image.rect(), bg);
    p.scale(w / 400.0, h / 300.0);
    const QPointF c(190, 150);
    QRadialGradient disc(c - QPointF(30, 30), 140);
    disc.setColorAt(0, QColor(235, 238, 242));
    disc.setColorAt(0.6, QColor(150, 156, 164));
    disc.setColorAt(1, QColor(90, 94, 100));
    p.setBrush(disc);
    p.setPen(QPen(QColor(20, 20, 24), 2));
    p.drawEllipse(c, 120, 120);
    p.setPen(QPen(QColor(110, 114, 122, 160), 1));
    for (int r = 50; r < 118; r += 5)
        p.drawEllipse(c, r, r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 62, 68));
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        p.drawEllipse(c + QPointF(qCos(a), qSin(a)) * 88, 4, 4);
    }
    QRadialGradient hub(c, 50);
    hub.setColorAt(0, QColor(200, 204, 210));
    hub.setColorAt(1, QColor(90, 94, 102));
    p.setBrush(hub);
    p.setPen(QPen(Qt::black, 1.5));
    p.drawEllipse(c, 46, 46);
    p.setBrush(QColor(40, 42, 46));
    for (int i = 0; i < 4; ++i) {
        const qreal a = i * M_PI / 2 + M_PI / 4;
        p.drawEllipse(c + QPointF(qCos(a), qSin(a)) * 28, 6, 6);
    }
    // Caliper.
    QPainterPath cal;
    cal.moveTo(270, 50);
    cal.cubicTo(330, 70, 350, 120, 345, 160);
    cal.lineTo(300, 170);
    cal.cubicTo(300, 120, 280, 90, 250, 80);
    cal.closeSubpath();
    QLinearGradient red(250, 50, 345, 170);
    red.setColorAt(0, QColor(240, 90, 70));
    red.setColorAt(1, QColor(140, 20, 20));
    p.setBrush(red);
    p.drawPath(cal);
    p.setPen(QColor(255, 230, 220));
    p.setFont(skinart::sans(11, true));
    p.drawText(QPointF(292, 130), QStringLiteral("VTR"));
    return image;
}

QImage brakePads(int w, int h) {
    QImage image = paper(w, h);
    QPainter p(&image);
    begin(p);
    p.scale(w / 360.0, h / 200.0);
    auto pad = [&](qreal x, qreal wear, const QString& label) {
        QPainterPath plate;
        plate.addRoundedRect(QRectF(x, 40, 130, 26), 6, 6);
        metal(p, plate, QColor(140, 146, 156));
        QPainterPath lining;
        lining.addRoundedRect(QRectF(x + 8, 66, 114, 40 * wear), 4, 4);
        p.fillPath(lining, QColor(90, 70, 56));
        p.strokePath(lining, QPen(kInk, 1));
        p.setPen(QPen(kRed, 1, Qt::DashLine));
        p.drawLine(QPointF(x, 66 + 8), QPointF(x + 130, 66 + 8));
        p.setPen(kInk);
        p.setFont(skinart::sans(12, true));
        p.drawText(QRectF(x, 120, 130, 40), Qt::AlignHCenter | Qt::AlignTop, label);
    };
    pad(30, 1.0, QStringLiteral("новая: 11 мм"));
    pad(200, 0.3, QStringLiteral("предел: 2 мм"));
    caption(p, QRectF(10, 160, 340, 30), QStringLiteral("Пунктир: минимальная толщина накладки"));
    border(p, 360, 200);
    return image;
}

QImage wiringDiagram(int w, int h) {
    QImage image = paper(w, h);
    QPainter p(&image);
    begin(p);
    p.scale(w / 520.0, h / 320.0);
    p.setFont(skinart::sans(11, true));
    auto box = [&](const QRectF& r, const QString& t, const QColor& c) {
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(c);
        p.drawRoundedRect(r, 4, 4);
        p.drawText(r, Qt::AlignCenter, t);
    };
    auto wire = [&](const QList<QPointF>& pts, const QColor& c) {
        p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (int i = 1; i < pts.size(); ++i)
            p.drawLine(pts[i - 1], pts[i]);
        p.setBrush(c);
        p.drawEllipse(pts.last(), 3, 3);
    };
    box(QRectF(20, 30, 90, 50), QStringLiteral("АКБ 12 В"), QColor(220, 230, 240));
    box(QRectF(20, 220, 90, 50), QStringLiteral("Генератор"), QColor(230, 230, 210));
    box(QRectF(200, 120, 110, 80), QStringLiteral("Монтажный\nблок"), QColor(240, 224, 200));
    box(QRectF(400, 20, 100, 40), QStringLiteral("Стартер"), QColor(220, 220, 220));
    box(QRectF(400, 90, 100, 40), QStringLiteral("Фары"), QColor(250, 246, 200));
    box(QRectF(400, 160, 100, 40), QStringLiteral("Зажигание"), QColor(230, 220, 240));
    box(QRectF(400, 230, 100, 40), QStringLiteral("Вентилятор"), QColor(210, 230, 220));
    wire({{110, 45}, {400, 40}}, kRed);
    wire({{110, 65}, {160, 65}, {160, 140}, {200, 140}}, kRed);
    wire({{110, 245}, {160, 245}, {160, 180}, {200, 180}}, QColor(200, 120, 20));
    wire({{310, 130}, {360, 130}, {360, 110}, {400, 110}}, QColor(220, 180, 0));
    wire({{310, 160}, {360, 160}, {360, 180}, {400, 180}}, QColor(120, 60, 160));
    wire({{310, 190}, {360, 190}, {360, 250}, {400, 250}}, QColor(30, 140, 80));
    // Ground symbols.
    p.setPen(QPen(kInk, 1.5));
    for (const QPointF g : {QPointF(65, 80), QPointF(65, 270), QPointF(450, 270)}) {
        p.drawLine(g, g + QPointF(0, 14));
        p.drawLine(g + QPointF(-10, 14), g + QPointF(10, 14));
        p.drawLine(g + QPointF(-6, 18), g + QPointF(6, 18));
        p.drawLine(g + QPointF(-2, 22), g + QPointF(2, 22));
    }
    caption(p, QRectF(200, 280, 300, 30), QStringLiteral("Схема 1. Цепи питания"));
    border(p, 520, 320);
    return image;
}

QImage batteryCheck(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    begin(p);
    QLinearGradient bg(0, 0, 0, h);
    bg.setColorAt(0, QColor(214, 220, 226));
    bg.setColorAt(1, QColor(150, 158, 168));
    p.fillRect(image.rect(), bg);
    p.scale(w / 360.0, h / 240.0);
    QPainterPath bat;
    bat.addRoundedRect(QRectF(40, 70, 200, 130), 8, 8);
    QLinearGradient g(0, 70, 0, 200);
    g.setColorAt(0, QColor(60, 64, 72));
    g.setColorAt(1, QColor(20, 22, 26));
    p.fillPath(bat, g);
    p.setPen(QPen(Qt::black, 1.5));
    p.drawPath(bat);
    p.setBrush(kRed);
    p.drawRoundedRect(QRectF(70, 56, 30, 16), 3, 3);
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(QRectF(180, 56, 30, 16), 3, 3);
    p.setPen(Qt::white);
    p.setFont(skinart::sans(22, true));
    p.drawText(QRectF(70, 90, 30, 30), Qt::AlignCenter, QStringLiteral("+"));
    p.drawText(QRectF(180, 90, 30, 30), Qt::AlignCenter, QStringLiteral("−"));
    p.setFont(skinart::sans(14, true));
    p.drawText(QRectF(40, 140, 200, 40), Qt::AlignCenter, QStringLiteral("VANTREL 60 А·ч"));
    // Multimeter.
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(240, 190, 40));
    p.drawRoundedRect(QRectF(260, 40, 80, 150), 10, 10);
    p.setBrush(QColor(190, 210, 180));
    p.drawRect(QRectF(270, 54, 60, 30));
    p.setPen(QColor(20, 30, 20));
    p.setFont(skinart::sans(16, true));
    p.drawText(QRectF(270, 54, 60, 30), Qt::AlignCenter, QStringLiteral("12.6"));
    p.setPen(QPen(kRed, 3));
    p.setBrush(Qt::NoBrush);
    QPainterPath lead1;
    lead1.moveTo(85, 56);
    lead1.cubicTo(90, 10, 250, 10, 285, 180);
    p.drawPath(lead1);
    p.setPen(QPen(Qt::black, 3));
    QPainterPath lead2;
    lead2.moveTo(195, 56);
    lead2.cubicTo(200, 30, 300, 40, 315, 180);
    p.drawPath(lead2);
    return image;
}

QImage fuseBox(int w, int h) {
    QImage image = paper(w, h);
    QPainter p(&image);
    begin(p);
    p.scale(w / 420.0, h / 260.0);
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(60, 64, 70));
    p.drawRoundedRect(QRectF(20, 20, 380, 220), 12, 12);
    const QColor colors[] = {QColor(250, 210, 40), QColor(40, 120, 220),  QColor(230, 60, 50),
                             QColor(140, 200, 80), QColor(250, 250, 250), QColor(240, 150, 40)};
    const int amps[] = {20, 15, 10, 30, 25, 5};
    p.setFont(skinart::sans(11, true));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 8; ++col) {
            const int n = row * 8 + col;
            const QRectF r(40 + col * 44, 50 + row * 90, 30, 50);
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(colors[n % 6]);
            p.drawRoundedRect(r, 4, 4);
            p.setPen(Qt::black);
            p.drawText(r, Qt::AlignCenter, QString::number(amps[n % 6]));
            p.setPen(QColor(240, 240, 240));
            p.drawText(QRectF(r.left() - 6, r.bottom() + 2, r.width() + 12, 16), Qt::AlignCenter,
                       QStringLiteral("F%1").arg(n + 1));
        }
    }
    border(p, 420, 260);
    return image;
}

QImage dashboardLamps(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(16, 18, 22));
    QPainter p(&image);
    begin(p);
    p.scale(w / 400.0, h / 100.0);
    const QColor lamp[] = {QColor(230, 40, 30), QColor(255, 180, 0), QColor(40, 200, 90),
                           QColor(60, 130, 255)};
    const QString sym[] = {QStringLiteral("!"), QStringLiteral("⚠"), QStringLiteral("≡"),
                           QStringLiteral("◉")};
    for (int i = 0; i < 4; ++i) {
        const QPointF c(50 + i * 100, 50);
        QRadialGradient g(c, 36);
        g.setColorAt(0, lamp[i]);
        g.setColorAt(0.6, lamp[i].darker(200));
        g.setColorAt(1, QColor(16, 18, 22));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, 36, 36);
        p.setPen(Qt::white);
        p.setFont(skinart::sans(30, true));
        p.drawText(QRectF(c.x() - 30, c.y() - 30, 60, 60), Qt::AlignCenter, sym[i]);
    }
    return image;
}

QImage warningSign(int size) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    begin(p);
    QPainterPath tri;
    tri.moveTo(size / 2.0, 1.5);
    tri.lineTo(size - 1.5, size - 2.0);
    tri.lineTo(1.5, size - 2.0);
    tri.closeSubpath();
    p.fillPath(tri, QColor(250, 200, 30));
    p.strokePath(tri, QPen(Qt::black, qMax(1.0, size / 16.0)));
    p.setPen(Qt::black);
    p.setFont(skinart::sans(int(size * 0.6), true));
    p.drawText(QRectF(0, size * 0.18, size, size * 0.8), Qt::AlignCenter, QStringLiteral("!"));
    return image;
}

QList<QImage> pistonFrames(int w, int h, int count) {
    QList<QImage> frames;
    for (int f = 0; f < count; ++f) {
        QImage image(w, h, QImage::Format_RGB32);
        QPainter p(&image);
        begin(p);
        // Flat, the colour of the frame it stands in (a gradient would band
        // in the GIF's palette).
        p.fillRect(image.rect(), QColor(12, 14, 18));
        p.scale(w / 120.0, h / 70.0);
        const qreal a = f * 2 * M_PI / count;
        const QPointF crank(60, 52);
        const QPointF pin = crank + QPointF(qSin(a), -qCos(a)) * 9;
        const qreal rod = 26;
        const qreal py = pin.y() - qSqrt(rod * rod - (pin.x() - 60) * (pin.x() - 60));
        // Cylinder.
        p.setPen(QPen(QColor(160, 170, 180), 1.2));
        p.setBrush(QColor(50, 58, 70));
        p.drawRect(QRectF(44, 4, 32, 44));
        // Piston.
        QPainterPath piston;
        piston.addRoundedRect(QRectF(46, py - 12, 28, 14), 2, 2);
        metal(p, piston, QColor(200, 204, 210));
        p.setPen(QPen(QColor(200, 170, 100), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(60, py - 4), pin);
        p.setPen(QPen(QColor(150, 156, 166), 1));
        p.setBrush(QColor(110, 116, 126));
        p.drawEllipse(crank, 12, 12);
        p.setBrush(QColor(236, 200, 120));
        p.drawEllipse(pin, 3, 3);
        // Spark at the top.
        if (f == 0) {
            p.setPen(QPen(QColor(255, 220, 120), 2));
            p.drawLine(QPointF(56, 6), QPointF(64, 10));
            p.drawLine(QPointF(64, 6), QPointF(56, 10));
        }
        p.setPen(QColor(236, 200, 120));
        p.setFont(skinart::sans(8, true));
        p.drawText(QRectF(2, 54, 40, 14), Qt::AlignLeft, QStringLiteral("V4"));
        p.end();
        frames.append(image);
    }
    return frames;
}

} // namespace illustrations
