#include "skin/CaptionPainter.h"

#include <QFontMetrics>
#include <QPainter>

namespace caption {

QFont font(const Style& s) {
    QFont f(s.fontName.isEmpty() ? QStringLiteral("Sans Serif") : s.fontName);
    f.setPixelSize(qMax(1, qRound(s.size * 96.0 / 72.0)));
    f.setBold(s.style & 1);
    f.setItalic(s.style & 2);
    f.setUnderline(s.style & 4);
    f.setStrikeOut(s.style & 8);
    return f;
}

QColor colour(int rgb) {
    return QColor(rgb & 0xff, (rgb >> 8) & 0xff, (rgb >> 16) & 0xff);
}

QList<int> characterEdges(const QString& text, const Style& style, int left) {
    Style boldStyle = style;
    boldStyle.style |= 1;
    const QFontMetrics bold(font(boldStyle));
    QList<int> edges;
    edges.reserve(text.size());
    for (const QChar c : text) {
        edges.append(left);
        left += bold.horizontalAdvance(c) - 1;
    }
    return edges;
}

void draw(QImage& picture, const QString& text, const QRect& box, const Style& style) {
    if (text.isEmpty() || picture.isNull())
        return;
    QPainter p(&picture);
    p.setFont(font(style));
    p.setPen(colour(style.colour));
    const QList<int> edges = characterEdges(text, style, box.left());
    const QFontMetrics fm(p.font());
    for (qsizetype i = 0; i < text.size(); ++i)
        p.drawText(QPoint(edges[i], box.top() + fm.ascent()), QString(text[i]));
}

} // namespace caption
