#include "TestPages.h"

#include "engine/TFrameBudget.h"
#include "engine/TFrameSet.h"
#include "engine/TFrameViewer.h"

#include <QtTest>

// Frame sets that would open frames without end.
class TstFrameLimits : public QObject {
    Q_OBJECT

    static int loadedViewers(const TFrameViewer& fv) {
        int n = 0;
        for (THTMLViewer* v : fv.viewers())
            n += v->document() && v->document()->isLoaded() ? 1 : 0;
        return n;
    }

private slots:
    // Three frames loading their own frame set took 76 s and 1.5 GB, four
    // ran out of memory.
    void selfLoadingFrameSetIsCapped() {
        TestPages pages;
        pages.page("self.htm", "<frameset cols='*,*,*,*'><frame name=a src=self.htm>"
                               "<frame src=self.htm><frame src=self.htm><frame src=self.htm>"
                               "</frameset>");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.resize(600, 400);
        QVERIFY(fv.loadFile(pages.path("self.htm")));
        QVERIFY(fv.isFrameSet());
        const int frames = int(fv.viewers().size());
        QVERIFY2(frames <= TFrameBudget::maxFrames + 1, qPrintable(QString::number(frames)));
        // The depth cap leaves the innermost frames empty.
        QVERIFY(loadedViewers(fv) < frames);
    }

    // One page of a thousand frames gets the cap and one empty frame.
    void wideFrameSetIsCapped() {
        TestPages pages;
        pages.page("p.htm", "<p>page");
        QString set = "<frameset cols='" + QString("*,").repeated(999) + "*'>";
        for (int i = 0; i < 1000; ++i)
            set += QStringLiteral("<frame name=f%1 src=p.htm>").arg(i);
        pages.page("wide.htm", set + "</frameset>");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.resize(600, 400);
        QVERIFY(fv.loadFile(pages.path("wide.htm")));
        QCOMPARE(int(fv.viewers().size()), TFrameBudget::maxFrames + 1);
        QCOMPARE(loadedViewers(fv), TFrameBudget::maxFrames);
        QVERIFY(fv.frameViewer("f0") && fv.frameViewer("f63"));
        QVERIFY(!fv.frameViewer("f65"));
    }

    // Sizes of 1e308 or inf made sums infinite and ratios NaN.
    void extremeSizesStayWithinTheTotal() {
        for (const QString& list : {QStringLiteral("1e308,inf,*"), QStringLiteral("inf%,2*"),
                                    QStringLiteral("1e308*,nan,5")}) {
            const QVector<int> sizes = frameset::split(list, 400);
            int sum = 0;
            for (int s : sizes) {
                QVERIFY2(s >= 0 && s <= 400, qPrintable(list));
                sum += s;
            }
            QVERIFY2(sum <= 400, qPrintable(list));
        }
    }

    // Sets nested within the caps keep every frame.
    void ordinaryNestingKeepsEveryFrame() {
        TestPages pages;
        pages.page("p.htm", "<p>page");
        pages.page("inner.htm", "<frameset rows='*,*'><frame src=p.htm><frame src=p.htm>"
                                "</frameset>");
        pages.page("outer.htm", "<frameset cols='*,*,*'><frame src=inner.htm>"
                                "<frame src=inner.htm><frame src=p.htm></frameset>");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.resize(600, 400);
        QVERIFY(fv.loadFile(pages.path("outer.htm")));
        QCOMPARE(int(fv.viewers().size()), 5);
        QCOMPARE(loadedViewers(fv), 5);
    }
};

QTEST_MAIN(TstFrameLimits)
#include "tst_framelimits.moc"
