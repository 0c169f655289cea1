#include "skin/TOutlineRegion.h"
#include "skin/TPopupWindow.h"

#include <QImage>
#include <QtTest>

// Window outlines from descriptions: extreme points once made the region
// grow without limit (2.9 GB in 4 s).
class TstOutlineRegion : public QObject {
    Q_OBJECT

private slots:
    // Clipping first gives the same region as Qt's own polygon region cut
    // to the window.
    void clippedRegionMatchesTheFullRegion_data() {
        QTest::addColumn<QPolygon>("outline");
        QTest::newRow("inside") << QPolygon({{10, 10}, {200, 20}, {100, 150}});
        QTest::newRow("across every edge")
            << QPolygon({{-50, 60}, {150, -40}, {350, 60}, {150, 260}});
        QTest::newRow("self crossing")
            << QPolygon({{-30, -30}, {330, 230}, {330, -30}, {-30, 230}});
        QTest::newRow("outside") << QPolygon({{400, 400}, {500, 400}, {450, 500}});
        QTest::newRow("concave, winding")
            << QPolygon({{-10, -10}, {310, -10}, {310, 210}, {150, 50}, {-10, 210}});
    }
    void clippedRegionMatchesTheFullRegion() {
        QFETCH(QPolygon, outline);
        const QSize window(300, 200);
        const QRegion expected =
            QRegion(outline, Qt::WindingFill) & QRegion(QRect(QPoint(0, 0), window));
        const QRegion got = TOutlineRegion::build(outline, window);
        // Points on a cut edge round to whole pixels: allow one pixel.
        const QRegion diff = expected.xored(got);
        int pixels = 0;
        for (const QRect& r : diff)
            pixels += r.width() * r.height();
        QVERIFY2(pixels <= window.height() * 2,
                 qPrintable(QStringLiteral("%1 pixels differ").arg(pixels)));
        QVERIFY(QRect(QPoint(0, 0), window).contains(got.boundingRect()) || got.isEmpty());
    }

    void extremePointsCostOnlyTheWindow() {
        const QPolygon extreme({{INT_MIN, INT_MIN},
                                {INT_MAX, INT_MIN},
                                {INT_MAX, INT_MAX},
                                {INT_MIN, INT_MAX},
                                {0, 5},
                                {INT_MAX, 7}});
        const QRegion r = TOutlineRegion::build(extreme, QSize(300, 200));
        QVERIFY(!r.isEmpty());
        QVERIFY(QRect(0, 0, 300, 200).contains(r.boundingRect()));
        // A comb of many teeth reaching far out stays within the window.
        QPolygon comb;
        for (int i = 0; i < 20000; ++i)
            comb << QPoint(i * 3, i % 2 ? 32767 : -32767);
        const QRegion c = TOutlineRegion::build(comb, QSize(300, 200));
        QVERIFY(c.rectCount() <= 200 * 150);
        QVERIFY(QRect(0, 0, 300, 200).contains(c.boundingRect()));
    }

    void popupWithExtremeOutline() {
        RPopupData d;
        d.xfon = d.yfon = -1;
        d.fnfon = "bg.bmp";
        d.type = 7;
        d.vertex = {"-2147483648,-2147483648", "2147483647,-2147483648", "2147483647,2147483647",
                    "-2147483648,2147483647"};
        TPopupWindow p(d, 0, [](const QString&) {
            QImage img(190, 130, QImage::Format_RGB32);
            img.fill(Qt::gray);
            return img;
        });
        QVERIFY(p.shaped());
        p.showAt(QPoint(0, 0), 0, true);
        QCOMPARE(p.mask().boundingRect(), QRect(0, 0, 190, 130));
        p.hide();
    }
};

QTEST_MAIN(TstOutlineRegion)
#include "tst_outlineregion.moc"
