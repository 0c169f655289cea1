#include "DocumentProbes.h"
#include "TestPages.h"

#include "engine/THTMLViewer.h"
#include "engine/TPageLoader.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <future>

namespace {

QString longPage(const QString& mark, int parts) {
    QString html = QStringLiteral("<html><body>");
    for (int i = 0; i < parts; ++i)
        html += QStringLiteral("<h3>Part %1</h3><p>The <b>oil</b> filter <a href='p%1.htm'>engine"
                               "</a> <i>starter</i>.</p><table border=1><tr><td>%1</td><td>Nm"
                               "</td></tr></table>")
                    .arg(i);
    html += QStringLiteral("<p><a name='end'></a>%1</p></body></html>").arg(mark);
    return html;
}

QString tablePage(int rows) {
    QString html = QStringLiteral("<html><body><table border=1 width=100%>");
    for (int i = 0; i < rows; ++i)
        html += QStringLiteral("<tr><td>%1</td><td>Bolt <b>M8</b></td><td>torque 25 Nm</td></tr>")
                    .arg(i);
    html += QStringLiteral("</table><p>TABLEEND</p></body></html>");
    return html;
}

bool waitLoaded(THTMLViewer& v) {
    QElapsedTimer t;
    t.start();
    while (v.isLoading() && t.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !v.isLoading();
}

} // namespace

class TstPageLoader : public QObject {
    Q_OBJECT

    std::unique_ptr<THTMLViewer> viewer(TestPages& pages) {
        auto v = std::make_unique<THTMLViewer>();
        v->setFileSource(&pages.source);
        v->resize(500, 400);
        return v;
    }

private slots:
    // A long page shows its beginning at once; the whole page replaces it
    // when it is ready, at the same scroll position.
    void firstScreenThenWholePage() {
        TestPages pages;
        pages.page("long.htm", longPage(QStringLiteral("LASTWORD"), 600));
        auto v = viewer(pages);
        QSignalSpy changed(v.get(), &THTMLViewer::documentChanged);
        QVERIFY(v->loadFile(pages.path("long.htm")));
        QVERIFY(v->isLoading());
        const int firstMax = v->verticalScrollBar()->maximum();
        QVERIFY(firstMax > 0);
        v->setPosition(120);
        QVERIFY(waitLoaded(*v));
        QVERIFY(v->verticalScrollBar()->maximum() > firstMax * 3);
        QCOMPARE(v->position(), 120);
        QVERIFY(v->document()->words().text().contains(QLatin1String("LASTWORD")));
        QCOMPARE(changed.count(), 1);
    }

    // A second page requested while the first is prepared wins: the first
    // never shows up, whatever order the threads finish in.
    void secondPageCancelsTheFirst() {
        TestPages pages;
        pages.page("a.htm", longPage(QStringLiteral("PAGEA"), 1500));
        pages.page("b.htm", longPage(QStringLiteral("PAGEB"), 300));
        auto v = viewer(pages);
        QSignalSpy changed(v.get(), &THTMLViewer::documentChanged);
        QVERIFY(v->loadFile(pages.path("a.htm")));
        QVERIFY(v->isLoading());
        QVERIFY(v->loadFile(pages.path("b.htm")));
        QVERIFY(waitLoaded(*v));
        // Give the first page's thread time to finish and post its result.
        QTest::qWait(300);
        QCoreApplication::processEvents();
        QVERIFY(v->currentFile().endsWith(QLatin1String("b.htm")));
        const QString text = v->document()->words().text();
        QVERIFY(text.contains(QLatin1String("PAGEB")));
        QVERIFY(!text.contains(QLatin1String("PAGEA")));
        QCOMPARE(changed.count(), 2);
        // A short page after a long one: nothing of the long one arrives.
        QVERIFY(v->loadFile(pages.path("a.htm")));
        v->loadHtml(QStringLiteral("<p>short"), pages.path("s.htm"));
        QVERIFY(!v->isLoading());
        QTest::qWait(300);
        QCoreApplication::processEvents();
        QVERIFY(v->document()->words().text().contains(QLatin1String("short")));
    }

    // A page started while a dropped one is still being parsed does not
    // wait for it: the kept thread is busy, so the new page gets a thread of
    // its own.
    void newPageDoesNotWaitForADroppedOne() {
        TPageLoader loader;
        std::promise<void> started, release;
        std::shared_future<void> released = release.get_future().share();
        // Released before the loader waits for its threads, also on failure.
        const auto guard = qScopeGuard([&] { release.set_value(); });
        std::atomic<bool> firstDone = false;
        loader.start(std::make_unique<THtmlDocument>(nullptr, TViewerSettings()),
                     [&](THtmlDocument&) {
                         started.set_value();
                         released.wait();
                         firstDone = true;
                     });
        started.get_future().wait();
        loader.start(std::make_unique<THtmlDocument>(nullptr, TViewerSettings()),
                     [](THtmlDocument& d) {
                         d.setHtml(QStringLiteral("<p>second"), {});
                         d.layout(400);
                     });
        QVERIFY(loader.isReady(20000));
        std::unique_ptr<THtmlDocument> second = loader.wait();
        QVERIFY(second && second->words().text().contains(QLatin1String("second")));
        QVERIFY(!firstDone);
    }

