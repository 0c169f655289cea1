#include "GifWriter.h"

#include <QHash>
#include <QList>

namespace {

// A 6x6x6 colour cube plus 40 greys: every frame maps to the same palette.
QList<QRgb> palette() {
    QList<QRgb> colors;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                colors.append(qRgb(r * 51, g * 51, b * 51));
    for (int i = 0; i < 40; ++i) {
        const int v = 6 + i * 6;
        colors.append(qRgb(v, v, v));
    }
    return colors;
}

void put16(QByteArray& out, int v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

// Packs variable-width codes, least significant bit first, into sub-blocks.
class BitPacker {
public:
    void put(int code, int width) {
        m_acc |= quint32(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_bytes.append(char(m_acc & 0xFF));
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray finish() {
        if (m_bits > 0)
            m_bytes.append(char(m_acc & 0xFF));
        QByteArray out;
        for (qsizetype i = 0; i < m_bytes.size(); i += 255) {
            const qsizetype n = qMin<qsizetype>(255, m_bytes.size() - i);
            out.append(char(n));
            out.append(m_bytes.mid(i, n));
        }
        out.append(char(0));
        return out;
    }

private:
    QByteArray m_bytes;
    quint32 m_acc = 0;
    int m_bits = 0;
};

} // namespace

QByteArray GifWriter::lzw(const QImage& indexed) {
    const int minCode = 8;
    const int clear = 1 << minCode, end = clear + 1;
    BitPacker bits;
    QHash<quint32, int> table; // (prefix << 8 | byte) -> code
    int next = end + 1;
    int width = minCode + 1;
    bits.put(clear, width);
    int prefix = -1;
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* line = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            const int k = line[x];
            if (prefix < 0) {
                prefix = k;
                continue;
            }
            const quint32 key = (quint32(prefix) << 8) | quint32(k);
            const auto it = table.constFind(key);
            if (it != table.constEnd()) {
                prefix = it.value();
                continue;
            }
            bits.put(prefix, width);
            if (next < 4096) {
                table.insert(key, next++);
                if (next > (1 << width) && width < 12)
                    ++width;
            } else {
                bits.put(clear, width);
                table.clear();
                next = end + 1;
                width = minCode + 1;
            }
            prefix = k;
        }
    }
    if (prefix >= 0)
        bits.put(prefix, width);
    bits.put(end, width);
    return bits.finish();
}

QByteArray GifWriter::encode(const QList<QImage>& frames, int delayCs, bool loop) {
    QByteArray out("GIF89a");
    if (frames.isEmpty())
        return {};
    const QList<QRgb> colors = palette();
    const int w = frames.first().width(), h = frames.first().height();
    put16(out, w);
    put16(out, h);
    out.append(char(0xF7)); // global table of 256 colours, 8 bits per primary
    out.append(char(0));
    out.append(char(0));
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < colors.size() ? colors.at(i) : qRgb(0, 0, 0);
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    if (loop) {
        out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
        put16(out, 0); // forever
        out.append(char(0));
    }
    for (const QImage& frame : frames) {
        const QImage indexed = frame.convertToFormat(QImage::Format_RGB32)
                                   .convertToFormat(QImage::Format_Indexed8, colors,
                                                    Qt::DiffuseDither | Qt::AvoidDither);
        if (loop) {
            out.append("\x21\xF9\x04", 3);
            out.append(char(0x04)); // leave the frame in place
            put16(out, delayCs);
            out.append(char(0));
            out.append(char(0));
        }
        out.append(char(0x2C));
        put16(out, 0);
        put16(out, 0);
        put16(out, indexed.width());
        put16(out, indexed.height());
        out.append(char(0));
        out.append(char(8)); // LZW minimum code size
        out.append(lzw(indexed));
    }
    out.append(char(0x3B));
    return out;
}

QByteArray GifWriter::still(const QImage& image) {
    return encode({image}, 0, false);
}

QByteArray GifWriter::animation(const QList<QImage>& frames, int delayCs) {
    return encode(frames, delayCs, true);
}
