#include "DocumentProbes.h"
#include "TestPages.h"

#include "engine/TElFormControl.h"
#include "engine/TFontResolver.h"
#include "engine/THtmlDocument.h"
#include "engine/TPageFilter.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QtTest>

// Pages written by many hands and tools, drawn as a browser draws them: each
// case loads a probe page of tests/engine/pages and checks the geometry or
// the pixels that a reader would see differ.
class TstFidelity : public QObject {
    Q_OBJECT

    TViewerSettings settings;
    TestPages pages; // the file source; probe pages are read by absolute path

    std::unique_ptr<THtmlDocument> probe(const char* name, int width = 400) {
        auto doc = std::make_unique<THtmlDocument>(&pages.source, settings);
        QString error;
        const QString path = QStringLiteral(VANTREL_SOURCE_DIR "/tests/engine/pages/") + name;
        if (!doc->load(path, &error))
            qWarning() << error;
        doc->layout(width);
        return doc;
    }
    // Pixels of a rectangle that are mostly of one hue.
    static int countPixels(const QImage& img, const QRect& r,
                           const std::function<bool(QColor)>& f) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (img.rect().contains(x, y) && f(img.pixelColor(x, y)))
                    ++n;
        return n;
    }
    static bool inked(QColor c) { return c.red() + c.green() + c.blue() < 600; }

