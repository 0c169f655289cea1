#include "media/FrameImage.h"

#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <algorithm>

namespace frameimage {

namespace {

// Fixed-point (16.16) coefficients of one colour matrix and range.
struct Matrix {
    int yScale, yOffset;
    int rv, gu, gv, bu;
};

Matrix matrixFor(const QVideoFrameFormat& format) {
    const bool bt709 = format.colorSpace() == QVideoFrameFormat::ColorSpace_BT709;
    const bool full = format.colorRange() == QVideoFrameFormat::ColorRange_Full;
    // Chroma and luma scaled to 0..255 first for video range.
    const double ys = full ? 1.0 : 255.0 / 219.0;
    const double cs = full ? 1.0 : 255.0 / 224.0;
    const double kr = bt709 ? 1.5748 : 1.402;
    const double kgu = bt709 ? 0.1873 : 0.344136;
    const double kgv = bt709 ? 0.4681 : 0.714136;
    const double kb = bt709 ? 1.8556 : 1.772;
    const auto fx = [](double v) { return int(v * 65536.0 + (v >= 0 ? 0.5 : -0.5)); };
    return {fx(ys), full ? 0 : 16, fx(kr * cs), fx(kgu * cs), fx(kgv * cs), fx(kb * cs)};
}

inline uchar clamp8(int v) {
    return uchar(std::clamp(v, 0, 255));
}

// One row of pixels from a luma row and its chroma samples (u and v at the
// given steps: 1 for planar, 2 for interleaved).
void convertRow(const uchar* y, const uchar* u, const uchar* v, int step, int width,
                const Matrix& m, QRgb* out) {
    for (int x = 0; x < width; ++x) {
        const int c = x >> 1;
        const int yy = (int(y[x]) - m.yOffset) * m.yScale;
        const int uu = int(u[c * step]) - 128;
        const int vv = int(v[c * step]) - 128;
        const int r = (yy + m.rv * vv + 32768) >> 16;
        const int g = (yy - m.gu * uu - m.gv * vv + 32768) >> 16;
        const int b = (yy + m.bu * uu + 32768) >> 16;
        out[x] = qRgb(clamp8(r), clamp8(g), clamp8(b));
    }
}

} // namespace

QImage toImage(const QVideoFrame& source) {
    const QVideoFrameFormat::PixelFormat pf = source.pixelFormat();
    const bool planar = pf == QVideoFrameFormat::Format_YUV420P;
    const bool nv12 = pf == QVideoFrameFormat::Format_NV12;
    // Turned, mirrored or upside-down frames are left to Qt.
    if ((!planar && !nv12) || !source.isValid() || source.mirrored() ||
        source.rotationAngle() != QVideoFrame::Rotation0 ||
        source.surfaceFormat().scanLineDirection() != QVideoFrameFormat::TopToBottom)
        return source.toImage();
    QVideoFrame frame = source;
    if (!frame.map(QVideoFrame::ReadOnly))
        return source.toImage();
    const int w = frame.width(), h = frame.height();
    QImage image(w, h, QImage::Format_RGB32);
    const Matrix m = matrixFor(frame.surfaceFormat());
    const bool planesOk = planar ? frame.planeCount() >= 3 : frame.planeCount() >= 2;
    if (image.isNull() || !planesOk) {
        frame.unmap();
        return source.toImage();
    }
    for (int row = 0; row < h; ++row) {
        const uchar* y = frame.bits(0) + qsizetype(row) * frame.bytesPerLine(0);
        const int crow = row >> 1;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(row));
        if (planar) {
            const uchar* u = frame.bits(1) + qsizetype(crow) * frame.bytesPerLine(1);
            const uchar* v = frame.bits(2) + qsizetype(crow) * frame.bytesPerLine(2);
            convertRow(y, u, v, 1, w, m, out);
        } else {
            const uchar* uv = frame.bits(1) + qsizetype(crow) * frame.bytesPerLine(1);
            convertRow(y, uv, uv + 1, 2, w, m, out);
        }
    }
    frame.unmap();
    return image;
}

} // namespace frameimage
