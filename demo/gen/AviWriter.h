#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// Writes a video-only AVI file with Motion-JPEG frames (RIFF AVI with an
// idx1 index): the looping car clip of the cover.
class AviWriter {
public:
    static QByteArray motionJpeg(const QList<QImage>& frames, int framesPerSecond, int quality);
};
