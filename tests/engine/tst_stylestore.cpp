#include "DocumentProbes.h"
#include "TestPages.h"

#include "engine/TElFormControl.h"
#include "engine/THtmlDocument.h"
#include "engine/TInheritedStyles.h"
#include "engine/TLegacyElements.h"
#include "engine/TQtContainer.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

// Elements share their parsed property maps through the page's style store;
// what a page looks like, before and after the pointer has been over it,
// must not change.
class TstStyleStore : public QObject {
    Q_OBJECT

    // Pixels of about `colour` inside `r` (text is smoothed).
    static int count(THtmlDocument& doc, const QRect& r, QRgb colour) {
        const QImage img = paintOnWhite(doc, 600, doc.height());
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qAbs(qRed(img.pixel(x, y)) - qRed(colour)) < 64 &&
                     qAbs(qGreen(img.pixel(x, y)) - qGreen(colour)) < 64 &&
                     qAbs(qBlue(img.pixel(x, y)) - qBlue(colour)) < 64;
        return n;
    }
    // The nearest element with tag `tag` at or above the element under `p`.
    static litehtml::element::ptr elementAt(const THtmlDocument& doc, const QPoint& p,
                                            const char* tag) {
        for (auto e = doc.hitTest(p).element; e; e = e->parent())
            if (e->get_tagName() && std::strcmp(e->get_tagName(), tag) == 0)
                return e;
        return {};
    }
    template <class Base> static const litehtml::style* shared(const litehtml::element::ptr& e) {
        auto* styled = dynamic_cast<const TStyled<Base>*>(e.get());
        return styled ? styled->sharedStyle() : nullptr;
    }

private slots:
    // Equal maps are kept once, and what elements read from them during and
    // after the parse (text colour inherited from a shared cell at paint
    // time, a value that says "inherit", border hints, a style attribute on
    // one of many equal cells) comes out as the page says.
    void sharedMapsAnswerAfterParse() {
        TestPages pages;
        QString rows;
        for (int i = 0; i < 30; ++i)
            rows += QStringLiteral("<tr><td><b>CELL%1</b></td><td>x</td></tr>")
                        .arg(i, 2, 10, QLatin1Char('0'));
        pages.page("t.htm", "<style>.c td { color: #ff0000 }</style><body style='margin:0'>"
                            "<div style='color: #0000ff'><p style='color: inherit'>INHERITED</p>"
                            "</div><table class=c border=1 cellpadding=3 cellspacing=0>" +
                                rows +
                                "<tr><td style='color: #00ff00'><b>OWNCOLOUR</b></td></tr>"
                                "</table>");
        TViewerSettings settings;
        THtmlDocument doc(&pages.source, settings);
        QVERIFY(doc.load(pages.path("t.htm")));
        doc.layout(600);

        const TStyleStore& store = doc.container()->styleStore();
        QVERIFY(store.interned() > 120);
        QVERIFY2(store.size() < 30, qPrintable(QString::number(store.size())));

        const QRect first = wordRect(doc, "CELL00"), last = wordRect(doc, "CELL29");
        QVERIFY(!first.isEmpty() && !last.isEmpty());
        const auto a = elementAt(doc, first.center(), "td");
        const auto b = elementAt(doc, last.center(), "td");
        QVERIFY(a && b && a != b);
        QVERIFY(shared<TElCell>(a) != nullptr);
        QCOMPARE(shared<TElCell>(a), shared<TElCell>(b));
        // The border hint, expanded, read from the shared map.
        QCOMPARE(QByteArray(b->get_style_property("border-left-width", false, "none")), "1px");
        // Text of a shared cell is painted in the cell's colour (the text
        // asks its parents at paint time), the "inherit" paragraph in its
        // parent's.
        QVERIFY(count(doc, first, qRgb(255, 0, 0)) > 10);
        QVERIFY(count(doc, last, qRgb(255, 0, 0)) > 10);
        QVERIFY(count(doc, wordRect(doc, "INHERITED"), qRgb(0, 0, 255)) > 10);
        // A style attribute is added to a map that was shared until then.
        QVERIFY(count(doc, wordRect(doc, "OWNCOLOUR"), qRgb(0, 255, 0)) > 10);
        QCOMPARE(count(doc, wordRect(doc, "OWNCOLOUR"), qRgb(255, 0, 0)), 0);
        // The hints laid out: the table's border, the cell's, its padding.
        QCOMPARE(first.left(), 1 + 1 + 3);
    }

