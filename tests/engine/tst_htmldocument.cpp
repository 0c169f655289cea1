#include "DocumentProbes.h"
#include "TestPages.h"

#include "engine/HtmlMarkup.h"
#include "engine/TElFormControl.h"
#include "engine/THtmlDocument.h"
#include "engine/TLegacyElements.h"
#include "engine/TMasterCss.h"
#include "engine/TPageDecoder.h"
#include "engine/TTextMatcher.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

class TstHtmlDocument : public QObject {
    Q_OBJECT

    TViewerSettings settings;

    std::unique_ptr<THtmlDocument> open(TestPages& pages, const QString& name, int width = 600) {
        auto doc = std::make_unique<THtmlDocument>(&pages.source, settings);
        QString error;
        if (!doc->load(pages.path(name), &error))
            qWarning() << error;
        doc->layout(width);
        return doc;
    }
    static int wordStart(const THtmlDocument& doc, const QString& word) {
        return doc.words().text().indexOf(word);
    }
    static QRect wordRect(const THtmlDocument& doc, const QString& word) {
        int at = wordStart(doc, word);
        return at < 0 ? QRect() : doc.words().boundingRect(at, at + int(word.size()));
    }

private slots:
    // Only the default rules for elements the page can hold are kept: tag
    // names as written (any case, closing tags too) and the elements the
    // parser adds by itself. Pages that rely on those added elements lay out
    // as with the whole sheet.
    void defaultRulesForThePagesElements() {
        const QSet<QByteArray> tags =
            mastercss::tagsOf("<P>one</p><TABLE><td>x</table></br><isindex><image src=a>");
        for (const char* t : {"p", "table", "td", "br", "html", "head", "body", "tbody", "tr", "hr",
                              "input", "img"})
            QVERIFY2(tags.contains(t), t);
        QVERIFY(!tags.contains("ul"));
        QVERIFY(!tags.contains("li"));
        const QString css = QStringLiteral("ul, p, ol { margin: 1em; }\n* { x: y; }\n"
                                           "center table { a: b; }\nul li { c: d; }\n"
                                           "[dir] { e: f; }\na[href]:hover { g: h; }\n"
                                           "li { i: j; }\n");
        QCOMPARE(mastercss::forTags(css, {"p", "table", "a"}),
                 QStringLiteral("p { margin: 1em; }\n* { x: y; }\ncenter table { a: b; }\n"
                                "[dir] { e: f; }\na[href]:hover { g: h; }\n"));

        // Rows and row groups the parser adds get their display rules: the
        // cells stand side by side. A stray </p> makes a paragraph with its
        // margins.
        TestPages pages;
        pages.page("t.htm", "<body style='margin:0'><table cellspacing=0 cellpadding=0>"
                            "<td>Alpha<td>Beta</table></p><div>Gamma</div>");
        auto doc = open(pages, "t.htm");
        const QRect alpha = wordRect(*doc, "Alpha");
        const QRect beta = wordRect(*doc, "Beta");
        QCOMPARE(beta.top(), alpha.top());
        QVERIFY(beta.left() > alpha.right());
        QVERIFY(wordRect(*doc, "Gamma").top() > alpha.bottom() + 10);
    }

