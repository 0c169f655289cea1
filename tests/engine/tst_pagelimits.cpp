#include "TestPages.h"

#include "engine/TCssLimits.h"
#include "engine/THtmlDocument.h"
#include "engine/TPageLimits.h"

#include <gumbo.h>

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <utility>
#include <vector>

// Hostile pages: each once crashed, hung or exhausted memory in the layout
// engine. They must now lay out and paint, and the markup the engine gets
// must really be within the limits as an HTML parser reads it.
class TstPageLimits : public QObject {
    Q_OBJECT

    TViewerSettings settings;

    struct Shape {
        int depth = 0;      // deepest element
        int tableDepth = 0; // deepest nesting of tables
        int maxColspan = 0;
        int maxRowspan = 0;
    };
    // Measured by the parser the layout engine itself uses.
    static Shape shapeOf(const QByteArray& html) {
        Shape s;
        GumboOutput* out =
            gumbo_parse_with_options(&kGumboDefaultOptions, html.constData(), size_t(html.size()));
        struct Item {
            const GumboNode* node;
            int depth, tables;
        };
        std::vector<Item> todo{{out->root, 1, 0}};
        while (!todo.empty()) {
            Item it = todo.back();
            todo.pop_back();
            if (it.node->type != GUMBO_NODE_ELEMENT)
                continue;
            const GumboElement& e = it.node->v.element;
            int tables = it.tables + (e.tag == GUMBO_TAG_TABLE ? 1 : 0);
            s.depth = qMax(s.depth, it.depth);
            s.tableDepth = qMax(s.tableDepth, tables);
            if (const GumboAttribute* a = gumbo_get_attribute(&e.attributes, "colspan"))
                s.maxColspan = qMax(s.maxColspan, QByteArray(a->value).toInt());
            if (const GumboAttribute* a = gumbo_get_attribute(&e.attributes, "rowspan"))
                s.maxRowspan = qMax(s.maxRowspan, QByteArray(a->value).toInt());
            for (unsigned i = 0; i < e.children.length; ++i)
                todo.push_back(
                    {static_cast<const GumboNode*>(e.children.data[i]), it.depth + 1, tables});
        }
        gumbo_destroy_output(&kGumboDefaultOptions, out);
        return s;
    }

    static QByteArray repeat(const QByteArray& part, int n) {
        QByteArray out;
        out.reserve(part.size() * n);
        for (int i = 0; i < n; ++i)
            out += part;
        return out;
    }

    // Loads, lays out and paints the page; returns its height.
    int render(const QByteArray& html) {
        TestPages pages;
        pages.write(QStringLiteral("p.htm"), html);
        THtmlDocument doc(&pages.source, settings);
        if (!doc.load(pages.path(QStringLiteral("p.htm"))))
            return -1;
        int h = doc.layout(600);
        QImage img(200, 200, QImage::Format_RGB32);
        QPainter p(&img);
        doc.paint(&p, QRect(0, 0, 200, 200));
        return h;
    }

private slots:
    void ordinaryPagesPassUnchanged() {
        const QByteArray page =
            "<html><head><style>p, td > b { color: red } @media print { p { color: black } "
            "}</style></head><body><p>one<p>two<ul><li>a<li>b</ul>"
            "<table><tr><td colspan=2>x<td rowspan='3'>y<tr><td>z</table>"
            "<div><span><b>t</span></b></div><script>if (a<b) x='</div>';</script></body></html>";
        TPageLimits::Report r;
        QCOMPARE(TPageLimits::apply(page, &r), page);
        QVERIFY(!r.changed());
    }

