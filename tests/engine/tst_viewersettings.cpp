#include "TestPages.h"

#include "engine/TFontEntry.h"
#include "engine/THTMLViewer.h"
#include "engine/THtmlDocument.h"

#include <QApplication>
#include <QPainter>
#include <QtTest>

class TstViewerSettings : public QObject {
    Q_OBJECT

    static QImage paint(THtmlDocument& doc, int w = 300, int h = 200) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(Qt::gray);
        QPainter p(&img);
        doc.paint(&p, QRect(0, 0, w, h));
        return img;
    }
    // Pixels close to `c` inside `r`.
    static int count(const QImage& img, const QRect& r, const QColor& c) {
        int n = 0;
        for (int y = qMax(0, r.top()); y <= qMin(img.height() - 1, r.bottom()); ++y)
            for (int x = qMax(0, r.left()); x <= qMin(img.width() - 1, r.right()); ++x) {
                QColor p = img.pixelColor(x, y);
                n += qAbs(p.red() - c.red()) < 40 && qAbs(p.green() - c.green()) < 40 &&
                     qAbs(p.blue() - c.blue()) < 40;
            }
        return n;
    }
    static QRect wordRect(const THtmlDocument& d, const QString& w) {
        int at = int(d.words().text().indexOf(w));
        return d.words().boundingRect(at, at + int(w.size()));
    }
    static TFontEntry* fontOf(const THtmlDocument& d, const QString& w) {
        int at = int(d.words().text().indexOf(w));
        for (const auto& word : d.words().words())
            if (word.start == at)
                return word.font;
        return nullptr;
    }

