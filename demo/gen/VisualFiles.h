#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// The demo book's slide show, start clip and installable font.
namespace visualfiles {

// The photo album's slides: BMP, JPG and JPEG pictures of the car's parts,
// each with its file name (slides/...).
QList<QPair<QString, QByteArray>> slides();
// The start clip: a title card 400 x 240 over two seconds, 12 frames a second.
QList<QImage> introFrames();
// The album screen's skin: the reading screen's picture with its panel made
// one dark frame for the pictures and the font page.
QImage albumSkin(const QImage& readerSkin);

} // namespace visualfiles
