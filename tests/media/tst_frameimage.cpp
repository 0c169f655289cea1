// Video frames converted on the processor: the published BT.601 and BT.709
// equations in full and video range, for planar 4:2:0 and NV12, odd sizes
// and padded lines; known colours; and Qt's own processor conversion, which
// knows only BT.601 video range, agrees there.
#include "media/FrameImage.h"

#include <QGuiApplication>
#include <QTest>

#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <cmath>

namespace {

// A frame whose luma and chroma run through their whole ranges.
QVideoFrame makeFrame(QVideoFrameFormat::PixelFormat pf, QSize size,
                      QVideoFrameFormat::ColorSpace space, QVideoFrameFormat::ColorRange range) {
    QVideoFrameFormat format(size, pf);
    format.setColorSpace(space);
    format.setColorRange(range);
    QVideoFrame frame(format);
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    const int w = size.width(), h = size.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            frame.bits(0)[y * frame.bytesPerLine(0) + x] = uchar((x * 7 + y * 3) & 255);
    const int cw = (w + 1) / 2, ch = (h + 1) / 2;
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            const uchar u = uchar((x * 11 + 40) & 255), v = uchar((y * 13 + x * 5) & 255);
            if (pf == QVideoFrameFormat::Format_YUV420P) {
                frame.bits(1)[y * frame.bytesPerLine(1) + x] = u;
                frame.bits(2)[y * frame.bytesPerLine(2) + x] = v;
            } else {
                frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x] = u;
                frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x + 1] = v;
            }
        }
    frame.unmap();
    return frame;
}

// The equations in floating point, chroma taken from the 2 x 2 block.
QRgb reference(int y, int u, int v, bool bt709, bool full) {
    const double kr = bt709 ? 0.2126 : 0.299, kb = bt709 ? 0.0722 : 0.114;
    const double yy = full ? y : (y - 16) * 255.0 / 219.0;
    const double pb = (u - 128) * (full ? 1.0 : 255.0 / 224.0);
    const double pr = (v - 128) * (full ? 1.0 : 255.0 / 224.0);
    const double r = yy + 2 * (1 - kr) * pr;
    const double b = yy + 2 * (1 - kb) * pb;
    const double g = (yy - kr * r - kb * b) / (1 - kr - kb);
    const auto c = [](double x) { return qBound(0, int(std::lround(x)), 255); };
    return qRgb(c(r), c(g), c(b));
}

int difference(QRgb a, QRgb b) {
    return std::max(
        {qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))});
}

} // namespace

class TestFrameImage : public QObject {
    Q_OBJECT
private slots:
    void equations_data();
    void equations();
    void knownColours();
};

void TestFrameImage::equations_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("space");
    QTest::addColumn<int>("range");
    using F = QVideoFrameFormat;
    QTest::newRow("420p 601 full") << int(F::Format_YUV420P) << QSize(64, 32)
                                   << int(F::ColorSpace_BT601) << int(F::ColorRange_Full);
    QTest::newRow("420p 601 video odd") << int(F::Format_YUV420P) << QSize(37, 21)
                                        << int(F::ColorSpace_BT601) << int(F::ColorRange_Video);
    QTest::newRow("420p 601 video") << int(F::Format_YUV420P) << QSize(36, 22)
                                    << int(F::ColorSpace_BT601) << int(F::ColorRange_Video);
    QTest::newRow("420p 709 video") << int(F::Format_YUV420P) << QSize(48, 30)
                                    << int(F::ColorSpace_BT709) << int(F::ColorRange_Video);
    QTest::newRow("nv12 601 full") << int(F::Format_NV12) << QSize(40, 24)
                                   << int(F::ColorSpace_BT601) << int(F::ColorRange_Full);
    QTest::newRow("nv12 709 video") << int(F::Format_NV12) << QSize(50, 26)
                                    << int(F::ColorSpace_BT709) << int(F::ColorRange_Video);
}

