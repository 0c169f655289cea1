// The page text taken from a page's bytes must be what the engine's find
// searches: the same pages, loaded into a real viewer, give the same text and
// the same answers for every word and phrase.
#include "TestPages.h"

#include "engine/THTMLViewer.h"
#include "engine/TPageText.h"
#include "engine/TTextMatcher.h"

#include <QApplication>
#include <QTest>

namespace {

struct Page {
    const char* name;
    QByteArray bytes;
};

QByteArray cp(const QString& html) {
    return cp1251::fromUnicode(html);
}

QList<Page> awkwardPages() {
    QList<Page> pages;
    pages.append(
        {"entities.htm",
         cp(QStringLiteral("<html><head><title>Заголовок окна</title></head><body>"
                           "<p>Brake&nbsp;pads &amp; discs &lt;front&gt; &quot;ok&quot;"
                           " &copy 2005 &#1052;&#1072;&#1089;&#1083;&#1086; &#x41f;"
                           "&#x43e;&#x434; &#150; &#151; &bogus; &amp &notit; &AMP;"
                           " x&nbsp;&nbsp;y a &nbsp; b &laquo;кавычки&raquo;"
                           " &hellip;&mdash;&euro;&#0;z &#xFFFFFF; &#</p></body></html>"))});
    pages.append(
        {"inword.htm", cp(QStringLiteral("<body><p>мас<b>ло</b> в дви<i>гатель</i><font "
                                         "color=red>ный</font> отсек; <a href=x.htm>сс</a>ылка "
                                         "<span style=\"color:red\">кра</span>сный "
                                         "<u>под</u><s>чёрк</s> H<sub>2</sub>O and x<sup>2</sup>"
                                         " end</p><div>блок</div>следом<br>после<br/>ещё "
                                         "<img src=a.gif>картинка<hr>черта<nobr>неразрывно</nobr>"
                                         "дальше</body>"))});
    pages.append(
        {"hidden.htm",
         cp(QStringLiteral("<html><head><title>скрытый заголовок</title><style>p {color: red}"
                           "</style><script>var s = \"<p>скрипт</p>\";</script></head><body>"
                           "<p>видно один</p><div style=\"display:none\">скрыто <div>вложено</div> "
                           "тоже</div><p>видно два</p><select><option>вариант один<option>вариант "
                           "два</select><p>видно три <span style='display: none'>прячется</span>"
                           "снова</p><noscript>без скрипта</noscript><map name=m><area href=a>"
                           "карта</map><textarea>поле ввода</textarea><button>кнопка</button>"
                           "<input type=hidden value=x>впритык<input type=text value=y>после "
                           "поля<!-- комментарий --> за комментарием <!--> пустой <? xml ?>"
                           " <!DOCTYPE x> <noframes>без рамок</noframes>конец</body></html>"))});
    pages.append(
        {"utf8.htm", QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" "
                                    "content=\"text/html; charset=utf-8\"><title>т</title></head>"
                                    "<body><p>Ремонт <b>двигателя</b> ВАЗ-2107 — «Жигули» "
                                    "€ µ ÄÖÜ ß ﬁ 😀 emoji&#128512;</p><table><tr><td>ячейка"
                                    "</td><td>вторая</td></tr></table></body></html>")
                         .toUtf8()});
    pages.append(
        {"bom.htm", QByteArray("\xEF\xBB\xBF") +
                        QStringLiteral("<p>С меткой порядка байтов ёлка Ёж</p>").toUtf8()});
    pages.append(
        {"tables.htm", cp(QStringLiteral("<table border=1><caption>подпись</caption><tr><th>Узел"
                                         "</th><th>Момент</th></tr><tr><td>болт<br>M8</td><td>25 "
                                         "Н·м</td></tr><tr><td colspan=2><ul><li>первый<li>второй"
                                         "</ul><ol><li>раз</li><li>два</li></ol></td></tr></table>"
                                         "<dl><dt>термин<dd>описание</dl><pre>  моно\n  шир   ина"
                                         "\tтаб</pre><center>центр</center><h2>Заго<i>ловок"
                                         "</i></h2><blockquote>цитата</blockquote>"))});
    pages.append(
        {"broken.htm", cp(QStringLiteral("<P>Незакрытый <B>жирный <I>курсив</P><p>a < b и c > d"
                                         " 5<6 x</ p> & одинокий амперсанд &; <DIV\nCLASS=x\n>"
                                         "перенос в теге</DIV><a title=\"a > b\">в кавычках</a>"
                                         "<p style=\"display:none\">скрыт абзац<p>виден абзац"
                                         "<ul><li style=display:none>скрыт пункт<li>виден пункт"
                                         "</ul><table><tr><td style=\"display:none\">скрыта "
                                         "ячейка<td>видна ячейка</table>хвост <unknown>свой"
                                         "</unknown>тег</p>"))});
    pages.append(
        {"probe1.htm",
         cp(QStringLiteral(
             "<p>a<span style=\"display:block\">b</span>c "
             "d<b>e</b><i>f</i> g<img src=x.gif width=0>h i<span "
             "style=\"margin-left:20px\">j</span> "
             "k<nobr>l</nobr>m <b>n</b> O<sub>2</sub> p<br>q r<wbr>s t<input type=checkbox>u "
             "v<label>w</label>x y<q>z</q>1 2<abbr>3</abbr> <article>арт</article>икль "
             "<section>с</section>екция <div style=\"display:inline\">ин</div>лайн "
             "<li>пункт</li>вне <iframe>рамка</iframe>за <object>объект</object>ом "
             "<embed src=x>эмбед <noembed>ноэмбед</noembed> <xmp><b>xmp</b></xmp> "
             "<font size=5>ш</font>рифт <tt>т</tt>т <a name=x></a>якорь</p>"))});
    pages.append({"notes.txt", cp(QStringLiteral("Текст <b>без</b> разметки &amp; \r\n"
                                                 "  вторая\tстрока\n"))});
    pages.append({"spaces.htm", cp(QStringLiteral("  \r\n\t <p>   пробелы\r\n  и\tтабуляции "
                                                  "</p>\n\n<p>\n абзац \n</p>   "))});
    return pages;
}