private slots:
    void defaultsColoursAndFont() {
        TestPages pages;
        pages.page("p.htm", "<p>WWWW <a href=x.htm>MMMM</a>");
        TViewerSettings s;
        s.defFontColor = QColor(0, 0, 255);
        s.defHotSpotColor = QColor(0, 160, 0);
        s.defBackground = QColor(255, 255, 0);
        THtmlDocument doc(&pages.source, s);
        QVERIFY(doc.load(pages.path("p.htm")));
        doc.layout(300);
        QImage img = paint(doc);
        QVERIFY(count(img, wordRect(doc, "WWWW"), s.defFontColor) > 10);
        QVERIFY(count(img, wordRect(doc, "MMMM"), s.defHotSpotColor) > 10);
        QCOMPARE(img.pixelColor(290, 190), s.defBackground);
        QVERIFY(fontOf(doc, "MMMM")->font.underline());
        QVERIFY(!fontOf(doc, "WWWW")->font.underline());

        s.noLinkUnderline = true;
        s.defFontSize = 20;
        s.defFontName = "Courier New";
        doc.setSettings(s);
        doc.layout(300);
        QVERIFY(!fontOf(doc, "MMMM")->font.underline());
        QVERIFY(wordRect(doc, "WWWW").height() >= 24);
        QCOMPARE(wordRect(doc, "WWWW").width(), wordRect(doc, "MMMM").width());
    }

    void overLinkColourAndVisited() {
        TestPages pages;
        pages.page("p.htm", "<p><a href=a.htm>AAAA</a> <a href=b.htm>BBBB</a>");
        TViewerSettings s;
        s.overLinksActive = true;
        s.overLinkColor = QColor(255, 0, 0);
        THtmlDocument doc(&pages.source, s);
        doc.setVisited({pages.path("b.htm")});
        QVERIFY(doc.load(pages.path("p.htm")));
        doc.layout(300);
        QRect a = wordRect(doc, "AAAA");
        QCOMPARE(count(paint(doc), a, QColor(255, 0, 0)), 0);
        QVERIFY(doc.mouseMove(a.center()));
        QVERIFY(count(paint(doc), a, QColor(255, 0, 0)) > 10);
        QVERIFY(count(paint(doc), wordRect(doc, "BBBB"), QColor(0x80, 0, 0x80)) > 10);
    }

    void bodyLinkColours() {
        TestPages pages;
        pages.page("p.htm", "<body link=00c000 vlink=#0000ff><a href=a.htm>AAAA</a> "
                            "<a href=b.htm>BBBB</a>");
        THtmlDocument doc(&pages.source, TViewerSettings());
        doc.setVisited({pages.path("b.htm")});
        QVERIFY(doc.load(pages.path("p.htm")));
        doc.layout(300);
        QImage img = paint(doc);
        QVERIFY(count(img, wordRect(doc, "AAAA"), QColor(0, 0xc0, 0)) > 10);
        QVERIFY(count(img, wordRect(doc, "BBBB"), QColor(0, 0, 255)) > 10);
    }

    void imagesOffAndCache() {
        TestPages pages;
        QImage pic(50, 30, QImage::Format_RGB32);
        pic.fill(Qt::red);
        pic.save(pages.path("r.png"));
        pages.page("p.htm", "<body style='margin:0'><img src=r.png alt=Red>");
        TViewerSettings s;
        s.viewImages = false;
        THtmlDocument off(&pages.source, s);
        QVERIFY(off.load(pages.path("p.htm")));
        off.layout(300);
        QVERIFY(off.pictureSize().isEmpty());
        QCOMPARE(count(paint(off), QRect(0, 0, 50, 30), QColor(255, 0, 0)), 0);

        s.viewImages = true;
        s.imageCacheCount = 4;
        {
            THtmlDocument first(&pages.source, s);
            QVERIFY(first.load(pages.path("p.htm")));
            first.layout(300);
            QCOMPARE(first.pictureSize(), QSize(50, 30));
        }
        QFile::remove(pages.path("r.png"));
        THtmlDocument cached(&pages.source, s);
        QVERIFY(cached.load(pages.path("p.htm")));
        cached.layout(300);
        QVERIFY(count(paint(cached), QRect(0, 0, 50, 30), QColor(255, 0, 0)) > 1000);
    }

    void animatedGifAnimates() {
        TestPages pages;
        QFile gif(QStringLiteral(VANTREL_SOURCE_DIR "/tests/engine/gallery/anim.gif"));
        QVERIFY(gif.open(QIODevice::ReadOnly));
        pages.write("anim.gif", gif.readAll());
        pages.page("p.htm", "<img src=anim.gif>");
        THtmlDocument doc(&pages.source, TViewerSettings());
        int frames = 0;
        doc.onImageChanged = [&] { ++frames; };
        QVERIFY(doc.load(pages.path("p.htm")));
        doc.layout(300);
        QTRY_VERIFY_WITH_TIMEOUT(frames >= 2, 3000);

        THtmlDocument still(&pages.source, TViewerSettings());
        still.setAnimate(false);
        int stillFrames = 0;
        still.onImageChanged = [&] { ++stillFrames; };
        QVERIFY(still.load(pages.path("p.htm")));
        still.layout(300);
        QTest::qWait(700);
        QCOMPARE(stillFrames, 0);
    }

    void baseHrefResolvesPictures() {
        TestPages pages;
        QImage pic(10, 10, QImage::Format_RGB32);
        pic.fill(Qt::blue);
        pic.save(pages.path("img/b.png"));
        QDir().mkpath(pages.path("img"));
        pic.save(pages.path("img/b.png"));
        pages.page("sub/p.htm", "<base href='../img/'><img src=b.png><a href=q.htm>q</a>");
        THtmlDocument doc(&pages.source, TViewerSettings());
        QVERIFY(doc.load(pages.path("sub/p.htm")));
        doc.layout(300);
        QCOMPARE(doc.pictureSize(), QSize(10, 10));
        QCOMPARE(doc.expandLink("q.htm"), pages.path("img/q.htm"));
    }
};

QTEST_MAIN(TstViewerSettings)
#include "tst_viewersettings.moc"