    // Deep nesting overflowed the stack (20 000 levels) or took many
    // seconds (5 000); deeper elements are now attached at the cap.
    void deepNestingIsCapped_data() {
        QTest::addColumn<QByteArray>("open");
        QTest::addColumn<QByteArray>("close");
        QTest::newRow("div") << QByteArray("<div>") << QByteArray("</div>");
        QTest::newRow("unclosed div") << QByteArray("<div>x") << QByteArray();
        QTest::newRow("font") << QByteArray("<font size=2>") << QByteArray("</font>");
        QTest::newRow("blockquote") << QByteArray("<blockquote>") << QByteArray();
        QTest::newRow("span b i") << QByteArray("<span><b><i>") << QByteArray();
        QTest::newRow("table") << QByteArray("<table><tr><td>") << QByteArray();
        QTest::newRow("list") << QByteArray("<ul><li>") << QByteArray();
    }
    void deepNestingIsCapped() {
        QFETCH(QByteArray, open);
        QFETCH(QByteArray, close);
        QByteArray html = "<html><body>" + repeat(open, 20000) + "deep" + repeat(close, 20000) +
                          "<p>after</p></body></html>";
        TPageLimits::Report r;
        QByteArray limited = TPageLimits::apply(html, &r);
        QVERIFY(r.depthCapped || r.tablesFlattened);
        QVERIFY(shapeOf(limited).depth <= TPageLimits::maxDepth);
        QVERIFY(limited.contains("deep"));
        QVERIFY(render(html) > 0);
    }

    // Table layout cost grew 2.6x per nesting level (20 levels: minutes).
    void nestedTablesAreFlattened() {
        QByteArray html = "<table border=1><tr><td>" +
                          repeat("<table border=1><tr><td>a</td><td>", 24) + "core" +
                          repeat("</td></tr></table>", 24) + "</td></tr></table>";
        TPageLimits::Report r;
        QByteArray limited = TPageLimits::apply(html, &r);
        QVERIFY(r.tablesFlattened);
        QCOMPARE(shapeOf(limited).tableDepth, TPageLimits::maxTableDepth);
        QVERIFY(limited.contains("core"));
        QVERIFY(render(html) > 0);
        // Implied ends inside flattened tables do not let nesting creep back.
        QByteArray unclosed = repeat("<table><tr><td>a<td>b<tr><td>", 40) + "x";
        QVERIFY(shapeOf(TPageLimits::apply(unclosed)).tableDepth <= TPageLimits::maxTableDepth);
        QVERIFY(render(unclosed) > 0);
    }

    // colspan=2147483647 exhausted memory.
    void spansAreClamped() {
        QByteArray html = "<table><tr><td colspan=2147483647>a</td><td colspan=\"99999999999\">"
                          "b<td rowspan= 4000000000 >c<td colspan=-3>d</table>";
        TPageLimits::Report r;
        QByteArray limited = TPageLimits::apply(html, &r);
        QVERIFY(r.spansClamped);
        Shape s = shapeOf(limited);
        QCOMPARE(s.maxColspan, TPageLimits::maxColspan);
        QCOMPARE(s.maxRowspan, TPageLimits::maxRowspan);
        QVERIFY(!limited.contains("-3"));
        QVERIFY(render(html) > 0);
    }

    // A selector of 20 000 compound parts exhausted memory in the selector
    // parser; the rest of the sheet still applies.
    void overlongSelectorsAreDropped() {
        QByteArray huge = repeat("div ", 20000) + "p";
        QByteArray css = "b { color: blue }\n" + huge + ", i { color: red }\n" + huge +
                         " { color: red }\n@media screen { " + huge + " { x: y } u { c: d } }";
        int dropped = 0;
        QByteArray out = TCssLimits::apply(css, &dropped);
        QCOMPARE(dropped, 3);
        QVERIFY(out.size() < 200);
        QVERIFY(out.contains("b { color: blue }"));
        QVERIFY(out.contains("i { color: red }"));
        QVERIFY(out.contains("u { c: d }"));
        QByteArray deep = repeat("@media screen {", 5000) + "p{}" + repeat("}", 5000);
        QVERIFY(TCssLimits::apply(deep).size() < 1000);

        QByteArray html = "<style>" + css + "</style><style>" + deep + "</style><p>text</p>";
        TPageLimits::Report r;
        TPageLimits::apply(html, &r);
        QCOMPARE(r.selectorsDropped, 3 + 1);
        QVERIFY(render(html) > 0);
    }
};

QTEST_MAIN(TstPageLimits)
#include "tst_pagelimits.moc"
