#pragma once

#include "data/StructModel.h"

#include <QList>
#include <QPolygon>
#include <QString>
#include <QStringList>

#include <optional>

// One text line of the about box, drawn onto its picture; `idenf` "url"
// makes it a link as well.
struct RAboutText {
    int vx = 0, vy = 0;
    QString font;
    int size = 0;
    QString style; // style words, as written
    int color = 0; // r + 256*g + 65536*b
    QString value;
    QString idenf;
};

// A link made from a text whose `idenf` is "url": the whole value is
// clickable, a mail address (a value holding "@") opens as "mailto:" with
// the whole value, and the shown text stops before a "?" (a mail subject).
struct RAboutLink {
    int vx = 0, vy = 0;
    QString target;
    QString shown;
    QString value;
};

// The about box's description ("About.cfs"), read from its decoded,
// lower-cased lines in two passes. The header pass looks at every line for
// "picture" (the last one names the background; all are kept) and then for
// "vertex" (a list of "x,y" points, the window's outline; the last usable
// one counts and the pass goes on after its list). The element pass starts
// a text at a line holding "text", else a button at a line holding
// "button", and reads the element's keys in fixed order, moving down a line
// whenever the next key is not in the current one.
struct AboutDescription {
    static constexpr auto kEntry = "About.cfs";
    // Outline points are clamped to this distance from the origin.
    static constexpr int kMaxCoordinate = 16384;

    QString picture;
    QStringList pictures;
    std::optional<QPolygon> vertex;
    QList<RAboutText> texts;
    TDynamicBtnArray buttons; // vx, vy, fn1, fn2, hint, wav
    QList<RAboutLink> links;  // in the order of their texts

    // `source`: the entry's name for the lines on stderr (an outline of
    // fewer than three points, clamped coordinates).
    static AboutDescription parse(const QStringList& lines,
                                  const QString& source = QLatin1String(kEntry));
    static RAboutLink linkOf(const RAboutText& text);
};
