#pragma once

#include <QImage>

class QVideoFrame;

// Video frames as pictures, converted on the processor. The frame formats
// that decoders of the book's clips give (planar 4:2:0 and NV12, BT.601 or
// BT.709, full or video range) are converted here in one pass; any other
// format goes through Qt's own conversion. Qt's conversion renders through
// the graphics stack where there is one, which on a software-rendered
// display costs several times the work of this pass.
namespace frameimage {

QImage toImage(const QVideoFrame& frame);

} // namespace frameimage
