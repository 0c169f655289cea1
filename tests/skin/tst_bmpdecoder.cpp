#include "skin/BmpDecoder.h"

#include <QBuffer>
#include <QTest>
#include <QtEndian>

namespace {

// A picture whose every pixel differs in all three channels.
QImage pattern(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y,
                         qRgb((x * 37 + y) & 0xff, (y * 53 + 7) & 0xff, (x * 11 + y * 5) & 0xff));
    return img;
}

QByteArray bmpOf(const QImage& img, int dotsPerMeter = 2835) {
    QImage copy = img;
    copy.setDotsPerMeterX(dotsPerMeter);
    copy.setDotsPerMeterY(dotsPerMeter + 1);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    copy.save(&buffer, "BMP");
    return bytes;
}

QImage reader(const QByteArray& bytes) {
    return QImage::fromData(bytes, "bmp");
}

void put32(QByteArray& b, int at, qint32 v) {
    qToLittleEndian<qint32>(v, b.data() + at);
}

} // namespace

class TestBmpDecoder : public QObject {
    Q_OBJECT
private slots:
    void sameAsTheReader();
    void topDownRows();
    void leavesOtherFilesToTheReader();
};

void TestBmpDecoder::sameAsTheReader() {
    // Widths 1..5 cover every row padding.
    for (const QSize s :
         {QSize(1, 1), QSize(2, 3), QSize(3, 2), QSize(4, 4), QSize(5, 7), QSize(37, 11)}) {
        const QByteArray bytes = bmpOf(pattern(s.width(), s.height()));
        QCOMPARE(quint16(bytes[28]), quint16(24));
        const QImage fast = bmp::decode24(bytes);
        const QImage slow = reader(bytes);
        QVERIFY(!slow.isNull());
        QCOMPARE(fast.format(), slow.format());
        QCOMPARE(fast, slow);
        QCOMPARE(fast, pattern(s.width(), s.height()));
        QCOMPARE(fast.dotsPerMeterX(), slow.dotsPerMeterX());
        QCOMPARE(fast.dotsPerMeterY(), slow.dotsPerMeterY());
    }
}

void TestBmpDecoder::topDownRows() {
    // A negative height stores the rows from the top.
    const QImage img = pattern(5, 4);
    QByteArray bytes = bmpOf(img);
    const int offset = qFromLittleEndian<qint32>(bytes.constData() + 10);
    const int stride = 16;
    QByteArray flipped = bytes.left(offset);
    for (int row = 3; row >= 0; --row)
        flipped += bytes.mid(offset + row * stride, stride);
    put32(flipped, 22, -4);
    QCOMPARE(bmp::decode24(flipped), img);
    QCOMPARE(bmp::decode24(flipped), reader(flipped));
}

void TestBmpDecoder::leavesOtherFilesToTheReader() {
    const QByteArray good = bmpOf(pattern(5, 4));
    QVERIFY(!bmp::decode24(good).isNull());
    // Truncated pixels, a short file, not a BMP, another depth, compression.
    QVERIFY(bmp::decode24(good.left(good.size() - 1)).isNull());
    QVERIFY(bmp::decode24(good.left(40)).isNull());
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        pattern(5, 4).save(&buffer, "PNG");
    }
    QVERIFY(bmp::decode24(png).isNull());
    QImage indexed = pattern(5, 4).convertToFormat(QImage::Format_Indexed8);
    QVERIFY(bmp::decode24(bmpOf(indexed)).isNull());
    QByteArray rle = good;
    put32(rle, 30, 1);
    QVERIFY(bmp::decode24(rle).isNull());
    // Pixel data said to start inside the headers, a zero or huge size.
    QByteArray inside = good;
    put32(inside, 10, 20);
    QVERIFY(bmp::decode24(inside).isNull());
    QByteArray empty = good;
    put32(empty, 22, 0);
    QVERIFY(bmp::decode24(empty).isNull());
    QByteArray huge = good;
    put32(huge, 18, 1 << 30);
    QVERIFY(bmp::decode24(huge).isNull());
    QVERIFY(bmp::decode24({}).isNull());
}

QTEST_GUILESS_MAIN(TestBmpDecoder)
#include "tst_bmpdecoder.moc"
