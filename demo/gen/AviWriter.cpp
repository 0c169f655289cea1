#include "AviWriter.h"

#include <QBuffer>
#include <QImageWriter>

namespace {

void u16(QByteArray& out, quint32 v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}
void u32(QByteArray& out, quint32 v) {
    u16(out, v & 0xFFFF);
    u16(out, v >> 16);
}
void fourcc(QByteArray& out, const char* code) {
    out.append(code, 4);
}

QByteArray chunk(const char* id, const QByteArray& data) {
    QByteArray out;
    fourcc(out, id);
    u32(out, quint32(data.size()));
    out.append(data);
    if (data.size() % 2)
        out.append(char(0));
    return out;
}

QByteArray list(const char* type, const QByteArray& data) {
    QByteArray body;
    fourcc(body, type);
    body.append(data);
    return chunk("LIST", body);
}

QByteArray jpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setQuality(quality);
    writer.write(image.convertToFormat(QImage::Format_RGB32));
    return bytes;
}

} // namespace

QByteArray AviWriter::motionJpeg(const QList<QImage>& frames, int fps, int quality) {
    if (frames.isEmpty())
        return {};
    const int w = frames.first().width(), h = frames.first().height();
    QList<QByteArray> data;
    quint32 largest = 0;
    for (const QImage& f : frames) {
        data.append(jpeg(f, quality));
        largest = qMax(largest, quint32(data.last().size()));
    }
    const quint32 count = quint32(frames.size());

    QByteArray avih;
    u32(avih, quint32(1000000 / fps)); // microseconds per frame
    u32(avih, largest * quint32(fps));
    u32(avih, 0);
    u32(avih, 0x10); // has an index
    u32(avih, count);
    u32(avih, 0);
    u32(avih, 1); // streams
    u32(avih, largest);
    u32(avih, quint32(w));
    u32(avih, quint32(h));
    for (int i = 0; i < 4; ++i)
        u32(avih, 0);

    QByteArray strh;
    fourcc(strh, "vids");
    fourcc(strh, "MJPG");
    u32(strh, 0);
    u16(strh, 0);
    u16(strh, 0);
    u32(strh, 0);
    u32(strh, 1);            // scale
    u32(strh, quint32(fps)); // rate
    u32(strh, 0);
    u32(strh, count);
    u32(strh, largest);
    u32(strh, 0xFFFFFFFFu); // quality: default
    u32(strh, 0);
    u16(strh, 0);
    u16(strh, 0);
    u16(strh, quint32(w));
    u16(strh, quint32(h));

    QByteArray strf;
    u32(strf, 40);
    u32(strf, quint32(w));
    u32(strf, quint32(h));
    u16(strf, 1);
    u16(strf, 24);
    fourcc(strf, "MJPG");
    u32(strf, quint32(w * h * 3));
    for (int i = 0; i < 4; ++i)
        u32(strf, 0);

    const QByteArray hdrl =
        list("hdrl", chunk("avih", avih) + list("strl", chunk("strh", strh) + chunk("strf", strf)));

    QByteArray movi, index;
    for (const QByteArray& frame : std::as_const(data)) {
        // Offsets count from the "movi" type code.
        fourcc(index, "00dc");
        u32(index, 0x10); // key frame
        u32(index, quint32(4 + movi.size()));
        u32(index, quint32(frame.size()));
        movi.append(chunk("00dc", frame));
    }
    QByteArray body;
    fourcc(body, "AVI ");
    body.append(hdrl);
    body.append(list("movi", movi));
    body.append(chunk("idx1", index));
    return chunk("RIFF", body);
}
