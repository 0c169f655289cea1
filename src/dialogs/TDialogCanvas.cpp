#include "dialogs/TDialogCanvas.h"

#include "skin/TTextMsg.h"

#include <QFontMetrics>
#include <QPainter>

TDialogCanvas::Layout TDialogCanvas::layout(const RText& style, int textWidth, int textHeight) {
    Layout l;
    const int area = style.vw - style.vx; // A
    if (textWidth > 0 && textWidth > area) {
        l.widening = qBound(0, textWidth - area, kMaxWidening);
        l.textAt = QPoint(style.vx, style.vy);
        l.clip = QRect(QPoint(style.vx, style.vy),
                       QPoint(style.vw + l.widening - 1, style.vy + textHeight - 1));
    } else {
        l.textAt = QPoint(style.vx + (area - textWidth) / 2, style.vy);
        l.clip = QRect(QPoint(style.vx, style.vy), QPoint(style.vw - 1, style.vy + textHeight - 1));
    }
    return l;
}

QImage TDialogCanvas::widen(const QImage& picture, int widening) {
    if (widening <= 0 || picture.isNull())
        return picture;
    const int w = picture.width();
    const int h = picture.height();
    const int middle = w / 2;
    QImage out(w + widening, h, picture.format());
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // Columns 0 .. W div 2 - 1 unchanged, W div 2 on shifted by E, the E
    // columns between repeat column W div 2.
    p.drawImage(QPoint(0, 0), picture, QRect(0, 0, middle, h));
    p.drawImage(QPoint(middle + widening, 0), picture, QRect(middle, 0, w - middle, h));
    const QImage column = picture.copy(middle, 0, 1, h);
    for (int x = middle; x < middle + widening; ++x)
        p.drawImage(x, 0, column);
    return out;
}

int TDialogCanvas::shiftOf(const QString& align, int widening) {
    if (align == QLatin1String("left"))
        return 0;
    if (align == QLatin1String("middle"))
        return widening / 2;
    return widening;
}

TDialogCanvas::Result TDialogCanvas::compose(const QImage& picture, const RText& style,
                                             const QString& text) {
    Result r;
    if (picture.isNull())
        return r;
    const QFont font = TTextMsg::skinFont(style.font, style.size, style.style);
    const QFontMetrics fm(font);
    const int width = text.isEmpty() ? 0 : fm.horizontalAdvance(text);
    const Layout l = layout(style, width, fm.height());
    r.widening = l.widening;
    r.background = widen(picture.convertToFormat(QImage::Format_RGB32), l.widening);
    if (!text.isEmpty()) {
        QPainter p(&r.background);
        p.setFont(font);
        p.setPen(TTextMsg::skinColor(style.color));
        p.setClipRect(l.clip);
        p.drawText(QRect(l.textAt, QSize(width, fm.height())),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
    return r;
}
