#pragma once

#include "data/StructModel.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

// The composed background of a skinned dialog: the dialog's picture with its
// message line drawn in. A message wider than its area (from the style's x
// to its right edge `vw`) widens the picture by the difference E: the left
// half stays, the right half moves E to the right, and the E columns between
// repeat the middle column. The widening is bounded (kMaxWidening), so a
// message of any length gives a window of sane size; the text is clipped.
class TDialogCanvas {
public:
    static constexpr int kMaxWidening = 2048;

    // Where a message of `textWidth` pixels goes in the area of `style`.
    struct Layout {
        int widening = 0; // E
        QPoint textAt;    // start of the text
        QRect clip;       // the text is clipped to this rectangle
    };
    static Layout layout(const RText& style, int textWidth, int textHeight);

    // The picture widened by `widening` columns at its middle.
    static QImage widen(const QImage& picture, int widening);

    // How far a button moves right: "left" 0, "middle" E div 2, others E.
    static int shiftOf(const QString& align, int widening);

    // Composes the background: `picture` widened for `text` in the message
    // style of `style`, the text drawn in (nothing drawn for an empty text).
    struct Result {
        QImage background;
        int widening = 0;
    };
    static Result compose(const QImage& picture, const RText& style, const QString& text);
};
