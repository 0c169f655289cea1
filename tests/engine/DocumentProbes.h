#pragma once

#include "engine/THtmlDocument.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

// What the engine tests look at on a laid-out page: its top left w x h
// painted over white, and where a word of its text stands.
inline QImage paintOnWhite(THtmlDocument& doc, int w, int h) {
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    doc.paint(&p, QRect(0, 0, w, h));
    return out;
}

// The box of the first occurrence of `word` (empty when it is not there).
inline QRect wordRect(const THtmlDocument& doc, const QString& word) {
    const int at = int(doc.words().text().indexOf(word));
    return at < 0 ? QRect() : doc.words().boundingRect(at, at + int(word.size()));
}