void TestFrameImage::equations() {
    QFETCH(int, format);
    QFETCH(QSize, size);
    QFETCH(int, space);
    QFETCH(int, range);
    const QVideoFrame frame =
        makeFrame(QVideoFrameFormat::PixelFormat(format), size,
                  QVideoFrameFormat::ColorSpace(space), QVideoFrameFormat::ColorRange(range));
    QVERIFY(frame.isValid());
    const QImage ours = frameimage::toImage(frame);
    QCOMPARE(ours.size(), size);
    const bool bt709 = space == QVideoFrameFormat::ColorSpace_BT709;
    const bool full = range == QVideoFrameFormat::ColorRange_Full;
    QVideoFrame mapped = frame;
    QVERIFY(mapped.map(QVideoFrame::ReadOnly));
    int worst = 0;
    QPoint where;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int luma = mapped.bits(0)[y * mapped.bytesPerLine(0) + x];
            int u, v;
            if (format == QVideoFrameFormat::Format_YUV420P) {
                u = mapped.bits(1)[(y / 2) * mapped.bytesPerLine(1) + x / 2];
                v = mapped.bits(2)[(y / 2) * mapped.bytesPerLine(2) + x / 2];
            } else {
                u = mapped.bits(1)[(y / 2) * mapped.bytesPerLine(1) + (x / 2) * 2];
                v = mapped.bits(1)[(y / 2) * mapped.bytesPerLine(1) + (x / 2) * 2 + 1];
            }
            const int d = difference(ours.pixel(x, y), reference(luma, u, v, bt709, full));
            if (d > worst) {
                worst = d;
                where = QPoint(x, y);
            }
        }
    mapped.unmap();
    QVERIFY2(
        worst <= 1,
        qPrintable(QString("difference %1 at %2,%3").arg(worst).arg(where.x()).arg(where.y())));
    // Qt's processor conversion knows BT.601 video range: there the two agree.
    // (Qt reads the chroma of odd-sized frames from elsewhere: even sizes only.)
    if (!bt709 && !full && size.width() % 2 == 0 && size.height() % 2 == 0 &&
        QGuiApplication::platformName() == "offscreen") {
        const QImage qt = frame.toImage().convertToFormat(QImage::Format_RGB32);
        int qtWorst = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                qtWorst = std::max(qtWorst, difference(ours.pixel(x, y), qt.pixel(x, y)));
        QVERIFY2(qtWorst <= 3, qPrintable(QString::number(qtWorst)));
    }
}

void TestFrameImage::knownColours() {
    // Pure red, green and blue of BT.601 full range (JPEG pictures).
    struct Sample {
        int y, u, v;
        QRgb rgb;
    };
    for (const Sample& s :
         {Sample{76, 85, 255, qRgb(254, 0, 0)}, Sample{150, 44, 21, qRgb(0, 255, 1)},
          Sample{29, 255, 107, qRgb(0, 0, 254)}, Sample{128, 128, 128, qRgb(128, 128, 128)}}) {
        QVideoFrameFormat format(QSize(2, 2), QVideoFrameFormat::Format_YUV420P);
        format.setColorSpace(QVideoFrameFormat::ColorSpace_BT601);
        format.setColorRange(QVideoFrameFormat::ColorRange_Full);
        QVideoFrame frame(format);
        QVERIFY(frame.map(QVideoFrame::WriteOnly));
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                frame.bits(0)[i * frame.bytesPerLine(0) + j] = uchar(s.y);
        frame.bits(1)[0] = uchar(s.u);
        frame.bits(2)[0] = uchar(s.v);
        frame.unmap();
        const QRgb got = frameimage::toImage(frame).pixel(1, 1);
        QVERIFY2(difference(got, s.rgb) <= 2,
                 qPrintable(QString("%1 %2 %3").arg(qRed(got)).arg(qGreen(got)).arg(qBlue(got))));
    }
}

QTEST_MAIN(TestFrameImage)
#include "tst_frameimage.moc"
