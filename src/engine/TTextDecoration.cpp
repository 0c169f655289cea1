#include "engine/TTextDecoration.h"

#include "engine/TFontEntry.h"

#include <QPainter>

void TTextDecoration::draw(QPainter* p, const TFontEntry& f, const QColor& c, int x, int baseline,
                           int width) {
    if (width <= 0)
        return;
    const int thickness = qMax(1, f.metrics.lineWidth());
    if (f.font.underline())
        p->fillRect(QRect(x, baseline + f.metrics.underlinePos(), width, thickness), c);
    if (f.font.strikeOut())
        p->fillRect(QRect(x, baseline - f.metrics.strikeOutPos(), width, thickness), c);
    if (f.font.overline())
        p->fillRect(QRect(x, baseline - f.metrics.overlinePos(), width, thickness), c);
}