    void charsetDetection_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("charset");
        QTest::newRow("none") << QByteArray("<html><body>x") << "windows-1251";
        QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF<html>") << "utf-8";
        QTest::newRow("http-equiv")
            << QByteArray("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                          "charset=UTF-8\">")
            << "utf-8";
        QTest::newRow("html5") << QByteArray("<meta charset='koi8-r'>") << "koi8-r";
        QTest::newRow("charset in body text only")
            << QByteArray("<p>charset=utf-8</p>") << "windows-1251";
    }
    void charsetDetection() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, charset);
        QCOMPARE(TPageDecoder::detectCharset(bytes), charset);
    }

    void pagesDecodeInTheirCharset() {
        TestPages pages;
        pages.page("a.htm", QStringLiteral("<title>Двигатель</title><p>Поршень"));
        pages.write("b.htm",
                    QByteArray("<meta charset=utf-8><p>") + QStringLiteral("Ключ").toUtf8());
        pages.write("c.htm", QByteArray("\xEF\xBB\xBF<p>") + QStringLiteral("Фара").toUtf8());
        auto a = open(pages, "a.htm");
        QCOMPARE(a->title(), QStringLiteral("Двигатель"));
        QVERIFY(a->words().text().contains(QStringLiteral("Поршень")));
        QVERIFY(open(pages, "b.htm")->words().text().contains(QStringLiteral("Ключ")));
        QVERIFY(open(pages, "c.htm")->words().text().contains(QStringLiteral("Фара")));
    }

    void missingPageFailsWithItsPath() {
        TestPages pages;
        THtmlDocument doc(&pages.source, settings);
        QString error;
        QVERIFY(!doc.load(pages.path("none.htm"), &error));
        QCOMPARE(error, QStringLiteral("Can't locate file: ") + pages.path("none.htm"));
        QVERIFY(!doc.isLoaded());
    }

    void textAndPictureFiles() {
        TestPages pages;
        pages.page("read.txt", QStringLiteral("Line <one>\n    indented"));
        auto t = open(pages, "read.txt");
        QVERIFY2(t->words().text().contains(QStringLiteral("Line <one> indented")),
                 qPrintable(t->words().text()));
        QVERIFY(wordRect(*t, "indented").top() > wordRect(*t, "Line").top());
        QVERIFY(wordRect(*t, "indented").left() > wordRect(*t, "Line").left() + 10);

        QImage img(123, 45, QImage::Format_RGB32);
        img.fill(Qt::red);
        img.save(pages.path("pic.bmp"));
        auto p = open(pages, "pic.bmp");
        QCOMPARE(p->pictureSize(), QSize(123, 45));
        QVERIFY(p->height() >= 45);
    }

    // Inherited styles are remembered per element while a page's styles are
    // parsed: on a page of thousands of elements (more than the table that
    // remembers them has places) each word still takes what its own
    // ancestors say, and "inherit" and an override in between hold.
    void inheritedStylesOnALongPage() {
        QString html = QStringLiteral("<body style='margin:0'>");
        for (int i = 0; i < 1200; ++i)
            html += QStringLiteral("<div style='text-align:%1'><p><span><b>W%2x</b></span></p>"
                                   "</div>")
                        .arg(i % 3 == 0 ? "right" : (i % 3 == 1 ? "center" : "left"))
                        .arg(i);
        html += QStringLiteral("<div style='white-space:nowrap; text-align:right'><p "
                               "style='text-align:inherit'><b>Ra Rb Rc Rd Re Rf Rg Rh Ri Rj Rk Rl "
                               "Rm Rn Ro Rp Rq Rr Rs Rt Ru Rv Rw Rx Ry Rz Sa Sb Sc Sd Se Sf Sg Sh "
                               "Si Sj Sk Sl Sm Sn So Sp Sq Sr Ss St Su Sv Sw Sx Sy Sz</b></p><p "
                               "style='text-align:left; white-space:normal'><i>Lone</i></p></div>");
        TestPages pages;
        pages.page("t.htm", html);
        auto doc = open(pages, "t.htm", 400);
        for (int i = 0; i < 1200; i += 97) {
            const QRect r = wordRect(*doc, QStringLiteral("W%1x").arg(i));
            QVERIFY2(!r.isNull(), qPrintable(QString::number(i)));
            if (i % 3 == 0)
                QVERIFY2(r.right() > 340, qPrintable(QString::number(i)));
            else if (i % 3 == 1)
                QVERIFY2(r.left() > 150 && r.right() < 250, qPrintable(QString::number(i)));
            else
                QVERIFY2(r.left() < 20, qPrintable(QString::number(i)));
        }
        // nowrap from the div: one line, past the right edge.
        QCOMPARE(wordRect(*doc, "Ra").top(), wordRect(*doc, "Sz").top());
        QVERIFY(wordRect(*doc, "Sz").right() > 400);
        QVERIFY(wordRect(*doc, "Lone").left() < 20);
    }

    // A cell's vertical alignment places the cell's content; the words and
    // inline elements inside it stay on their line's baseline.
    void cellAlignmentIsNotInheritedByInlineText() {
        TestPages pages;
        pages.page("t.htm", "<body style='margin:0'><table cellspacing=0 cellpadding=0><tr>"
                            "<td valign=top>small <span style='display:inline-block; "
                            "width:10px; height:60px; background:red'></span> after</td>"
                            "<td style='height:300px'>tall</td></tr></table>");
        auto doc = open(pages, "t.htm");
        const QRect small = wordRect(*doc, "small"), after = wordRect(*doc, "after");
        // The block sits on the line's baseline: the words are at its foot.
        QVERIFY2(small.top() > 40, qPrintable(QString::number(small.top())));
        QCOMPARE(after.top(), small.top());
    }

    // Hovering a link styles it again; the presentational attributes of what
    // is inside it (<font color size>) hold while the pointer is over it and
    // after it has left, as the page's own rules do.
    void hoverKeepsPresentationalAttributes() {
        TestPages pages;
        pages.page("t.htm", "<body style='margin:0'><p><a href='x.htm'><font color=#ff0000 "
                            "size=7>REDWORD</font></a> <a href='y.htm' style='color:#00ff00'>"
                            "<font color=#0000ff>other</font></a>");
        TViewerSettings s = settings;
        s.overLinksActive = true;
        s.overLinkColor = QColor(0, 0, 255);
        THtmlDocument doc(&pages.source, s);
        QVERIFY(doc.load(pages.path("t.htm")));
        doc.layout(600);
        const QRect red = wordRect(doc, "REDWORD"), other = wordRect(doc, "other");
        auto count = [&](const QRect& r, QRgb colour) {
            const QImage img = paintOnWhite(doc, 600, 100);
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    n += img.pixel(x, y) == colour;
            return n;
        };
        const int before = count(red, qRgb(255, 0, 0));
        QVERIFY(before > 100);
        QVERIFY(doc.mouseMove(red.center()));
        QCOMPARE(count(red, qRgb(255, 0, 0)), before);
        QVERIFY(doc.mouseMove(other.center()));
        QCOMPARE(count(red, qRgb(255, 0, 0)), before);
        QVERIFY(count(other, qRgb(0, 0, 255)) > 20);
        QVERIFY(doc.mouseLeave());
        QCOMPARE(count(red, qRgb(255, 0, 0)), before);
        QCOMPARE(wordRect(doc, "REDWORD"), red);
    }

    // Lengths of HTML 4 attributes: pixels unless a percent sign follows,
    // whatever trails; junk gives nothing.
    void legacyLengths() {
        const QList<QPair<QString, QString>> cases{
            {"100", "100px"}, {" 50 % ", "50%"}, {"12.5px", "12.5px"}, {"7.", "7px"},
            {"3.x", "3px"},   {"20pt", "20px"},  {"abc", ""},          {"", ""},
            {"-5", ""},       {"0", "0px"},      {"40%25", "40%"},     {"\u0661\u0662", ""}};
        for (const auto& c : cases)
            QCOMPARE(legacyLength(c.first), c.second);
    }

    void cellpaddingAndSpacing() {
        TestPages pages;
        pages.page("t.htm", "<body style='margin:0'>"
                            "<table cellpadding=10 cellspacing=0 border=0>"
                            "<tr><td>Alpha</td><td>Beta</td></tr></table>"
                            "<table cellpadding=0 cellspacing=0><tr><td>Gamma</td></tr></table>");
        auto doc = open(pages, "t.htm");
        QRect alpha = wordRect(*doc, "Alpha");
        QCOMPARE(alpha.left(), 10);
        QCOMPARE(alpha.top(), 10);
        QRect beta = wordRect(*doc, "Beta");
        QCOMPARE(beta.left(), alpha.right() + 1 + 20);
        QCOMPARE(wordRect(*doc, "Gamma").left(), 0);
    }

    void tableBorderAndWidthAttributes() {
        TestPages pages;
        pages.page("t.htm", "<body style='margin:0'><table border=3 width=400 cellspacing=0 "
                            "cellpadding=0><tr><td width=100>A1</td><td>B1</td></tr></table>");
        auto doc = open(pages, "t.htm");
        // 3 px table border, 1 px cell border.
        QCOMPARE(wordRect(*doc, "A1").left(), 4);
        // A cell's width counts its border, as in browsers of the time.
        QCOMPARE(wordRect(*doc, "B1").left(), 3 + 100 + 1);
    }

    void floatingImageWithTextBeside() {
        TestPages pages;
        QImage img(100, 80, QImage::Format_RGB32);
        img.fill(Qt::blue);
        img.save(pages.path("car.png"));
        pages.page("f.htm", "<body style='margin:0'><img src='car.png' align=left hspace=5 "
                            "vspace=3 title='A car'>Text beside<br clear=all>"
                            "<img src='car.png' align=right>Left of right");
        auto doc = open(pages, "f.htm");
        QRect text = wordRect(*doc, "Text");
        QCOMPARE(text.left(), 110);
        QVERIFY(text.top() < 80);
        THitInfo hit = doc->hitTest(QPoint(50, 40));
        QVERIFY(hit.isImage);
        QCOMPARE(hit.imageTitle, QStringLiteral("A car"));
        QRect left = wordRect(*doc, "Left");
        QString dump;
        for (const auto& w : doc->words().words())
            dump += doc->words().text().mid(w.start, w.length) +
                    QStringLiteral("@%1,%2 ").arg(w.rect.x()).arg(w.rect.y());
        QVERIFY2(left.left() == 0, qPrintable(dump));
    }

    void fontAttributes() {
        TestPages pages;
        pages.page("f.htm", "<p>Plain <font size=+2>Big</font> <font size=1>Tiny</font> "
                            "<font face='Courier New'>iiii</font> iiii "
                            "<big>Large</big> x<sub>Low</sub> x<sup>High</sup>");
        auto doc = open(pages, "f.htm");
        QRect plain = wordRect(*doc, "Plain");
        QVERIFY(wordRect(*doc, "Big").height() > plain.height());
        QVERIFY(wordRect(*doc, "Tiny").height() < plain.height());
        QVERIFY(wordRect(*doc, "Large").height() > plain.height());
        int mono = doc->words().text().indexOf("iiii");
        int prop = doc->words().text().indexOf("iiii", mono + 4);
        QVERIFY(doc->words().boundingRect(mono, mono + 4).width() >
                doc->words().boundingRect(prop, prop + 4).width());
        QVERIFY(wordRect(*doc, "Low").bottom() > plain.bottom());
        QVERIFY(wordRect(*doc, "High").top() < plain.top());
    }

    void relativeFontSizesInCss() {
        TestPages pages;
        pages.write("s.css", "span.up { font-size: LARGER }");
        pages.page("r.htm", "<link rel=stylesheet href=s.css><style>.down{font-size:smaller}"
                            "</style><p>Base <span class=down>Down</span> <span class=up>Up"
                            "</span> <span style='font-size: larger'>Inline</span>");
        auto doc = open(pages, "r.htm");
        int base = wordRect(*doc, "Base").height();
        QVERIFY(wordRect(*doc, "Down").height() < base);
        QVERIFY(wordRect(*doc, "Up").height() > base);
        QVERIFY(wordRect(*doc, "Inline").height() > base);
    }

    void verticalAlignSubAndSuper() {
        TestPages pages;
        pages.write("s.css", ".lo { Vertical-Align: SUB }");
        pages.page("v.htm", "<link rel=stylesheet href=s.css><style>em.hi{vertical-align:super;"
                            "color:red}</style><p>Base <span class=lo>Down</span> <em class=hi>"
                            "Up</em> <span style='vertical-align: sub'>Low</span> <a href=x.htm "
                            "style='vertical-align:super'>Link</a> <img width=10 height=30> "
                            "<span style='vertical-align:baseline'>Flat</span>");
        auto doc = open(pages, "v.htm");
        QRect base = wordRect(*doc, "Base");
        QVERIFY(wordRect(*doc, "Down").top() > base.top());
        QVERIFY(wordRect(*doc, "Low").top() > base.top());
        QVERIFY(wordRect(*doc, "Up").top() < base.top());
        QRect link = wordRect(*doc, "Link");
        QVERIFY(link.top() < base.top());
        QCOMPARE(wordRect(*doc, "Flat").top(), base.top());
        // The raised link is still clicked where it is drawn.
        THitInfo hit = doc->hitTest(link.center());
        QVERIFY(hit.isLink);
    }

    void indicesAndNobrKeepLinesWhole() {
        QCOMPARE(mastercss::keepIndicesWithWords("a <sup>1</sup> b"),
                 QStringLiteral("a <sup>1</sup> b"));
        QCOMPARE(mastercss::keepIndicesWithWords("<p>x<SUP>2</SUP>+y<sup>2</sup> H<sub>2</sub>O"),
                 QStringLiteral("<p><nobr>x<SUP>2</SUP>+y<sup>2</sup></nobr> "
                                "<nobr>H<sub>2</sub>O</nobr>"));
        // Upper case only, and the tag at the very end of the page.
        QCOMPARE(mastercss::keepIndicesWithWords("H<SUB>2</SUB>O"),
                 QStringLiteral("<nobr>H<SUB>2</SUB>O</nobr>"));
        QVERIFY(htmlmarkup::containsNoCase(u"x <Su", "<su"));
        QVERIFY(!htmlmarkup::containsNoCase(u"x <S", "<su"));
        TestPages pages;
        pages.page("n.htm", "<div style='width:30px'>aaaa WW<sub>2</sub>MM "
                            "<nobr>bb cc dd</nobr> ee</div>");
        auto doc = open(pages, "n.htm");
        const TWordIndex& w = doc->words();
        auto top = [&](const QString& text, int from = 0) {
            int at = int(w.text().indexOf(text, from));
            return at < 0 ? -1 : w.boundingRect(at, at + 1).top();
        };
        QVERIFY(top("WW") > top("aaaa"));
        QVERIFY(qAbs(top("WW") - top("MM")) <= 2);
        QCOMPARE(top("bb"), top("dd"));
        QVERIFY(top("ee") > top("dd"));
        // In a cell (whose vertical-align the layout library would pass on
        // to everything inside) the run stays on the text's baseline.
        pages.page("c.htm", "<table><tr><td valign=middle height=80>Emission CO<sub>2</sub> "
                            "<img width=10 height=40></td></tr></table>");
        auto cell = open(pages, "c.htm");
        QCOMPARE(wordRect(*cell, "CO").top(), wordRect(*cell, "Emission").top());
    }

    void breaksOnLinesOfTheirOwnLeaveBlankLines() {
        TestPages pages;
        pages.page("b.htm", "<p>one<br>two<br><br>three<b>bold<br></b><br>four</p>"
                            "<div>block</div><br>five<p>six<br></p><p>seven<p>eight<p>nine");
        auto doc = open(pages, "b.htm");
        auto top = [&](const char* w) { return wordRect(*doc, w).top(); };
        int line = top("two") - top("one");
        QVERIFY(line > 8);
        QCOMPARE(top("three") - top("two"), 2 * line);
        QCOMPARE(top("four") - top("bold"), 2 * line);
        QCOMPARE(top("five") - top("block"), 2 * line);
        // A break that ends a paragraph's last line adds nothing.
        QCOMPARE(top("seven") - top("six"), top("nine") - top("eight"));
    }

    void centerCentresTables() {
        TestPages pages;
        pages.page("c.htm", "<body style='margin:0'><center><table width=200 cellspacing=0 "
                            "cellpadding=0><tr><td>Mid</td></tr></table></center>"
                            "<table align=center width=100 cellspacing=0 cellpadding=0>"
                            "<tr><td>Two</td></tr></table>");
        auto doc = open(pages, "c.htm", 600);
        QCOMPARE(wordRect(*doc, "Mid").left(), 200);
        QCOMPARE(wordRect(*doc, "Two").left(), 250);
    }

    void anchorsAndLinks() {
        TestPages pages;
        pages.page("sub/a.htm", "<base target=main><p><a href='../b.htm#x' target=side>Go</a> "
                                "<a href='c.htm'>Plain</a><div style='height:1000px'></div>"
                                "<a name=part></a><h2>Part two</h2><p id=third>Third");
        auto doc = open(pages, "sub/a.htm");
        QVERIFY(qAbs(doc->anchorPosition("part") - wordRect(*doc, "Part").top()) < 30);
        QVERIFY(doc->anchorPosition("part") > 1000);
        QCOMPARE(doc->anchorPosition("third"), wordRect(*doc, "Third").top());
        QCOMPARE(doc->anchorPosition("nothere"), -1);
        THitInfo go = doc->hitTest(wordRect(*doc, "Go").center());
        QVERIFY(go.isLink);
        QCOMPARE(go.url, QStringLiteral("../b.htm#x"));
        QCOMPARE(go.target, QStringLiteral("side"));
        QCOMPARE(doc->expandLink(go.url), pages.path("b.htm#x"));
        THitInfo plain = doc->hitTest(wordRect(*doc, "Plain").center());
        QCOMPARE(plain.target, QStringLiteral("main"));
    }

    void findAcrossTagsAndLines() {
        TestPages pages;
        pages.page("f.htm", "<p>The <b>oil</b>\n   filter<br>is <i>under</i>neath.</p>"
                            "<table><tr><td>cell one</td><td>cell two</td></tr></table>");
        auto doc = open(pages, "f.htm");
        const QString& text = doc->words().text();
        QCOMPARE(textmatch::find(text, "oil filter is underneath", false), 4);
        QVERIFY(textmatch::find(text, "OIL   FILTER", false) >= 0);
        QCOMPARE(textmatch::find(text, "OIL FILTER", true), -1);
        QVERIFY(textmatch::find(text, "one cell two", false) >= 0);
        int first = textmatch::find(text, "cell", false);
        int second = textmatch::find(text, "cell", false, first + 1);
        QVERIFY(second > first);
        QCOMPARE(textmatch::find(text, "cell", false, second + 1), -1);
        QCOMPARE(doc->words().copyText(4, 4 + 10), QStringLiteral("oil filter"));
        QVERIFY(doc->words().copyText(0, int(text.size())).contains(QLatin1Char('\n')));
    }

    void pageTextWithoutLayout() {
        QString html = "<html><head><title>T</title><style>p{}</style></head><body>"
                       "<p>Brake&nbsp;<b>pa</b>ds &amp; discs<script>var x;</script>"
                       "<select><option>hidden</select>";
        QCOMPARE(textmatch::pageText(html), QStringLiteral("Brake pads & discs"));
        QByteArray cp = cp1251::fromUnicode(QStringLiteral("<p>Тормозные   колодки"));
        QVERIFY(textmatch::fileContains(cp, "x.htm", QStringLiteral("тормозные колодки"), false));
        QVERIFY(!textmatch::fileContains(cp, "x.htm", QStringLiteral("тормозные колодки"), true));
    }

    void wordSelectionAndPositions() {
        TestPages pages;
        pages.page("w.htm", "<p>alpha beta gamma");
        auto doc = open(pages, "w.htm");
        QRect beta = wordRect(*doc, "beta");
        auto [s, e] = doc->words().wordAt(beta.center());
        QCOMPARE(doc->words().text().mid(s, e - s), QStringLiteral("beta"));
        QCOMPARE(doc->words().positionAt(QPoint(beta.left() - 1, beta.center().y())), s);
        QCOMPARE(doc->words().positionAt(QPoint(beta.left() + 1, beta.center().y())), s);
        QCOMPARE(doc->words().positionAt(QPoint(10000, beta.center().y())),
                 int(doc->words().text().size()));
    }

    void formControls() {
        TestPages pages;
        pages.page("form.htm", "<form><select name=Serial><option>AB-1<option selected>CD-2"
                               "</select> <input name=q value='text'> <input type=checkbox "
                               "name=c checked> <input type=radio name=r> <input type=submit>"
                               "</form><p>after");
        auto doc = open(pages, "form.htm");
        QList<TFormControlInfo> list = doc->formControls();
        QCOMPARE(list.size(), 5);
        QCOMPARE(list[0].name, QStringLiteral("Serial"));
        QCOMPARE(list[0].type, QStringLiteral("select"));
        QCOMPARE(list[0].selectedText, QStringLiteral("CD-2"));
        QCOMPARE(list[0].options, QStringList({"AB-1", "CD-2"}));
        QCOMPARE(list[1].type, QStringLiteral("text"));
        QCOMPARE(list[1].value, QStringLiteral("text"));
        QVERIFY(list[2].checked);
        QCOMPARE(list[3].type, QStringLiteral("radio"));
        QCOMPARE(list[4].value, QStringLiteral("Submit"));
        QVERIFY(list[0].rect.width() > 30 && list[0].rect.height() > 10);
        QVERIFY(list[1].rect.left() > list[0].rect.right());
        // Option texts are not page text.
        QVERIFY(!doc->words().text().contains(QStringLiteral("AB-1")));
        QCOMPARE(doc->hitTest(list[0].rect.center()).control, doc->controlElements().at(0));
    }

    void overflowHiddenClips() {
        TestPages pages;
        pages.page("o.htm", "<body style='margin:0'><div style='width:60px;height:20px;"
                            "overflow:hidden;color:#ff0000'>WWW WWW WWW WWW WWW WWW</div>");
        auto doc = open(pages, "o.htm", 200);
        const QImage out = paintOnWhite(*doc, 200, 120);
        int inside = 0, below = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x)
                if (out.pixelColor(x, y).red() > 200 && out.pixelColor(x, y).green() < 80)
                    (y < 20 ? inside : below)++;
        QVERIFY(inside > 10);
        QCOMPARE(below, 0);
    }

    void paintsBodyBackground() {
        TestPages pages;
        pages.page("bg.htm", "<body bgcolor=#00ff00 text=red><p>x");
        auto doc = open(pages, "bg.htm", 200);
        const QImage out = paintOnWhite(*doc, 200, 100);
        QCOMPARE(out.pixelColor(150, 90), QColor(0, 255, 0));
    }

    void roundedCorners() {
        TestPages pages;
        pages.page("r.htm", "<body style='margin:0'><div style='width:80px;height:60px;"
                            "background:#0000ff;border:4px solid #ff0000;border-radius:20px'>"
                            "</div><div style='width:80px;height:20px;background:#0000ff;"
                            "border:4px solid #ff0000;border-left-color:#00ff00;"
                            "border-radius:10px'></div>");
        auto doc = open(pages, "r.htm", 200);
        const QImage out = paintOnWhite(*doc, 200, 120);
        // Outside the rounded corner the page shows; the border and the
        // background follow the curve.
        QCOMPARE(out.pixelColor(1, 1), QColor(Qt::white));
        QCOMPARE(out.pixelColor(86, 66), QColor(Qt::white));
        QCOMPARE(out.pixelColor(44, 1), QColor(255, 0, 0));
        QCOMPARE(out.pixelColor(7, 7), QColor(255, 0, 0));
        QCOMPARE(out.pixelColor(12, 12), QColor(0, 0, 255));
        QCOMPARE(out.pixelColor(44, 34), QColor(0, 0, 255));
    }
};

QTEST_MAIN(TstHtmlDocument)
#include "tst_htmldocument.moc"
