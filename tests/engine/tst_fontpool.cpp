#include "TestPages.h"

#include "engine/TFontPool.h"
#include "engine/THtmlDocument.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

// The fonts shared by pages were never freed: every new font key (a page of
// a thousand sizes, say) grew the pool for the life of the process.
class TstFontPool : public QObject {
    Q_OBJECT

    TViewerSettings settings;

    static QByteArray sizesPage(int from, int count) {
        QByteArray html;
        for (int i = 0; i < count; ++i)
            html += "<p style='font-size:" + QByteArray::number(from + i) + "px'>word</p>";
        return html;
    }
    static void paint(THtmlDocument& doc) {
        QImage img(300, 300, QImage::Format_RGB32);
        QPainter p(&img);
        doc.paint(&p, QRect(0, 0, 300, 300));
    }

private slots:
    void unusedFontsAreFreed() {
        TFontPool& pool = TFontPool::instance();
        TestPages pages;
        for (int round = 0; round < 5; ++round) {
            pages.write("p.htm", sizesPage(10 + round * 200, 200));
            THtmlDocument doc(&pages.source, settings);
            QVERIFY(doc.load(pages.path("p.htm")));
            doc.layout(300);
            paint(doc);
            QVERIFY(pool.size() >= 200); // a page's fonts stay while it lives
        }
        QVERIFY2(pool.size() <= TFontPool::kMaxIdle, qPrintable(QString::number(pool.size())));
    }

    // A font two pages share outlives the first of them.
    void sharedFontsStayWhileUsed() {
        TestPages pages;
        pages.write("a.htm", sizesPage(500, 3));
        THtmlDocument keeper(&pages.source, settings);
        QVERIFY(keeper.load(pages.path("a.htm")));
        keeper.layout(300);
        {
            THtmlDocument other(&pages.source, settings);
            QVERIFY(other.load(pages.path("a.htm")));
            other.layout(300);
        }
        // Churn enough other fonts to push every idle one out.
        pages.write("b.htm", sizesPage(1000, 2 * TFontPool::kMaxIdle));
        {
            THtmlDocument churn(&pages.source, settings);
            QVERIFY(churn.load(pages.path("b.htm")));
            churn.layout(300);
        }
        keeper.layout(200);
        paint(keeper);
        QVERIFY(keeper.words().text().contains("word"));
    }
};

QTEST_MAIN(TstFontPool)
#include "tst_fontpool.moc"
