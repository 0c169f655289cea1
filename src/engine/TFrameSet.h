#pragma once

#include <QList>
#include <QString>
#include <QVector>

// A <frameset> page: nested sets of frames with their row and column
// size lists ("100", "20%", "*", "2*").
struct TFrameNode {
    bool isSet = false;
    // A set: its rows and columns and its children in document order.
    QString rows;
    QString cols;
    int border = -1; // border attribute; -1 when absent
    bool frameBorder = true;
    QList<TFrameNode> children;
    // A set that is the page of a frame (name keeps that frame's name).
    bool fromFrame = false;
    // A frame:
    QString name;
    QString src;
    bool noResize = false;
    QString scrolling;
};

namespace frameset {

// The page's outermost frame set; isSet is false when the page has none.
TFrameNode parse(const QString& html);
// Splits `total` pixels by a rows/cols size list. Pixels are given
// first, then percentages, and what is left goes to "*" parts by weight;
// without "*" parts the sizes are scaled to fill `total`. An empty
// list is one part of all.
QVector<int> split(const QString& list, int total);

} // namespace frameset
