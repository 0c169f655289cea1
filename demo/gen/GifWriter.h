#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// Writes GIF89a files (Qt reads GIF but does not write it): one palette of
// 256 colours for all frames, LZW-compressed image data, and for several
// frames the looping extension with a delay per frame.
class GifWriter {
public:
    // A still picture.
    static QByteArray still(const QImage& image);
    // An endlessly looping animation; `delayCs`: hundredths of a second per frame.
    static QByteArray animation(const QList<QImage>& frames, int delayCs);

private:
    static QByteArray encode(const QList<QImage>& frames, int delayCs, bool loop);
    static QByteArray lzw(const QImage& indexed);
};
