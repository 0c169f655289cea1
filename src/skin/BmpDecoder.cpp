#include "skin/BmpDecoder.h"

#include <QtEndian>

#include <limits>

namespace bmp {

namespace {

quint32 u32(const uchar* p) {
    return qFromLittleEndian<quint32>(p);
}

qint32 s32(const uchar* p) {
    return qFromLittleEndian<qint32>(p);
}

quint16 u16(const uchar* p) {
    return qFromLittleEndian<quint16>(p);
}

constexpr qsizetype fileHeaderSize = 14;
constexpr quint32 infoHeaderSize = 40; // BITMAPINFOHEADER

} // namespace

QImage decode24(const QByteArray& data) {
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype size = data.size();
    if (size < fileHeaderSize + qsizetype(infoHeaderSize) || p[0] != 'B' || p[1] != 'M')
        return {};
    const quint32 offset = u32(p + 10);
    const uchar* info = p + fileHeaderSize;
    const qint32 width = s32(info + 4);
    const qint32 height = s32(info + 8);
    // Plain BITMAPINFOHEADER, one plane, 24 bits, no compression.
    if (u32(info) != infoHeaderSize || u16(info + 12) != 1 || u16(info + 14) != 24 ||
        u32(info + 16) != 0)
        return {};
    if (width <= 0 || height == 0 || height == std::numeric_limits<qint32>::min())
        return {};
    const qint64 rows = height < 0 ? -qint64(height) : qint64(height);
    if (qint64(width) * rows > qint64(16384) * 16384)
        return {};
    const qint64 stride = (qint64(width) * 24 + 31) / 32 * 4;
    // The pixels follow the headers and are all there; anything else is the
    // reader's business.
    if (offset < fileHeaderSize + infoHeaderSize || qint64(offset) + stride * rows > size)
        return {};

    QImage image(width, int(rows), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const bool bottomUp = height > 0;
    for (qint64 y = 0; y < rows; ++y) {
        const uchar* src = p + offset + stride * (bottomUp ? rows - 1 - y : y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (qint32 x = 0; x < width; ++x, src += 3)
            dst[x] = qRgb(src[2], src[1], src[0]);
    }
    image.setDotsPerMeterX(s32(info + 24));
    image.setDotsPerMeterY(s32(info + 28));
    return image;
}

} // namespace bmp