private slots:
    void linkUnderlineRunsUnbrokenUnderSpaces() {
        auto doc = probe("01_link_underline.htm");
        const QImage img = paintOnWhite(*doc, 400, doc->height());
        for (int line = 0; line < 2; ++line) {
            // The words of one link on its own line.
            const QRect first = line == 0 ? wordRect(*doc, "Where") : QRect();
            const QString text = doc->words().text();
            const int at = line == 0 ? text.indexOf("Where") : text.indexOf("Where", 10);
            const QRect run = doc->words().boundingRect(at, at + 27);
            Q_UNUSED(first);
            // The underline is the fullest row below the middle of the run.
            int bestRow = -1, best = -1;
            for (int y = run.center().y(); y <= run.bottom() + 3; ++y) {
                int n = countPixels(img, QRect(run.left(), y, run.width(), 1), inked);
                if (n > best)
                    best = n, bestRow = y;
            }
            QVERIFY(bestRow > 0);
            // One line at one height from the first word to the last.
            QCOMPARE(best, run.width());
        }
    }

    void verticalMarginsCollapse() {
        auto doc = probe("02_margins.htm");
        auto gap = [&](const QString& a, const QString& b) {
            const QRect ra = wordRect(*doc, a), rb = wordRect(*doc, b);
            return rb.top() - (ra.top() + ra.height());
        };
        // Siblings: the larger of the two margins.
        QCOMPARE(gap("First", "Second"), 30);
        // An empty block between collapses through.
        QCOMPARE(gap("Second", "Third"), 16);
        // A first child's margin with its parent's and the sibling before.
        QCOMPARE(gap("Third", "Nested"), 25);
        // A paragraph in a list item: one margin with the list's.
        QCOMPARE(gap("Nested", "Item"), 25);
        QCOMPARE(gap("Item", "Heading"), 12);
        // "line-height: 2em" of a 10px block: 20px lines in a 20px paragraph.
        QCOMPARE(wordRect(*doc, "Line two").top() - wordRect(*doc, "Line one").top(), 20);
    }

    void fontListRendersAsItsFirstAvailableFamily() {
        if (TFontResolver::installed(QStringLiteral("Arial")).isEmpty())
            QSKIP("neither Arial nor a metric-compatible substitute is installed");
        QCOMPARE(TFontResolver::resolve(QStringLiteral("'Trebuchet MS', Verdana, Arial"),
                                        QStringLiteral("Times New Roman")),
                 TFontResolver::installed(QStringLiteral("Arial")));
        auto doc = probe("03_font_list.htm");
        const QImage img = paintOnWhite(*doc, 400, doc->height());
        const QString text = doc->words().text();
        QList<QRect> lines;
        for (int at = text.indexOf("Mississippi"); at >= 0;
             at = text.indexOf("Mississippi", at + 1))
            lines << doc->words().boundingRect(at, at + 20);
        QCOMPARE(lines.size(), 3);
        // The lists draw exactly what "Arial" alone draws (the second line).
        const QImage arial = img.copy(lines[1]);
        QCOMPARE(lines[0].size(), lines[1].size());
        QCOMPARE(lines[2].size(), lines[1].size());
        QCOMPARE(img.copy(lines[0]), arial);
        QCOMPARE(img.copy(lines[2]), arial);
    }

    void styleBlockInACommentKeepsItsFirstRule() {
        auto doc = probe("04_style_comment.htm");
        const QImage img = paintOnWhite(*doc, 400, doc->height());
        auto red = [](QColor c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; };
        auto blue = [](QColor c) { return c.blue() > 150 && c.red() < 100 && c.green() < 100; };
        QVERIFY(countPixels(img, wordRect(*doc, "Red"), red) > 5);
        QVERIFY(countPixels(img, wordRect(*doc, "Blue"), blue) > 5);
    }

    void tablesFitTheWindowWhenOnlyCellWidthsPush() {
        for (int width : {400, 600}) {
            auto doc = probe("05_table_widths.htm", width);
            QCOMPARE(doc->width(), width);
            // The fixed cells gave way; the text beside them still wraps only
            // between words.
            QVERIFY(wordRect(*doc, "Fixed").right() < width);
            QVERIFY(wordRect(*doc, "longest").isValid());
            // The nested tables beside the fixed menu column end inside the
            // window, the last word of their paragraph too.
            QVERIFY(wordRect(*doc, "Menu").left() < 200);
            QVERIFY(wordRect(*doc, "more.").right() < width);
        }
    }

    void tabsInPreformattedTextStopAtMultiplesOfEight() {
        auto doc = probe("06_pre_tabs.htm");
        const double column = wordRect(*doc, "0123456789").width() / 10.0;
        // Spaces are measured one by one in whole pixels, so a column is
        // placed within a pixel of its place per space.
        QCOMPARE(wordRect(*doc, "a").left(), 0);
        QVERIFY(qAbs(wordRect(*doc, "b").left() - 8 * column) < column * 0.6);
        QVERIFY(qAbs(wordRect(*doc, "j").left() - 16 * column) < column * 0.6);
    }

    void commentsInOptionsAreNotShown() {
        auto doc = probe("07_option_comment.htm");
        const QList<TFormControlInfo> controls = doc->formControls();
        QCOMPARE(controls.size(), 1);
        QCOMPARE(controls[0].options, QStringList({"One", "Two"}));
        QCOMPARE(controls[0].selectedText, QStringLiteral("One"));
    }

    void nestedDefinitionListsHaveNoMargins() {
        auto doc = probe("08_nested_dl.htm");
        const QRect def = wordRect(*doc, "Definition"), inner = wordRect(*doc, "Inner term");
        QCOMPARE(inner.top(), def.top() + def.height());
    }

    void linkRelComparesWithoutCase() {
        auto doc = probe("09_rel_case.htm");
        const QImage img = paintOnWhite(*doc, 400, doc->height());
        auto green = [](QColor c) { return c.green() > 150 && c.red() < 120 && c.blue() < 120; };
        QVERIFY(countPixels(img, wordRect(*doc, "Green"), green) > 5);
    }

    void invalidBackgroundDeclarationIsIgnoredWhole() {
        auto doc = probe("10_bad_background.htm");
        const QImage img = paintOnWhite(*doc, 400, doc->height());
        // The earlier valid colour stays (style sheet and style attribute).
        QCOMPARE(img.pixelColor(300, 20), QColor(0, 255, 0));
        QCOMPARE(img.pixelColor(300, 60), QColor(0, 0, 255));
    }

    void oldPagesDropDefaultMarginsAtCellEdges() {
        // Body margin 8, table border 1, spacing 2, cell border 1, padding 1.
        const int cellTop = 8 + 1 + 2 + 1 + 1;
        auto quirks = probe("11_cell_margins.htm");
        QCOMPARE(wordRect(*quirks, "one").top(), cellTop);
        // Between the paragraphs the margin stays.
        const QRect one = wordRect(*quirks, "one");
        QCOMPARE(wordRect(*quirks, "two").top(), one.top() + one.height() + 11);
        // A page with a standards document type keeps it at the edge too.
        auto standards = probe("11_cell_margins_standards.htm");
        QCOMPARE(wordRect(*standards, "one").top(), cellTop + 11);
    }

    void pageFilterTakesOnePassOverUnclosedBlocks() {
        // Start tags whose end tag never comes (or came before them): each
        // must not send the filter through the rest of the page again (a
        // search per start tag took minutes here; the test's time limit
        // catches it).
        QString page = QStringLiteral("</pre></style>");
        for (int i = 0; i < 60000; ++i)
            page += QStringLiteral("<pre>\tx<style>\ty{}");
        QCOMPARE(TPageFilter::mend(page), page);
    }
};

QTEST_MAIN(TstFidelity)
#include "tst_fidelity.moc"
