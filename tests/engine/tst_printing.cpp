#include "TestPages.h"

#include "engine/THTMLViewer.h"
#include "engine/TMetaFilePrinter.h"
#include "engine/TPrintFormatter.h"
#include "engine/TPrintFrameViewer.h"

#include <QPainter>
#include <QPrinter>
#include <QtTest>

class TstPrinting : public QObject {
    Q_OBJECT

    static QString longPage() {
        QString html = "<body>";
        for (int i = 0; i < 400; ++i) {
            html += QStringLiteral("<p>Line %1 of the service manual text").arg(i);
            if (i % 37 == 0)
                html += "<br><img src=pic.png width=200 height=150>";
        }
        return html;
    }
    static void writePicture(TestPages& pages) {
        QImage img(20, 20, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        img.save(pages.path("pic.png"));
    }
    // A page's picture drawn on an image of the paper at 1/4 size.
    static QImage playPage(const TMetaFilePrinter& mfp, int n) {
        QImage img(mfp.paperWidth() / 4, mfp.paperHeight() / 4, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        const QPicture& pic = mfp.page(n);
        p.scale(double(img.width()) / pic.boundingRect().width(),
                double(img.height()) / pic.boundingRect().height());
        p.drawPicture(0, 0, pic);
        p.end();
        return img;
    }

private slots:
    void breaksNeverCutLinesOrPictures() {
        TestPages pages;
        writePicture(pages);
        pages.page("long.htm", longPage());
        THTMLViewer v;
        v.setFileSource(&pages.source);
        v.resize(600, 400);
        QVERIFY(v.loadFile(pages.path("long.htm")));
        TMetaFilePrinter mfp;
        QList<int> seen;
        QVERIFY(printing::Format(&v, mfp, 1.0, [&](int page, bool&) { seen << page; }));
        QVERIFY(mfp.pageCount() >= 4);
        // 0 while the page is laid out (as often as it takes), then each sheet.
        QCOMPARE(seen.first(), 0);
        const QList<int> sheets = seen.mid(seen.lastIndexOf(0) + 1);
        QCOMPARE(sheets.size(), mfp.pageCount());
        QCOMPARE(sheets.first(), 1);
        QCOMPARE(sheets.last(), mfp.pageCount());

        // Lay the page out as the formatter did and check every box.
        THtmlDocument doc(&pages.source, v.settings());
        doc.copyFrom(*v.document());
        QVector<int> tops = mfp.pageTops();
        QCOMPARE(tops.first(), 0);
        // The formatter's layout width: recover it from the paper metrics.
        QPicture probe;
        double toPic = double(probe.logicalDpiX()) / mfp.ppiX();
        int contentW = int(mfp.printableWidth() * toPic - probe.logicalDpiX());
        doc.layout(int(contentW / (probe.logicalDpiX() / 96.0)));
        tops << doc.height();
        for (const QRect& box : doc.unbreakableBoxes()) {
            if (box.height() <= 0)
                continue;
            bool inOne = false;
            for (int i = 0; i + 1 < tops.size(); ++i)
                if (box.top() >= tops[i] && box.top() + box.height() <= tops[i + 1])
                    inOne = true;
            QVERIFY2(
                inOne,
                qPrintable(QStringLiteral("box at %1 h %2 cut").arg(box.top()).arg(box.height())));
        }
        // Pages hold ink.
        QImage first = playPage(mfp, 0);
        bool ink = false;
        for (int y = 0; y < first.height() && !ink; y += 2)
            for (int x = 0; x < first.width() && !ink; x += 2)
                ink = first.pixelColor(x, y).lightness() < 128;
        QVERIFY(ink);
    }

    void zoomOrientationAndStop() {
        TestPages pages;
        writePicture(pages);
        pages.page("long.htm", longPage());
        THTMLViewer v;
        v.setFileSource(&pages.source);
        QVERIFY(v.loadFile(pages.path("long.htm")));
        TMetaFilePrinter mfp;
        QVERIFY(printing::Format(&v, mfp, 1.0));
        int normal = mfp.pageCount();
        QVERIFY(printing::Format(&v, mfp, 2.0));
        QVERIFY(mfp.pageCount() > normal);
        QVERIFY(printing::Format(&v, mfp, 0.5));
        QVERIFY(mfp.pageCount() < normal);
        int portraitHeight = mfp.paperHeight();
        mfp.setOrientation(TMetaFilePrinter::Orientation::Landscape);
        QVERIFY(mfp.paperWidth() > mfp.paperHeight());
        QCOMPARE(mfp.paperWidth(), portraitHeight);
        QVERIFY(printing::Format(&v, mfp, 1.0));
        QVERIFY(mfp.pageCount() > normal);
        int calls = 0;
        QVERIFY(!printing::Format(&v, mfp, 1.0, [&](int page, bool& stop) {
            calls += page > 0;
            stop = page == 2;
        }));
        QCOMPARE(calls, 2);
        bool stopped = false;
        QVERIFY(!printing::Format(&v, mfp, 1.0, [&](int, bool& stop) { stop = stopped = true; }));
        QCOMPARE(mfp.pageCount(), 0);
    }

    // A long page's copy for paper is parsed and laid out on a thread while
    // the progress handler keeps being called: it can stop the work before
    // the copy is done, and a copy made there breaks into the same sheets,
    // with what the reader set in the page's form controls.
    void longPageIsLaidOutForPaperOffTheGuiThread() {
        QString html = QStringLiteral("<body><form><input type=checkbox name=c></form>");
        for (int i = 0; html.size() < 300 * 1024; ++i)
            html += QStringLiteral("<p>Line %1 of the <b>service</b> manual <i>text</i> "
                                   "<table border=1><tr><td>%1<td>Nm</table>")
                        .arg(i);
        TestPages pages;
        pages.page("long.htm", html);
        THTMLViewer v;
        v.setFileSource(&pages.source);
        v.resize(600, 400);
        QVERIFY(v.loadFile(pages.path("long.htm")));
        THtmlDocument* shown = v.document();
        QVERIFY(!shown->controlElements().isEmpty());
        TElFormControl::State checked = shown->controlElements().first()->state();
        checked.checked = true;
        shown->controlElements().first()->restore(checked);

        TMetaFilePrinter mfp;
        int whileLaidOut = 0;
        QVERIFY(!printing::Format(&v, mfp, 1.0, [&](int page, bool& stop) {
            whileLaidOut += page == 0;
            stop = whileLaidOut == 3;
        }));
        QCOMPARE(whileLaidOut, 3);
        QCOMPARE(mfp.pageCount(), 0);

        QVERIFY(printing::Format(&v, mfp, 1.0, [](int, bool&) {}));
        TMetaFilePrinter here;
        QVERIFY(printing::FormatDocument(*v.document(), here, 1.0, true));
        QVERIFY(here.pageCount() > 10);
        QCOMPARE(mfp.pageTops(), here.pageTops());
        const auto sheet = [](const TMetaFilePrinter& printer) {
            const QPicture& pic = printer.page(0);
            QImage img(pic.boundingRect().size(), QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            p.drawPicture(0, 0, pic);
            return img;
        };
        QCOMPARE(sheet(mfp), sheet(here));
        checked.checked = false;
        shown->controlElements().first()->restore(checked);
        QVERIFY(printing::FormatDocument(*v.document(), here, 1.0, true));
        QVERIFY(sheet(mfp) != sheet(here));
    }

    void pageNumbersAndBackgrounds() {
        TestPages pages;
        pages.page("t.htm", "<table width=100% height=300 bgcolor=#ff0000><tr><td>x</table>");
        THTMLViewer v;
        v.setFileSource(&pages.source);
        QVERIFY(v.loadFile(pages.path("t.htm")));
        QList<int> headers;
        v.onPrintHeader = [&](QPainter* p, int page, const QRect& paper, int ppi) {
            headers << page;
            printing::DrawPageNumber(p, page, paper, ppi);
        };
        TMetaFilePrinter mfp;
        QVERIFY(mfp.printPageNumbers());
        QVERIFY(printing::Format(&v, mfp, 1.0));
        mfp.page(0); // recorded on first use
        QCOMPARE(headers, QList<int>({1}));
        auto redPixels = [&] {
            QImage img = playPage(mfp, 0);
            int red = 0;
            for (int y = 0; y < img.height(); y += 3)
                for (int x = 0; x < img.width(); x += 3) {
                    QColor c = img.pixelColor(x, y);
                    red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
                }
            return red;
        };
        QVERIFY(redPixels() > 100);
        TViewerSettings s = v.settings();
        s.printTableBackgrounds = false;
        v.setSettings(s);
        mfp.setPrintPageNumbers(false);
        QVERIFY(printing::Format(&v, mfp, 1.0));
        QCOMPARE(headers.size(), 1);
        QCOMPARE(redPixels(), 0);
    }

    void printsRangeToPdf() {
        TestPages pages;
        writePicture(pages);
        pages.page("long.htm", longPage());
        THTMLViewer v;
        v.setFileSource(&pages.source);
        QVERIFY(v.loadFile(pages.path("long.htm")));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(300);
        QString out = pages.path("out.pdf");
        printer.setOutputFileName(out);
        TMetaFilePrinter mfp(&printer);
        QVERIFY(printing::Print(&v, mfp, 2, 3, 1.0));
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray pdf = f.readAll();
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                     pdf.count("/Type /Page>") + pdf.count("/Type /Page "),
                 2);
    }

    void printFrameViewerIsHiddenWithoutHistory() {
        TestPages pages;
        pages.page("a.htm", "<a href=b.htm>x</a>");
        TPrintFrameViewer pv;
        pv.setFileSource(&pages.source);
        QVERIFY(pv.loadFile(pages.path("a.htm")));
        QVERIFY(pv.isHidden());
        QVERIFY(pv.history().isEmpty());
        QVERIFY(pv.options() & TFrameViewer::fvNoLinkUnderline);
        TMetaFilePrinter mfp;
        QVERIFY(printing::Format(pv.activeViewer(), mfp, 1.0));
        QCOMPARE(mfp.pageCount(), 1);
    }
};

QTEST_MAIN(TstPrinting)
#include "tst_printing.moc"
