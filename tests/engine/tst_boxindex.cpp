#include "TestPages.h"

#include "engine/THTMLViewer.h"
#include "engine/THtmlDocument.h"
#include "engine/TQtContainer.h"
#include "engine/TTileCache.h"

#include <QPainter>
#include <QScrollBar>
#include <QtTest>

namespace {

// A long page of paragraphs, links, nested boxes and one big table, so that
// every kind of indexed node is met.
QString longPage(int parts, const QString& extraStyle = QString()) {
    QString html = QStringLiteral("<html><head><style>a:hover { color: red } %1</style></head>"
                                  "<body>")
                       .arg(extraStyle);
    for (int i = 0; i < parts; ++i)
        html += QStringLiteral("<h3>Part %1</h3><p>The <b>oil</b> filter <a href='p%1.htm'>engine "
                               "%1</a> and <i>belt</i>.</p><div style='margin-left:20px'><p>"
                               "Nested <u>text</u> %1</p></div>")
                    .arg(i);
    html += QStringLiteral("<table border=1 cellpadding=3>");
    for (int r = 0; r < 80; ++r)
        html += QStringLiteral("<tr><td>row %1</td><td><a href='t%1.htm'>cell</a></td>"
                               "<td><b>x</b> y</td></tr>")
                    .arg(r);
    html += QStringLiteral("</table><p>The end</p></body></html>");
    return html;
}

litehtml::element::ptr rootOf(litehtml::element::ptr el) {
    while (el && el->parent())
        el = el->parent();
    return el;
}

// The page drawn by the layout library itself, with no index.
QImage libraryPaint(THtmlDocument& doc, const QRect& r, const litehtml::element::ptr& root) {
    QImage img(r.size(), QImage::Format_RGB32);
    QPainter p(&img);
    p.translate(-r.topLeft());
    p.fillRect(r, doc.settings().defBackground);
    p.setClipRect(r);
    doc.container()->setPainter(&p);
    litehtml::position clip(r.x(), r.y(), r.width(), r.height());
    auto hdc = reinterpret_cast<litehtml::uint_ptr>(&p);
    root->draw(hdc, 0, 0, &clip);
    root->draw_stacking_context(hdc, 0, 0, &clip, true);
    doc.container()->setPainter(nullptr);
    return img;
}

QImage indexPaint(THtmlDocument& doc, const QRect& r) {
    QImage img(r.size(), QImage::Format_RGB32);
    QPainter p(&img);
    p.translate(-r.topLeft());
    doc.paint(&p, r);
    return img;
}

} // namespace

