#include "TestPages.h"

#include "engine/TFrameSet.h"
#include "engine/TFrameViewer.h"
#include "engine/TLinkPath.h"
#include "engine/TQtContainer.h"

#include <QtTest>

class TstFrameViewer : public QObject {
    Q_OBJECT

    static void click(THTMLViewer* v, const QString& word) {
        const TWordIndex& w = v->document()->words();
        int at = int(w.text().indexOf(word));
        QVERIFY2(at >= 0, qPrintable(word));
        QRect r = w.boundingRect(at, at + int(word.size()));
        QPoint p = r.center() - QPoint(0, v->position());
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, p);
    }

private slots:
    void splitSizes_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("total");
        QTest::addColumn<QVector<int>>("sizes");
        QTest::newRow("px and star") << "100,*" << 500 << QVector<int>{100, 400};
        QTest::newRow("percent") << "25%,75%" << 400 << QVector<int>{100, 300};
        QTest::newRow("weighted stars") << "*,2*,100" << 400 << QVector<int>{100, 200, 100};
        QTest::newRow("mixed") << "50,20%,*" << 500 << QVector<int>{50, 100, 350};
        QTest::newRow("no star scales") << "100,100" << 300 << QVector<int>{150, 150};
        QTest::newRow("empty") << "" << 300 << QVector<int>{300};
        QTest::newRow("too big") << "400,400,*" << 400 << QVector<int>{200, 200, 0};
    }
    void splitSizes() {
        QFETCH(QString, list);
        QFETCH(int, total);
        QFETCH(QVector<int>, sizes);
        QCOMPARE(frameset::split(list, total), sizes);
    }

    void parseNestedFrameSet() {
        TFrameNode n = frameset::parse(
            "<html><head><title>x</title></head><frameset cols='200,*' frameborder=0>"
            "<frame name=toc src=toc.htm><frameset rows='50%,*'><frame name=top src=a.htm>"
            "<frame name=main src=b.htm scrolling=no></frameset>"
            "<noframes>old browser</noframes></frameset>");
        QVERIFY(n.isSet);
        QCOMPARE(n.cols, QStringLiteral("200,*"));
        QVERIFY(!n.frameBorder);
        QCOMPARE(n.children.size(), 2);
        QCOMPARE(n.children[0].name, QStringLiteral("toc"));
        QVERIFY(n.children[1].isSet);
        QCOMPARE(n.children[1].children[1].src, QStringLiteral("b.htm"));
        QCOMPARE(n.children[1].children[1].scrolling, QStringLiteral("no"));
        QVERIFY(!frameset::parse("<p>frameset is a word").isSet);
    }

    void linkExpansion() {
        QCOMPARE(linkpath::expand("\\book\\run\\a\\p.htm", "../img/x.gif"),
                 QStringLiteral("\\book\\run\\img\\x.gif"));
        QCOMPARE(linkpath::expand("/b/a/p.htm", "q.htm#s"), QStringLiteral("/b/a/q.htm#s"));
        QCOMPARE(linkpath::expand("/b/a/p.htm", "#s"), QStringLiteral("/b/a/p.htm#s"));
        QCOMPARE(linkpath::expand("/b/a/p.htm", "./sub/my%20file.htm"),
                 QStringLiteral("/b/a/sub/my file.htm"));
        QCOMPARE(linkpath::expand("c:\\b\\p.htm", "\\x.htm"), QStringLiteral("c:\\x.htm"));
        QCOMPARE(linkpath::expand("/b/p.htm", "http://host/x"), QStringLiteral("http://host/x"));
        QCOMPARE(linkpath::expand("/b/p.htm", "mailto:a@b"), QStringLiteral("mailto:a@b"));
        QCOMPARE(linkpath::expand("/b/a/p.htm", "../../../x.htm"), QStringLiteral("/x.htm"));
        QCOMPARE(linkpath::extensionOf("/b/PIC.JPEG#x"), QStringLiteral(".jpeg"));
    }

    void framesSplitAndTargets() {
        TestPages pages;
        pages.page("index.htm", "<frameset cols='150,*'><frame name=toc src=toc.htm>"
                                "<frame name=main src=one.htm></frameset>");
        pages.page("toc.htm", "<a href=two.htm target=main>Second</a> "
                              "<a href=one.htm>Self</a> <a href=two.htm target=_top>Top</a> "
                              "<a href=x.htm target=_blank>Blank</a>");
        pages.page("one.htm", "<title>One</title>Page one");
        pages.page("two.htm", "<title>Two</title>Page two");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.setOptions(TFrameViewer::fvNoBorder);
        fv.resize(600, 400);
        QStringList clicks;
        fv.OnHotSpotTargetClick = [&](const QString& t, const QString& u, bool&) {
            clicks << t + QLatin1Char('|') + u;
        };
        QVERIFY(fv.loadFile(pages.path("index.htm")));
        QVERIFY(fv.isFrameSet());
        QCOMPARE(fv.frameNames(), QStringList({"toc", "main"}));
        THTMLViewer* toc = fv.frameViewer("toc");
        THTMLViewer* main = fv.frameViewer("MAIN");
        QVERIFY(toc && main);
        // 150 px less half the 4 px border; the rest beside it.
        QCOMPARE(toc->geometry(), QRect(0, 0, 148, 400));
        QCOMPARE(main->geometry(), QRect(152, 0, 448, 400));
        QVERIFY(main->document()->words().text().contains("Page one"));

        click(toc, "Second");
        QCOMPARE(clicks.last(), QStringLiteral("main|two.htm"));
        QVERIFY(main->document()->words().text().contains("Page two"));
        QCOMPARE(fv.activeViewer(), main);
        QCOMPARE(fv.currentFile(), pages.path("index.htm"));
        QCOMPARE(fv.history().size(), 2);

        click(toc, "Self");
        QVERIFY(toc->document()->words().text().contains("Page one"));
        QCOMPARE(fv.frameViewer("toc"), toc);

        // Back restores the frames as they were.
        fv.goBack();
        QVERIFY(fv.frameViewer("toc")->document()->words().text().contains("Second"));
        QVERIFY(fv.frameViewer("main")->document()->words().text().contains("Page two"));
        QVERIFY(fv.fwdButtonEnabled());

        toc = fv.frameViewer("toc");
        click(toc, "Blank");
        QCOMPARE(clicks.last(), QStringLiteral("_blank|x.htm"));
        QVERIFY(fv.frameViewer("toc")->document()->words().text().contains("Second"));
        click(toc, "Top");
        QVERIFY(!fv.isFrameSet());
        QCOMPARE(fv.currentFile(), pages.path("two.htm"));
        QCOMPARE(fv.documentTitle(), QStringLiteral("Two"));
        // Going somewhere new dropped the entry we had gone back from.
        QCOMPARE(fv.history().size(), 3);
        QVERIFY(!fv.fwdButtonEnabled());
    }

    void hostHandlesLinks() {
        TestPages pages;
        pages.page("a.htm", "<a href=b.htm>Next</a>");
        pages.page("b.htm", "B");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.resize(400, 300);
        fv.OnHotSpotTargetClick = [](const QString&, const QString&, bool& handled) {
            handled = true;
        };
        QVERIFY(fv.loadFile(pages.path("a.htm")));
        click(fv.activeViewer(), "Next");
        QCOMPARE(fv.currentFile(), pages.path("a.htm"));
        fv.OnHotSpotTargetClick = nullptr;
        click(fv.activeViewer(), "Next");
        QCOMPARE(fv.currentFile(), pages.path("b.htm"));
        QCOMPARE(fv.expandLink("c.htm"), pages.path("c.htm"));
    }

    void nestedFrameSetPages() {
        TestPages pages;
        pages.page("outer.htm", "<frameset rows='100,*' border=0><frame name=head src=h.htm>"
                                "<frame name=body src=inner.htm></frameset>");
        pages.page("inner.htm", "<frameset cols='50%,50%' border=0><frame name=l src=l.htm>"
                                "<frame name=r src=r.htm></frameset>");
        pages.page("h.htm", "H");
        pages.page("l.htm", "L");
        pages.page("r.htm", "R");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.resize(400, 300);
        QVERIFY(fv.loadFile(pages.path("outer.htm")));
        // The viewer's own sunken edge, two pixels wide.
        QCOMPARE(fv.frameViewer("head")->geometry(), QRect(2, 2, 396, 100));
        fv.setOptions(TFrameViewer::fvNoBorder);
        QCOMPARE(fv.frameNames(), QStringList({"head", "l", "r"}));
        QCOMPARE(fv.frameViewer("head")->geometry(), QRect(0, 0, 400, 100));
        QCOMPARE(fv.frameViewer("l")->geometry(), QRect(0, 100, 200, 200));
        QCOMPARE(fv.frameViewer("r")->geometry(), QRect(200, 100, 200, 200));
    }

    void frameBordersAndDragging() {
        TestPages pages;
        pages.page("set.htm", "<frameset cols='100,*'><frame name=a src=x.htm>"
                              "<frameset rows='50%,50%'><frame name=b src=x.htm noresize>"
                              "<frame name=c src=x.htm></frameset></frameset>");
        pages.page("flat.htm", "<frameset cols='50%,50%' frameborder=0><frame name=a src=x.htm>"
                               "<frame name=b src=x.htm></frameset>");
        pages.page("each.htm", "<frameset cols='50%,50%'><frame name=a src=x.htm frameborder=no>"
                               "<frame name=b src=x.htm frameborder=0></frameset>");
        pages.page("x.htm", "x");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.setOptions(TFrameViewer::fvNoBorder);
        fv.resize(400, 300);
        fv.show();
        QVERIFY(fv.loadFile(pages.path("set.htm")));
        // A border of four pixels, half from each side.
        QCOMPARE(fv.frameViewer("a")->geometry(), QRect(0, 0, 98, 300));
        QCOMPARE(fv.frameViewer("b")->geometry(), QRect(102, 0, 298, 148));
        auto send = [&](QEvent::Type type, const QPoint& p, Qt::MouseButtons buttons) {
            QMouseEvent e(type, QPointF(p), fv.mapToGlobal(QPointF(p)), Qt::LeftButton, buttons,
                          {});
            QApplication::sendEvent(&fv, &e);
        };
        auto drag = [&](const QPoint& from, const QPoint& to) {
            send(QEvent::MouseButtonPress, from, Qt::LeftButton);
            send(QEvent::MouseMove, to, Qt::LeftButton);
            send(QEvent::MouseButtonRelease, to, {});
        };
        drag(QPoint(99, 150), QPoint(159, 150));
        QCOMPARE(fv.frameViewer("a")->width(), 158);
        QCOMPARE(fv.frameViewer("c")->geometry().left(), 162);
        // The frames keep their shares when the viewer grows.
        fv.resize(800, 300);
        QVERIFY(qAbs(fv.frameViewer("a")->width() - 318) <= 2);
        // A frame that says noresize keeps the line beside it where it is.
        int height = fv.frameViewer("b")->height();
        QPoint line(500, fv.frameViewer("b")->geometry().bottom() + 2);
        drag(line, line + QPoint(0, 60));
        QCOMPARE(fv.frameViewer("b")->height(), height);

        QVERIFY(fv.loadFile(pages.path("flat.htm")));
        QCOMPARE(fv.frameViewer("a")->geometry(), QRect(0, 0, 400, 300));
        QVERIFY(fv.loadFile(pages.path("each.htm")));
        QCOMPARE(fv.frameViewer("b")->geometry(), QRect(400, 0, 400, 300));
    }

    // outer.htm: a head frame over a body frame whose page, inner.htm, is a
    // set of two frames l and r.
    static void nestedSets(TestPages& pages) {
        pages.page("outer.htm", "<frameset rows='100,*'><frame name=head src=h.htm>"
                                "<frame name=body src=inner.htm></frameset>");
        pages.page("inner.htm", "<frameset cols='50%,50%'><frame name=l src=l.htm>"
                                "<frame name=r src=r.htm></frameset>");
    }

    void parentAndFramesWhosePageIsASet() {
        TestPages pages;
        nestedSets(pages);
        pages.page("h.htm", "<a href=two.htm target=body>ToBody</a> "
                            "<a href=two.htm target=_parent>Up</a>");
        pages.page("l.htm", "<a href=one.htm target=_parent>Parent</a>");
        pages.page("r.htm", "R");
        pages.page("one.htm", "One");
        pages.page("two.htm", "Two");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.resize(400, 300);
        QVERIFY(fv.loadFile(pages.path("outer.htm")));
        // A page that is not there leaves the frame set as it was.
        QVERIFY(!fv.loadFile(pages.path("gone.htm")));
        QVERIFY(fv.isFrameSet());
        QCOMPARE(fv.viewers().size(), 3);
        QCOMPARE(fv.findChildren<THTMLViewer*>().size(), 3);
        click(fv.frameViewer("l"), "Parent");
        QCOMPARE(fv.frameNames(), QStringList({"head", "body"}));
        QVERIFY(fv.frameViewer("body")->document()->words().text().contains("One"));
        QVERIFY(fv.frameViewer("head")->document()->words().text().contains("ToBody"));
        fv.goBack();
        QCOMPARE(fv.frameNames(), QStringList({"head", "l", "r"}));
        click(fv.frameViewer("head"), "ToBody");
        QCOMPARE(fv.frameNames(), QStringList({"head", "body"}));
        QVERIFY(fv.frameViewer("body")->document()->words().text().contains("Two"));
        click(fv.frameViewer("head"), "Up");
        QVERIFY(!fv.isFrameSet());
        QCOMPARE(fv.currentFile(), pages.path("two.htm"));
    }

    void historyOfNestedSets() {
        TestPages pages;
        nestedSets(pages);
        pages.page("h.htm", "<a href=two.htm target=body>ToBody</a> "
                            "<a href=inner.htm target=body>Inner</a>");
        pages.page("l.htm", "<a href=r2.htm target=r>Right</a>");
        pages.page("r.htm", "R");
        pages.page("r2.htm", "Second");
        pages.page("two.htm", "Two");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.resize(400, 300);
        QVERIFY(fv.loadFile(pages.path("outer.htm")));
        auto text = [&](const char* frame) {
            THTMLViewer* v = fv.frameViewer(frame);
            return v ? v->document()->words().text().trimmed() : QString();
        };
        click(fv.frameViewer("l"), "Right");
        QCOMPARE(text("r"), QStringLiteral("Second"));
        click(fv.frameViewer("head"), "ToBody");
        QCOMPARE(fv.frameNames(), QStringList({"head", "body"}));
        fv.goBack();
        QCOMPARE(fv.frameNames(), QStringList({"head", "l", "r"}));
        QCOMPARE(text("r"), QStringLiteral("Second"));
        fv.goBack();
        QCOMPARE(text("r"), QStringLiteral("R"));
        fv.goFwd();
        QCOMPARE(text("r"), QStringLiteral("Second"));
        // Forward again to the entry where a page had replaced the set.
        fv.goFwd();
        QCOMPARE(fv.frameNames(), QStringList({"head", "body"}));
        QCOMPARE(text("body"), QStringLiteral("Two"));
        // A frame set page sent to a plain frame nests there.
        click(fv.frameViewer("head"), "Inner");
        QCOMPARE(fv.frameNames(), QStringList({"head", "l", "r"}));
        QCOMPARE(text("r"), QStringLiteral("R"));
        fv.goBack();
        QCOMPARE(text("body"), QStringLiteral("Two"));
        fv.goFwd();
        QCOMPARE(fv.frameNames(), QStringList({"head", "l", "r"}));
    }

    void historyOrderAndLimit() {
        TestPages pages;
        for (int i = 0; i < 5; ++i)
            pages.page(QStringLiteral("p%1.htm").arg(i),
                       QStringLiteral("<title>T%1</title>x").arg(i));
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.setHistoryMaxCount(3);
        int changes = 0;
        fv.OnHistoryChange = [&](TFrameViewer*) { ++changes; };
        QVERIFY(!fv.backButtonEnabled());
        for (int i = 0; i < 5; ++i)
            QVERIFY(fv.loadFile(pages.path(QStringLiteral("p%1.htm").arg(i))));
        QCOMPARE(changes, 5);
        QCOMPARE(fv.history(),
                 QStringList({pages.path("p4.htm"), pages.path("p3.htm"), pages.path("p2.htm")}));
        QCOMPARE(fv.titleHistory(), QStringList({"T4", "T3", "T2"}));
        QVERIFY(fv.backButtonEnabled());
        QVERIFY(!fv.fwdButtonEnabled());
        fv.setHistoryIndex(2);
        QCOMPARE(fv.currentFile(), pages.path("p2.htm"));
        QVERIFY(!fv.backButtonEnabled());
        QVERIFY(fv.fwdButtonEnabled());
        fv.goFwd();
        QCOMPARE(fv.currentFile(), pages.path("p3.htm"));
        QCOMPARE(fv.historyIndex(), 1);
        QCOMPARE(changes, 7);

        QString error;
        QVERIFY(!fv.loadFile(pages.path("gone.htm"), &error));
        QCOMPARE(error, QStringLiteral("Can't locate file: ") + pages.path("gone.htm"));
        QCOMPARE(fv.currentFile(), pages.path("p3.htm"));
        QCOMPARE(fv.history().size(), 3);
    }

    void historyKeepsPositions() {
        TestPages pages;
        pages.page("long.htm", "<div style='height:3000px'>top</div><a name=end>End</a>");
        pages.page("short.htm", "short");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.resize(400, 300);
        QVERIFY(fv.loadFile(pages.path("long.htm#end")));
        int pos = fv.activeViewer()->position();
        QVERIFY(pos > 2000);
        QVERIFY(fv.loadFile(pages.path("short.htm")));
        fv.goBack();
        QCOMPARE(fv.activeViewer()->position(), pos);
    }

    void reloadReadsPagesAgain() {
        TestPages pages;
        pages.page("long.htm", "<div style='height:3000px'>old</div>");
        pages.page("set.htm", "<frameset cols='50%,50%'><frame name=a src=long.htm>"
                              "<frame name=b src=b.htm></frameset>");
        pages.page("b.htm", "before");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.resize(400, 300);
        QVERIFY(!fv.reload());
        QVERIFY(fv.loadFile(pages.path("long.htm")));
        fv.activeViewer()->setPosition(700);
        pages.page("long.htm", "<div style='height:3000px'>new</div>");
        QVERIFY(fv.reload());
        QCOMPARE(fv.activeViewer()->document()->words().text().trimmed(), QStringLiteral("new"));
        QCOMPARE(fv.activeViewer()->position(), 700);
        QCOMPARE(fv.history().size(), 1);
        QVERIFY(fv.loadFile(pages.path("set.htm")));
        pages.page("b.htm", "after");
        QVERIFY(fv.reload());
        QCOMPARE(fv.frameViewer("b")->document()->words().text().trimmed(),
                 QStringLiteral("after"));
    }

    void visitedLinks() {
        TestPages pages;
        pages.page("a.htm", "<a href=b.htm>B</a>");
        TFrameViewer fv;
        fv.setFileSource(&pages.source);
        fv.setVisitedMaxCount(2);
        fv.addVisited("/x/1.htm");
        fv.addVisited("/x/2.htm");
        fv.addVisited("/X/1.HTM");
        QCOMPARE(fv.visited(), QStringList({"/X/1.HTM", "/x/2.htm"}));
        fv.addVisited("/x/3.htm");
        QCOMPARE(fv.visited(), QStringList({"/x/3.htm", "/X/1.HTM"}));
        QVERIFY(fv.loadFile(pages.path("a.htm")));
        fv.addVisited(pages.path("b.htm"));
        fv.checkVisitedLinks();
        QVERIFY(fv.activeViewer()->document()->container()->isVisited("b.htm"));
    }
};

QTEST_MAIN(TstFrameViewer)
#include "tst_frameviewer.moc"
