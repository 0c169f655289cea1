#pragma once

#include <QColor>

struct TFontEntry;
class QPainter;

// The underline, line-through and overline of a run of text, drawn at the
// font's own positions and thickness, so that words and the spaces between
// them give one unbroken line.
class TTextDecoration {
public:
    // `baseline` is the run's baseline, `x` and `width` its extent.
    static void draw(QPainter* painter, const TFontEntry& font, const QColor& color, int x,
                     int baseline, int width);
};
