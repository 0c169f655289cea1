#include "TestPages.h"

#include "engine/TFrameViewer.h"
#include "engine/THtmlHistory.h"

#include <QSignalSpy>
#include <QtTest>

// The history model on its own and as the frame viewer keeps it.
class TstHtmlHistory : public QObject {
    Q_OBJECT

    static THtmlHistoryEntry entry(const QString& file) {
        THtmlHistoryEntry e;
        e.file = file;
        e.title = file.toUpper();
        return e;
    }

private slots:
    void newestFirstWithLimit() {
        THtmlHistory h;
        QSignalSpy changed(&h, &THtmlHistory::changed);
        h.setMaxCount(3);
        for (const char* f : {"a", "b", "c", "d"})
            h.push(entry(f));
        QCOMPARE(h.files(), QStringList({"d", "c", "b"}));
        QCOMPARE(h.titles(), QStringList({"D", "C", "B"}));
        QCOMPARE(changed.size(), 4);
        h.setIndex(2);
        QVERIFY(!h.canGoBack());
        QVERIFY(h.canGoForward());
        h.setIndex(7); // out of range: nothing
        QCOMPARE(h.index(), 2);
        QCOMPARE(changed.size(), 5);
        // A new page drops the entries gone back from.
        h.push(entry("e"));
        QCOMPARE(h.files(), QStringList({"e", "b"}));
        QCOMPARE(h.index(), 0);
        // Shrinking keeps the index inside.
        h.setIndex(1);
        h.setMaxCount(1);
        QCOMPARE(h.files(), QStringList({"e"}));
        QCOMPARE(h.index(), 0);
        h.setMaxCount(0);
        h.push(entry("f"));
        QVERIFY(h.isEmpty());
        QCOMPARE(h.entry(5), THtmlHistoryEntry());
    }

    void lookupIgnoresCaseAndSeparators() {
        THtmlHistory h;
        h.push(entry("\\Book\\Run\\A.htm"));
        h.push(entry("\\book\\run\\b.htm"));
        QCOMPARE(h.indexOf("/book/run/a.HTM"), 1);
        QCOMPARE(h.indexOf("\\book\\run\\c.htm"), -1);
    }

    void viewerKeepsItsModel() {
        TestPages pages;
        pages.page("a.htm", "<title>A</title><div style='height:3000px'>a</div>");
        pages.page("b.htm", "<title>B</title>b");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.resize(300, 200);
        THtmlHistory* h = fv.historyModel();
        QSignalSpy changed(h, &THtmlHistory::changed);
        QVERIFY(fv.loadFile(pages.path("a.htm")));
        fv.activeViewer()->setPosition(400);
        QVERIFY(fv.loadFile(pages.path("b.htm")));
        QCOMPARE(h->titles(), QStringList({"B", "A"}));
        // Leaving a page remembers where the reader was on it.
        QCOMPARE(h->entry(1).position, 400);
        fv.goBack();
        QCOMPARE(h->index(), 1);
        QCOMPARE(changed.size(), 3);
        fv.setHistoryMaxCount(1);
        QCOMPARE(h->count(), 1);
        QCOMPARE(fv.historyIndex(), 0);
    }
};

QTEST_MAIN(TstHtmlHistory)
#include "tst_htmlhistory.moc"
