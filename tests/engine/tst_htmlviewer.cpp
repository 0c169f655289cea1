#include "TestPages.h"

#include "engine/THTMLViewer.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QPainter>
#include <QScrollBar>
#include <QtTest>

class TstHtmlViewer : public QObject {
    Q_OBJECT

    std::unique_ptr<THTMLViewer> viewer(TestPages& pages) {
        auto v = std::make_unique<THTMLViewer>();
        v->setFileSource(&pages.source);
        v->resize(400, 300);
        return v;
    }

private slots:
    void scrollingAndKeys() {
        TestPages pages;
        pages.page("long.htm", "<p>first<div style='height:5000px'></div><p>last");
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("long.htm")));
        QCOMPARE(v->position(), 0);
        QVERIFY(v->maxPosition() > 4500);
        v->setPosition(1000);
        QCOMPARE(v->position(), 1000);
        QTest::keyClick(v.get(), Qt::Key_End);
        QCOMPARE(v->position(), v->maxPosition());
        QTest::keyClick(v.get(), Qt::Key_Home);
        QCOMPARE(v->position(), 0);
        QTest::keyClick(v.get(), Qt::Key_PageDown);
        QVERIFY(v->position() > 200);
        int y = v->position();
        QTest::keyClick(v.get(), Qt::Key_Down);
        QVERIFY(v->position() > y);
        // Painting fills tiles that later frames reuse.
        QImage img(v->viewport()->size(), QImage::Format_RGB32);
        QPainter p(&img);
        v->paintViewport(&p);
        QVERIFY(v->cachedTileCount() >= 2);
        p.end();
    }

    void widePagesPaintOnlyVisibleTiles() {
        TestPages pages;
        pages.page("w.htm", "<table width=60000><tr><td>wide</table>");
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("w.htm")));
        QImage img(v->viewport()->size(), QImage::Format_RGB32);
        QPainter p(&img);
        v->paintViewport(&p);
        p.end();
        QVERIFY(v->cachedTileCount() > 0);
        QVERIFY(v->cachedTileCount() <= 4);
    }

    // Tiles ahead of the view are painted one per pass of the event loop,
    // nearest first; each pass goes on where the last one stopped, and a
    // scroll in between moves the job along with the view.
    void tilesAheadArePaintedOnePerPass() {
        TestPages pages;
        pages.page("long.htm", "<p>first<div style='height:20000px'></div><p>last");
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("long.htm")));
        QImage img(v->viewport()->size(), QImage::Format_RGB32);
        auto paint = [&] {
            QPainter p(&img);
            v->paintViewport(&p);
        };
        auto onePass = [&] { QCoreApplication::sendPostedEvents(v.get(), QEvent::MetaCall); };
        paint(); // rows 0 and 1 (300 px high)
        QCOMPARE(v->cachedTileCount(), 2);
        const QList<int> below{2, 3}; // two rows ahead; none above the top
        for (int row : below) {
            onePass();
            QVERIFY2(v->tiles().contains(row, 0), qPrintable(QString::number(row)));
        }
        QCOMPARE(v->cachedTileCount(), 4);
        onePass();
        QCOMPARE(v->cachedTileCount(), 4); // the job is done

        v->setPosition(2000); // rows 7 and 8
        paint();
        const int shown = v->cachedTileCount();
        const QList<int> order{9, 6, 10, 5};
        for (int i = 0; i < order.size(); ++i) {
            if (i == 2)
                paint(); // a paint in between queues no second job
            onePass();
            QVERIFY2(v->tiles().contains(order[i], 0), qPrintable(QString::number(order[i])));
            QCOMPARE(v->cachedTileCount(), shown + i + 1);
        }
        onePass();
        QCOMPARE(v->cachedTileCount(), shown + 4);
    }

    void longPageShowsFirstScreenFirst() {
        TestPages pages;
        QString html = "<html><head><style>p{margin:4px}</style></head><body>";
        for (int i = 0; html.size() < 150 * 1024; ++i)
            html += QStringLiteral("<p>Paragraph %1 <b>bold</b> text<table border=1><tr><td>"
                                   "cell %1</td></tr></table>")
                        .arg(i);
        html += "<p>VeryLastWord";
        pages.page("long.htm", html);
        auto v = viewer(pages);
        v->resize(500, 400);
        v->show();
        QVERIFY(QTest::qWaitForWindowExposed(v.get()));
        QVERIFY(v->loadFile(pages.path("long.htm")));
        QImage first(v->viewport()->size(), QImage::Format_RGB32);
        {
            QPainter p(&first);
            v->paintViewport(&p);
        }
        int shortRange = v->verticalScrollBar()->maximum();
        // The rest of the page arrives on the next turn of the event loop.
        QTRY_VERIFY(v->verticalScrollBar()->maximum() > shortRange);
        QImage whole(v->viewport()->size(), QImage::Format_RGB32);
        {
            QPainter p(&whole);
            v->paintViewport(&p);
        }
        QCOMPARE(first, whole);

        // Through the event loop the window paints the first screen before
        // the rest of the page is parsed.
        struct PaintProbe : QObject {
            QScrollBar* bar = nullptr;
            int maxAtPaint = -1;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint && maxAtPaint < 0)
                    maxAtPaint = bar->maximum();
                return false;
            }
        } probe;
        probe.bar = v->verticalScrollBar();
        v->setPosition(0);
        QVERIFY(v->loadFile(pages.path("long.htm")));
        const int partial = v->verticalScrollBar()->maximum();
        v->viewport()->installEventFilter(&probe);
        QTRY_VERIFY(v->verticalScrollBar()->maximum() > partial);
        QCOMPARE(probe.maxAtPaint, partial);
        v->viewport()->removeEventFilter(&probe);

        // Anything that needs the whole page gets it at once.
        QVERIFY(v->loadFile(pages.path("long.htm")));
        QVERIFY(v->find("VeryLastWord", true));
        QVERIFY(v->position() > shortRange);
    }

    void anchorsOnLoadAndLinks() {
        TestPages pages;
        pages.page("a.htm", "<a href='#down'>jump</a><div style='height:2000px'></div>"
                            "<a name=down>here</a><div style='height:2000px'></div>");
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("a.htm#down")));
        QVERIFY(qAbs(v->position() - 2000) < 40);
        v->setPosition(0);
        const TWordIndex& w = v->document()->words();
        QRect jump = w.boundingRect(0, 4);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, jump.center());
        QVERIFY(qAbs(v->position() - 2000) < 40);
    }

    void findContinuesAndSelects() {
        TestPages pages;
        pages.page("f.htm", "<p>Check the <b>oil</b> level.<div style='height:3000px'></div>"
                            "<p>Change the oil<br>filter.");
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("f.htm")));
        QVERIFY(v->find("OIL", false));
        int first = v->selStart();
        QCOMPARE(v->selectedText(), QStringLiteral("oil"));
        QCOMPARE(v->position(), 0);
        QVERIFY(v->find("oil", false));
        QVERIFY(v->selStart() > first);
        QVERIFY(v->position() > 2500); // scrolled into view
        QVERIFY(!v->find("oil", false));
        // The host wraps by moving the selection to the top.
        v->setSelection(0, 0);
        QVERIFY(v->find("oil", false));
        QCOMPARE(v->selStart(), first);
        QVERIFY(v->find("oil   filter", false));
        QCOMPARE(v->selectedText(), QStringLiteral("oil\nfilter"));
        QVERIFY(!v->find("OIL", true));
    }

    void selectAllAndCopy() {
        TestPages pages;
        pages.page("s.htm", "<p>One two</p><p>Three</p>");
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("s.htm")));
        v->selectAll();
        QCOMPARE(v->selectedText(), QStringLiteral("One two\nThree"));
        QVERIFY(v->copyToClipboard());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("One two\nThree"));

        QString big;
        for (int i = 0; i < 4000; ++i)
            big += QStringLiteral("abcdefgh ");
        pages.page("big.htm", "<p>" + big);
        QVERIFY(v->loadFile(pages.path("big.htm")));
        v->selectAll();
        QVERIFY(v->selLength() > THTMLViewer::kMaxCopyLength);
        QString error;
        QVERIFY(!v->copyToClipboard(&error));
        QCOMPARE(error, QStringLiteral("Selected text exceeds buffer size"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("One two\nThree"));
    }

    void mouseSelection() {
        TestPages pages;
        pages.page("m.htm", "<p>alpha beta gamma delta");
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("m.htm")));
        const TWordIndex& w = v->document()->words();
        QRect beta = w.boundingRect(6, 10);
        QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, beta.center());
        QCOMPARE(v->selectedText(), QStringLiteral("beta"));
        QRect gamma = w.boundingRect(11, 16);
        QTest::mousePress(v->viewport(), Qt::LeftButton, {},
                          QPoint(beta.left(), beta.center().y()));
        QMouseEvent move(QEvent::MouseMove, QPointF(gamma.right() + 1, gamma.center().y()),
                         QPointF(), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(v->viewport(), &move);
        QTest::mouseRelease(v->viewport(), Qt::LeftButton, {},
                            QPoint(gamma.right() + 1, gamma.center().y()));
        QCOMPARE(v->selectedText(), QStringLiteral("beta gamma"));
        QCOMPARE(v->selStart(), 6);
    }

    void objectAtAndCovered() {
        TestPages pages;
        QImage img(60, 40, QImage::Format_RGB32);
        img.fill(Qt::green);
        img.save(pages.path("i.png"));
        pages.page("o.htm", "<body style='margin:0'><img src=i.png title='Oil pump'>"
                            "<br><a href=next.htm target=main>link</a>");
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("o.htm")));
        THitInfo hit = v->objectAt(QPoint(30, 20));
        QVERIFY(hit.isImage);
        QCOMPARE(hit.imageTitle, QStringLiteral("Oil pump"));
        QStringList covered;
        QObject::connect(v.get(), &THTMLViewer::hotSpotCovered,
                         [&](const QString& t, const QString& u) { covered << t + "|" + u; });
        QRect link = v->document()->words().boundingRect(0, 4);
        auto move = [&](const QPoint& p) {
            QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
            QApplication::sendEvent(v->viewport(), &e);
        };
        move(link.center());
        QCOMPARE(covered, QStringList({"main|next.htm"}));
        move(QPoint(300, 250));
        QCOMPARE(covered.last(), QStringLiteral("|"));
    }

    void dropDownOpensComboBox() {
        TestPages pages;
        pages.page("d.htm", "<select name=vin><option>A<option>B<option>C</select>");
        auto v = viewer(pages);
        v->show();
        QVERIFY(v->loadFile(pages.path("d.htm")));
        QRect r = v->formControls().at(0).rect;
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r.center());
        auto* combo = v->viewport()->findChild<QComboBox*>();
        QVERIFY(combo && combo->isVisible());
        QCOMPARE(combo->count(), 3);
        combo->hidePopup();
        emit combo->activated(2);
        QCOMPARE(v->formControls().at(0).selectedText, QStringLiteral("C"));
        // Marking visited links parses the page again; the choice stays.
        v->remarkVisited();
        QCOMPARE(v->formControls().at(0).selectedText, QStringLiteral("C"));
    }

    void listBoxesWorkInThePage() {
        TestPages pages;
        pages.page("l.htm", "<select name=one size=3><option>A<option>B<option selected>C"
                            "<option>D<option>E</select> <select name=many multiple><option>P"
                            "<option>Q<option>R</select> <select name=drop><option>X</select>");
        auto v = viewer(pages);
        v->show();
        QVERIFY(v->loadFile(pages.path("l.htm")));
        QList<TFormControlInfo> c = v->formControls();
        QVERIFY(c[0].listBox && c[1].listBox && !c[2].listBox);
        QCOMPARE(c[0].selectedText, QStringLiteral("C"));
        QVERIFY(c[1].selectedTexts.isEmpty());
        // Three rows (and four for a multiple list without a size) of one line each.
        int row = (c[0].rect.height() - 4) / 3;
        QVERIFY(row >= 10 && c[0].rect.height() > 2 * c[2].rect.height());
        QCOMPARE((c[1].rect.height() - 4) / 4, row);
        auto rowPoint = [&](const QRect& r, int i) {
            return QPoint(r.left() + 6, r.top() + 2 + i * row + row / 2);
        };
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, rowPoint(c[0].rect, 0));
        QCOMPARE(v->formControls().at(0).selectedTexts, QStringList({"A"}));
        QVERIFY(!v->viewport()->findChild<QComboBox*>());
        // The wheel scrolls the list (to its end: C, D, E), not the page.
        QPointF at = c[0].rect.center();
        QWheelEvent wheel(at, v->viewport()->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(v->viewport(), &wheel);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, rowPoint(c[0].rect, 0));
        QCOMPARE(v->formControls().at(0).selectedTexts, QStringList({"C"}));
        // The scroll bar's arrows: up once (B, C, D), down twice (C, D, E).
        QPoint up(c[0].rect.right() - 8, c[0].rect.top() + 4);
        QPoint down(c[0].rect.right() - 8, c[0].rect.bottom() - 4);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, up);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, rowPoint(c[0].rect, 2));
        QCOMPARE(v->formControls().at(0).selectedText, QStringLiteral("D"));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, down);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, down);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, rowPoint(c[0].rect, 2));
        QCOMPARE(v->formControls().at(0).selectedText, QStringLiteral("E"));

        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, rowPoint(c[1].rect, 0));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          rowPoint(c[1].rect, 2));
        QCOMPARE(v->formControls().at(1).selectedTexts, QStringList({"P", "R"}));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowPoint(c[1].rect, 1));
        QCOMPARE(v->formControls().at(1).selectedTexts, QStringList({"Q", "R"}));
        // Below the last entry nothing changes.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, rowPoint(c[1].rect, 3));
        QCOMPARE(v->formControls().at(1).selectedTexts, QStringList({"Q", "R"}));
        v->remarkVisited();
        QCOMPARE(v->formControls().at(1).selectedTexts, QStringList({"Q", "R"}));
        QCOMPARE(v->formControls().at(0).selectedText, QStringLiteral("E"));
    }

    void missingFileKeepsPage() {
        TestPages pages;
        pages.page("a.htm", "kept");
        auto v = viewer(pages);
        QVERIFY(v->loadFile(pages.path("a.htm")));
        QString error;
        QVERIFY(!v->loadFile(pages.path("b.htm"), &error));
        QCOMPARE(error, QStringLiteral("Can't locate file: ") + pages.path("b.htm"));
        QCOMPARE(v->currentFile(), pages.path("a.htm"));
    }
};

QTEST_MAIN(TstHtmlViewer)
#include "tst_htmlviewer.moc"
