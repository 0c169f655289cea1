#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

// Draws an element's caption onto one of its pictures, one character at a
// time: each character is drawn in the state's style at the box's current
// left edge, and the edge then moves right by the character's *bold* width
// minus one pixel, so the letter spacing is the same in every state.
namespace caption {

struct Style {
    QString fontName;
    int size = 0;   // points
    int style = 0;  // bold 1, italic 2, underline 4, strikeout 8
    int colour = 0; // r + 256*g + 65536*b
};

// The font of a caption state (sizes are points at 96 dots per inch).
QFont font(const Style& style);
QColor colour(int rgb);
// The left edge of every character, from `left` (what draw() uses).
QList<int> characterEdges(const QString& text, const Style& style, int left);
// Box: left, top, right, bottom in picture pixels; no clipping beyond it.
void draw(QImage& picture, const QString& text, const QRect& box, const Style& style);

} // namespace caption