    // Two links share a map; the one under the pointer is styled again
    // (:hover) and the other keeps its colour. The children of the hovered
    // link are parsed again, asking the shared maps above for their
    // inherited values (font size), and all comes back when it is left:
    // nothing of the hover rule (its background) stays behind.
    void hoverRestylesOneOfEqualElements() {
        TestPages pages;
        pages.page("t.htm", "<style>a.k { color: #ff0000 } a.k:hover { color: #00ff00; "
                            "background-color: #ffff00 }</style>"
                            "<body style='margin:0'><div style='font-size: 30px'><p>"
                            "<a class=k href='x.htm'><b>FIRST</b></a> "
                            "<a class=k href='y.htm'><b>SECOND</b></a></p></div>");
        TViewerSettings settings;
        settings.overLinksActive = false;
        THtmlDocument doc(&pages.source, settings);
        QVERIFY(doc.load(pages.path("t.htm")));
        doc.layout(600);
        const QRect first = wordRect(doc, "FIRST"), second = wordRect(doc, "SECOND");
        QVERIFY(first.height() > 25);
        const auto a = elementAt(doc, first.center(), "a");
        const auto b = elementAt(doc, second.center(), "a");
        QVERIFY(a && b && a != b);
        const litehtml::style* both = shared<litehtml::el_anchor>(b);
        QVERIFY(both != nullptr);
        QCOMPARE(shared<litehtml::el_anchor>(a), both);
        const QByteArray red = b->get_style_property("color", true, "");
        const int firstRed = count(doc, first, qRgb(255, 0, 0));
        const int secondRed = count(doc, second, qRgb(255, 0, 0));
        QVERIFY(firstRed > 20 && secondRed > 20);

        doc.mouseMove(first.center());
        // As large as before: the restyled text found the div's font size.
        QVERIFY(count(doc, first, qRgb(0, 255, 0)) > firstRed * 3 / 4);
        QCOMPARE(count(doc, first, qRgb(255, 0, 0)), 0);
        QVERIFY(count(doc, first, qRgb(255, 255, 0)) > 100);
        QCOMPARE(count(doc, second, qRgb(255, 0, 0)), secondRed);
        QCOMPARE(count(doc, second, qRgb(255, 255, 0)), 0);
        QCOMPARE(QByteArray(b->get_style_property("color", true, "")), red);
        QCOMPARE(shared<litehtml::el_anchor>(b), both);
        QCOMPARE(wordRect(doc, "FIRST"), first);
        QCOMPARE(wordRect(doc, "SECOND"), second);

        // Over the other link, then away: each in its own colour again.
        doc.mouseMove(second.center());
        QCOMPARE(count(doc, first, qRgb(255, 0, 0)), firstRed);
        QVERIFY(count(doc, second, qRgb(0, 255, 0)) > 20);
        doc.mouseLeave();
        QCOMPARE(count(doc, first, qRgb(255, 0, 0)), firstRed);
        QCOMPARE(count(doc, second, qRgb(255, 0, 0)), secondRed);
        QCOMPARE(count(doc, first, qRgb(255, 255, 0)), 0);
        QCOMPARE(count(doc, second, qRgb(255, 255, 0)), 0);
        QCOMPARE(QByteArray(a->get_style_property("color", true, "")), red);
        QCOMPARE(wordRect(doc, "FIRST"), first);
    }
};

QTEST_MAIN(TstStyleStore)
#include "tst_stylestore.moc"
