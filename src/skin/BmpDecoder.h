#pragma once

#include <QByteArray>
#include <QImage>

// A fast path for the skin pictures, which are mostly uncompressed 24-bit
// BMP files: a whole screen's skin decodes several times faster than through
// the image reader. The result is the image the reader gives (RGB32 pixels,
// the same resolution); any other kind of file gives a null image and is left
// to the reader.
namespace bmp {

QImage decode24(const QByteArray& data);

} // namespace bmp
