#include "dialogs/PreviewPictures.h"

#include <QPainter>
#include <QPixmap>

namespace previewpictures {

// A toolbar picture on a 20 x 20 transparent square: a few drawn shapes
// ("print", "page", "hand"), else the glyph as text.
QIcon toolIcon(const QString& glyph) {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 60, 110);
    p.setPen(QPen(ink, 1.5));
    if (glyph == QLatin1String("print")) {
        p.drawRect(QRectF(6, 2.5, 8, 5));    // paper
        p.drawRect(QRectF(2.5, 7.5, 15, 7)); // body
        p.fillRect(QRectF(6, 12.5, 8, 5), Qt::white);
        p.drawRect(QRectF(6, 12.5, 8, 5)); // sheet out
    } else if (glyph == QLatin1String("page")) {
        p.drawRect(QRectF(5.5, 2.5, 9, 15));
    } else if (glyph == QLatin1String("hand")) {
        p.setBrush(QColor(230, 210, 180));
        p.drawRoundedRect(QRectF(5, 8, 10, 9), 3, 3); // palm
        for (int i = 0; i < 4; ++i)
            p.drawRoundedRect(QRectF(5 + i * 2.6, 2.5 + (i == 0 || i == 3 ? 2 : 0), 2.4, 8), 1, 1);
    } else {
        QFont f = p.font();
        f.setPixelSize(14);
        f.setBold(true);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(pm.rect(), Qt::AlignCenter, glyph);
    }
    return QIcon(pm);
}

// The magnifier cursors: plain ("ZOOM"), with a plus ("ZOOM_IN") or a
// minus ("ZOOM_OUT").
QCursor magnifier(int sign) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(QRect(3, 3, 16, 16));
    p.drawLine(17, 17, 27, 27);
    p.setPen(QPen(Qt::black, 2));
    p.drawEllipse(QRect(3, 3, 16, 16));
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(17, 17, 27, 27);
    p.setPen(QPen(Qt::black, 2));
    if (sign != 0)
        p.drawLine(7, 11, 15, 11);
    if (sign > 0)
        p.drawLine(11, 7, 11, 15);
    p.end();
    return QCursor(pm, 11, 11);
}

} // namespace previewpictures