// Words and two-word phrases of a text, and a few pieces across words.
QStringList probesOf(const QString& text) {
    QStringList probes;
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    for (int i = 0; i < words.size(); ++i) {
        probes << words.at(i) << words.at(i).toUpper();
        if (i + 1 < words.size())
            probes << words.at(i) + u' ' + words.at(i + 1);
        if (i + 1 < words.size() && words.at(i).size() > 2)
            probes << words.at(i).right(2) + words.at(i + 1).left(2);
    }
    return probes;
}

} // namespace

class TestPageText : public QObject {
    Q_OBJECT
private slots:
    void sameTextAndAnswersAsTheEnginesFind();
    void notPaintedWordsAreNotFound();
    void caseFoldingOfCodePage1251();
};

void TestPageText::sameTextAndAnswersAsTheEnginesFind() {
    TestPages files;
    THTMLViewer viewer;
    viewer.setFileSource(&files.source);
    viewer.resize(700, 500);
    for (const Page& page : awkwardPages()) {
        const QString path = files.write(QString::fromLatin1(page.name), page.bytes);
        QVERIFY(viewer.loadFile(path));
        viewer.ensureLayout();
        const QString engineText = viewer.document()->words().text();
        QCOMPARE(TPageText::of(page.bytes, path), engineText);

        QStringList probes = probesOf(engineText);
        probes << QStringLiteral("не на странице") << QStringLiteral("скрыто")
               << QStringLiteral("скрипт") << QStringLiteral("вариант")
               << QStringLiteral("заголовок") << QStringLiteral("комментарий")
               << QStringLiteral("кнопка") << QStringLiteral("поле ввода")
               << QStringLiteral("масло") << QStringLiteral("гатель ный") << QStringLiteral("x  y")
               << QStringLiteral("a b");
        for (const QString& probe : probes) {
            for (bool matchCase : {false, true}) {
                viewer.setSelection(0, 0);
                const bool engine = viewer.find(probe, matchCase);
                const bool ours = textmatch::fileContains(page.bytes, path, probe, matchCase);
                QVERIFY2(engine == ours, qPrintable(QStringLiteral("%1: \"%2\" case %3: engine %4")
                                                        .arg(QLatin1String(page.name), probe)
                                                        .arg(matchCase)
                                                        .arg(engine)));
            }
        }
    }
}

void TestPageText::notPaintedWordsAreNotFound() {
    const QByteArray page = cp(QStringLiteral(
        "<head><title>титул</title></head><body>раз<script>скрипт</script>два "
        "<div style=\"DISPLAY : none\">прочь</div><select><option>опция</select>три"));
    const QString text = TPageText::of(page, QStringLiteral("p.htm"));
    QCOMPARE(text, QStringLiteral("раздва три"));
    for (const char* hidden : {"титул", "скрипт", "прочь", "опция"})
        QVERIFY(!textmatch::fileContains(page, QStringLiteral("p.htm"), QString::fromUtf8(hidden),
                                         false));
}

void TestPageText::caseFoldingOfCodePage1251() {
    const QByteArray page = cp(QStringLiteral("<p>ЁЛКА ёжик Їжак ЎЗКІ Moteur ЂАК</p>"));
    const QString path = QStringLiteral("p.htm");
    for (const char* text : {"ёлка", "ЁЖИК", "їжак", "ўзкі", "MOTEUR", "ђак"}) {
        QVERIFY(textmatch::fileContains(page, path, QString::fromUtf8(text), false));
        QVERIFY(!textmatch::fileContains(page, path, QString::fromUtf8(text), true));
    }
    // A text longer than the page, and one of characters the page cannot hold.
    QVERIFY(!textmatch::fileContains(page, path, QString(10000, u'ё'), false));
    QVERIFY(!textmatch::fileContains(page, path, QStringLiteral("😀"), false));
}

QTEST_MAIN(TestPageText)
#include "tst_pagetext.moc"
