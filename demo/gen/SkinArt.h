#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QString>

class QPainter;

// The drawing vocabulary of the demo book's skin: a dark blue-grey body,
// brass trim and steel-blue keys. Every background that an element sits on
// depends on y only, so an element picture drawn over one crop of it fits
// wherever the element stands.
namespace skinart {

enum class Face { Normal, Hover, Pressed };

// Palette.
QColor bodyTop();
QColor bodyBottom();
QColor brassLight();
QColor brassDark();
QColor cream();
QColor amber();

// The book's serif (the copied .ttf) and a sans for small labels.
QFont serif(int pixelSize, bool bold = false, bool italic = false);
QFont sans(int pixelSize, bool bold = false);
void setSerifFamily(const QString& family);

// Window body: vertical gradient with fine horizontal hairlines.
void paintBody(QPainter& p, const QRect& r);
// A tray sunk into the body (flat in x).
void paintTray(QPainter& p, const QRect& r);
// A recessed frame around a rectangle (inner shadow, brass edge).
void paintRecess(QPainter& p, const QRect& r, const QColor& fill);
// The brass outline along the window's bevelled border.
void paintWindowFrame(QPainter& p, const QSize& size, int bevel);
// Text with a soft drop shadow, filled with a vertical brass gradient.
void paintEmbossedText(QPainter& p, const QPoint& baseline, const QString& text, const QFont& font,
                       bool brass);

// A rounded key face in one of three looks, drawn over what `p` already
// holds (the crop of the skin under the key).
void paintKey(QPainter& p, const QRect& r, Face face, int radius);
// A toggle key: off / on, each with or without hover.
void paintToggle(QPainter& p, const QRect& r, bool on, bool hover, int radius);
// A check box with its square at `box`.
void paintCheck(QPainter& p, const QRect& box, bool on, bool hover);

// Glyphs drawn on icon keys.
enum class Glyph {
    Back,
    Forward,
    Prev,
    Next,
    Home,
    Minimize,
    Cross,
    BackList,    // the list of pages behind: an arrow left over a drop mark
    ForwardList, // the list of pages ahead
    Star,        // favourites
    StarAdd,     // add to favourites
    StarRemove,  // delete a favourite
    Menu,        // a menu of its own: three bars
};
void paintGlyph(QPainter& p, const QRect& r, Glyph g, Face face);

// A small emblem: a "V" in a brass ring.
void paintEmblem(QPainter& p, const QRect& r);

// A polygon with all four corners bevelled by `bevel` pixels.
QPainterPath bevelledRect(const QRectF& r, qreal bevel);

} // namespace skinart