    // Whatever needs the whole page (find, the end) gets it at once.
    void findWaitsForTheWholePage() {
        TestPages pages;
        pages.page("long.htm", longPage(QStringLiteral("FARAWAY"), 600));
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("long.htm")));
        QVERIFY(v->isLoading());
        QVERIFY(v->find(QStringLiteral("FARAWAY"), true));
        QVERIFY(!v->isLoading());
        QVERIFY(v->position() > 1000);
    }

    // An anchor beyond the first screen is reached once the page is whole.
    void anchorOfALongPage() {
        TestPages pages;
        pages.page("long.htm", longPage(QStringLiteral("END"), 600));
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("long.htm") + QStringLiteral("#end")));
        QVERIFY(waitLoaded(*v));
        QVERIFY(v->position() > 1000);
        QCOMPARE(v->position(), v->maxPosition());
    }

    // A page that is one table: its first rows are shown before the rest is
    // parsed, and the cut falls between rows.
    void oneBigTableShowsItsFirstRows() {
        const QString html = tablePage(3000);
        const int cut = TPageLoader::tableRowCut(html, 8 * 1024);
        QVERIFY(cut >= 8 * 1024);
        QVERIFY(html.mid(cut).startsWith(QLatin1String("<tr>")));
        QString commented = html;
        commented.insert(8000, QStringLiteral("<!-- <tr> -->"));
        const int cut2 = TPageLoader::tableRowCut(commented, 8005);
        QVERIFY(commented.mid(cut2).startsWith(QLatin1String("<tr>")));
        QVERIFY(cut2 > commented.indexOf(QLatin1String("-->")));

        TestPages pages;
        pages.page("t.htm", html);
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("t.htm")));
        QVERIFY(v->isLoading());
        const int firstMax = v->verticalScrollBar()->maximum();
        QVERIFY(firstMax > v->viewport()->height());
        QVERIFY(waitLoaded(*v));
        QVERIFY(v->verticalScrollBar()->maximum() > firstMax * 5);
        QVERIFY(v->document()->words().text().endsWith(QLatin1String("TABLEEND")));
    }

    // A page whose head is longer than the first screen's window (long
    // style sheets) has no first screen to cut out; it is still prepared on
    // the loader's thread, with its rules, and shows nothing meanwhile.
    void longHeadIsParsedOnTheLoadersThread() {
        QString sheet;
        for (int i = 0; sheet.size() < 50 * 1024; ++i)
            sheet +=
                QStringLiteral(".c%1 { color: #123456; margin-left: %2px }\n").arg(i).arg(i % 40);
        const QString html =
            QStringLiteral("<html><head><style>%1</style><style>%1 .wide { margin-left: 200px }"
                           "</style></head><body><p class=wide>HEADEND</p></body></html>")
                .arg(sheet);
        TestPages pages;
        pages.page("h.htm", html);
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("h.htm")));
        QVERIFY(v->isLoading());
        QVERIFY(waitLoaded(*v));
        QVERIFY(v->document()->words().text().contains(QLatin1String("HEADEND")));
        QVERIFY(wordRect(*v->document(), QStringLiteral("HEADEND")).left() >= 200);
    }

    // A long page prepared on the loader's thread keeps fonts of its own
    // once shown, so the page replacing it has it freed on a thread (a 5 MB
    // page takes a second to free); a page parsed on the GUI thread uses the
    // shared fonts and is freed there.
    void replacedLongPageIsFreedOffTheGuiThread() {
        TestPages pages;
        pages.page("long.htm", longPage(QStringLiteral("X"), 600));
        pages.page("short.htm", QStringLiteral("<p>short"));
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("long.htm")));
        QVERIFY(waitLoaded(*v));
        QVERIFY(TPageLoader::freesOffThread(*v->document()));
        QVERIFY(v->loadFile(pages.path("short.htm")));
        QVERIFY(!TPageLoader::freesOffThread(*v->document()));
    }

    // A viewer closed while its page is prepared waits for the thread, which
    // reads through the viewer's file source.
    void closingWhileLoading() {
        TestPages pages;
        pages.page("long.htm", longPage(QStringLiteral("X"), 1500));
        for (int i = 0; i < 3; ++i) {
            auto v = viewer(pages);
            QVERIFY(v->loadFile(pages.path("long.htm")));
            QVERIFY(v->isLoading());
            v.reset();
        }
        QCoreApplication::processEvents();
    }
};

QTEST_MAIN(TstPageLoader)
#include "tst_pageloader.moc"