class TstBoxIndex : public QObject {
    Q_OBJECT

private slots:
    // The index must find what the library's own hit test finds, in plain
    // flow, nested boxes, inline links and the cells of a big table.
    void hitTestsFindTheLibrarysElement() {
        THtmlDocument doc(nullptr, TViewerSettings());
        doc.setHtml(longPage(60), QStringLiteral("/p.htm"));
        doc.layout(600, 400);
        QVERIFY(doc.boxes().canCull());
        QVERIFY(doc.boxes().elementCount() > 1000);
        auto root = rootOf(doc.hitTest(QPoint(5, 5)).element);
        QVERIFY(root);
        int compared = 0, onLinks = 0;
        for (int y = 0; y < doc.height(); y += 9)
            for (int x = 0; x < 600; x += 23) {
                auto mine = doc.boxes().elementAt(QPoint(x, y));
                auto theirs = root->get_element_by_point(x, y, x, y);
                if (mine != theirs)
                    QFAIL(qPrintable(QStringLiteral("different element at %1,%2: %3 / %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(mine ? mine->get_tagName() : "none")
                                         .arg(theirs ? theirs->get_tagName() : "none")));
                ++compared;
                if (theirs && std::strcmp(theirs->get_tagName(), "a") == 0)
                    ++onLinks;
            }
        QVERIFY(compared > 5000);
        QVERIFY(onLinks > 20);
    }

    // Painting through the index draws the same pixels as the library's
    // whole-tree walk, wherever the screen lies (first screen, the middle,
    // the big table, a band that cuts boxes in half).
    void culledPaintingDrawsTheSamePixels() {
        THtmlDocument doc(nullptr, TViewerSettings());
        doc.setHtml(longPage(60, QStringLiteral("td { background: #eef }")),
                    QStringLiteral("/p.htm"));
        doc.layout(600, 400);
        QVERIFY(doc.boxes().canCull());
        auto root = rootOf(doc.hitTest(QPoint(5, 5)).element);
        const int h = doc.height();
        for (QRect r :
             {QRect(0, 0, 600, 400), QRect(0, h / 3 + 17, 600, 300), QRect(0, h - 900, 600, 450),
              QRect(0, h - 400, 600, 400), QRect(100, h / 2 + 5, 200, 37)}) {
            QImage mine = indexPaint(doc, r);
            QImage theirs = libraryPaint(doc, r, root);
            QVERIFY2(mine == theirs, qPrintable(QStringLiteral("differs at y=%1").arg(r.y())));
        }
    }

    // Hovering a link styles only the link again and names only its boxes:
    // the rest of the page keeps its painted tiles.
    void hoverRepaintsOnlyTheChangedBoxes() {
        THtmlDocument doc(nullptr, TViewerSettings());
        doc.setHtml(longPage(60), QStringLiteral("/p.htm"));
        doc.layout(600, 400);
        // Find a link on the first screen.
        QPoint onLink;
        for (int y = 0; y < 400 && onLink.isNull(); y += 2)
            for (int x = 0; x < 600; x += 3)
                if (doc.hitTest(QPoint(x, y)).isLink) {
                    onLink = QPoint(x, y);
                    break;
                }
        QVERIFY(!onLink.isNull());
        const QPoint plain(2, doc.height() / 2);
        QVERIFY(!doc.hitTest(plain).isLink);
        QVector<QRect> boxes;
        doc.mouseMove(plain, &boxes);
        boxes.clear();
        QVERIFY(doc.mouseMove(onLink, &boxes));
        QVERIFY(!boxes.isEmpty());
        for (const QRect& b : boxes) {
            QVERIFY(b.height() < 40);
            QVERIFY(b.adjusted(-3, -3, 3, 3).contains(onLink));
        }
        // The link is drawn in its hover colour now.
        QImage shot = indexPaint(doc, boxes.first());
        bool red = false;
        for (int y = 0; y < shot.height() && !red; ++y)
            for (int x = 0; x < shot.width() && !red; ++x)
                red = QColor(shot.pixel(x, y)).red() > 200 && QColor(shot.pixel(x, y)).green() < 80;
        QVERIFY(red);
        // Moving within the link changes nothing; leaving repaints the link,
        // also when the page was laid out again meanwhile (a resize).
        QVERIFY(!doc.mouseMove(onLink + QPoint(1, 0)));
        doc.layout(600, 500);
        boxes.clear();
        QVERIFY(doc.mouseMove(plain, &boxes));
        QVERIFY(!boxes.isEmpty());
        for (const QRect& b : boxes)
            QVERIFY(b.adjusted(-3, -3, 3, 3).contains(onLink));
    }

    // In the viewer, only the tiles under the changed boxes are dropped.
    void viewerKeepsTilesAwayFromTheHover() {
        TestPages pages;
        pages.page("p.htm", longPage(60));
        THTMLViewer v;
        v.setFileSource(&pages.source);
        v.resize(620, 900);
        v.show();
        QCoreApplication::processEvents();
        QVERIFY(v.loadFile(pages.path("p.htm")));
        v.document();
        QImage img(v.viewport()->size(), QImage::Format_RGB32);
        {
            QPainter p(&img);
            v.paintViewport(&p);
        }
        QVERIFY(v.tiles().contains(0, 0));
        QVERIFY(v.tiles().contains(1, 0));
        QVERIFY(v.tiles().contains(2, 0));
        QPoint onLink;
        for (int y = 0; y < 300 && onLink.isNull(); y += 2)
            for (int x = 0; x < 600; x += 3)
                if (v.objectAt(QPoint(x, y)).isLink) {
                    onLink = QPoint(x, y);
                    break;
                }
        QVERIFY(!onLink.isNull());
        QMouseEvent move(QEvent::MouseMove, QPointF(onLink), v.viewport()->mapToGlobal(onLink),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(v.viewport(), &move);
        // Only the tile row of the link is dropped: the others stay painted.
        const int row = onLink.y() / v.tiles().tileSize().height();
        QVERIFY(!v.tiles().contains(row, 0));
        QVERIFY(v.tiles().contains(row + 2, 0));
        if (row > 0)
            QVERIFY(v.tiles().contains(0, 0));
    }

    void tileCacheStaysWithinItsBound() {
        const QSize tile(100, 50);
        QPixmap pix(tile);
        const qint64 one = qint64(pix.width()) * pix.height() * (pix.depth() / 8);
        TTileCache cache(tile, one * 4);
        for (int row = 0; row < 10; ++row)
            cache.insert(row, 0, pix, 9, 0);
        QVERIFY(cache.bytes() <= cache.maxBytes());
        QCOMPARE(cache.count(), 4);
        // The tiles near the view (row 9) stayed.
        for (int row = 6; row < 10; ++row)
            QVERIFY(cache.contains(row, 0));
        // Dropping a rectangle drops the tiles it meets only.
        QCOMPARE(cache.invalidate(QRect(10, 360, 20, 45)), 2); // rows 7 and 8
        QVERIFY(cache.contains(6, 0));
        QVERIFY(!cache.contains(7, 0));
        QVERIFY(!cache.contains(8, 0));
        QVERIFY(cache.contains(9, 0));
        QCOMPARE(cache.bytes(), one * 2);
    }
};

QTEST_MAIN(TstBoxIndex)
#include "tst_boxindex.moc"
