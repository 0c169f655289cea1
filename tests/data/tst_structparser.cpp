#include "data/BookPaths.h"
#include "data/StructParser.h"

#include "platform/Cp1251.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

// Reading Struct.cfs and Tesaurus.cfs lines into the model.
class TestStructParser : public QObject {
    Q_OBJECT

private:
    BookPaths m_paths{QStringLiteral("\\book\\run\\")};

    StructModel parse(const QStringList& lines, StructGrammar g = StructGrammar::Main) const {
        return parseStruct(lines, &m_paths, g);
    }
    QString resolved(const char* text) const {
        return m_paths.resolvePath(QString::fromUtf8(text));
    }
    static int rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

private slots:
    void resolutionIsVisible();
    void headerKeys();
    void headerKeyAnywhereInLine();
    void thesaurusHeader();
    void buttonKeysAndCaptions();
    void buttonKeysSharingLines();
    void keyOutOfOrderIsLostAndNextOneTaken();
    void unreadableAndMissingValues();
    void switchOne();
    void switchGrpCaptionsBetweenKeys();
    void processWideElements();
    void imageDirTrailingBackslash();
    void popups();
    void popupTypeWords_data();
    void popupTypeWords();
    void screensAndTemplates();
    void screenGapsGetEmptyLists();
    void kindWordOrder();
    void passContinuesAfterLastKeyLine();
    void screenNumbersOutOfRange();
    void thesaurusElements();
    void truncatedDescriptions();
    void garbageNeverHangs();
    void largeDamagedDescriptions();
    void demoBook();
};

// The checks below compare against resolvePath(); make sure resolution does
// change relative values, so that the comparisons prove it was applied.
void TestStructParser::resolutionIsVisible() {
    QVERIFY(resolved("docs\\a.htm") != QLatin1String("docs\\a.htm"));
    QCOMPARE(resolved("exit"), QStringLiteral("exit"));
}

void TestStructParser::headerKeys() {
    const QStringList lines = {
        "title=vantrel руководство",
        "codec=indeo5;mpegaudio",
        "rolic=intro.avi",
        "helpwin",
        "  vw=640",
        "  vh=480",
        "  fn=help\\index.htm",
        "background=black.bmp",
        "icon=book.ico",
        "bgsounddef=[music\\a.mp3;music\\b.mp3",
        "  music\\c.mp3]",
        "vertexmain=[0,0;800,0;800,600",
        "0,600]",
        "minimize",
        "vx=700",
        "vy=5",
        "fn1=min1.bmp;fn2=min2.bmp",
        "fn3=min3.bmp",
        "hint=свернуть",
        "wav=click.wav",
        "close",
        "vx=750",
        "vy=6",
        "fn1=cl1.bmp",
        "fn2=cl2.bmp",
        "fn3=cl3.bmp",
        "hint=выход",
        "wav=bye.wav",
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.title, QStringLiteral("Vantrel руководство"));
    QCOMPARE(m.codec, QStringLiteral("indeo5"));
    QCOMPARE(m.rolic, QStringLiteral("intro.avi"));
    QCOMPARE(m.helpwin.vw, 640);
    QCOMPARE(m.helpwin.vh, 480);
    QCOMPARE(m.helpwin.fn, resolved("help\\index.htm"));
    QCOMPARE(m.background, QStringLiteral("black.bmp"));
    QCOMPARE(m.icon, QStringLiteral("book.ico"));
    QCOMPARE(m.bgsounddef, QStringList({resolved("music\\a.mp3"), resolved("music\\b.mp3"),
                                        resolved("music\\c.mp3")}));
    QCOMPARE(m.vertexmain, QStringList({"0,0", "800,0", "800,600", "0,600"}));
    QCOMPARE(m.outline, QPolygon({QPoint(0, 0), QPoint(800, 0), QPoint(800, 600), QPoint(0, 600)}));

    QCOMPARE(m.minimize.vx, 700);
    QCOMPARE(m.minimize.vy, 5);
    QCOMPARE(m.minimize.fn1, QStringLiteral("min1.bmp"));
    QCOMPARE(m.minimize.fn2, QStringLiteral("min2.bmp"));
    QCOMPARE(m.minimize.fn3, QStringLiteral("min3.bmp"));
    QCOMPARE(m.minimize.hint, QStringLiteral("свернуть"));
    QCOMPARE(m.minimize.wav, QStringLiteral("click.wav"));
    QCOMPARE(m.close.vx, 750);
    QCOMPARE(m.close.vy, 6);
    QCOMPARE(m.close.fn1, QStringLiteral("cl1.bmp"));
    QCOMPARE(m.close.fn2, QStringLiteral("cl2.bmp"));
    QCOMPARE(m.close.fn3, QStringLiteral("cl3.bmp"));
    QCOMPARE(m.close.hint, QStringLiteral("выход"));
    QCOMPARE(m.close.wav, QStringLiteral("bye.wav"));

    // Header blocks start no elements and no screens.
    QVERIFY(m.screens.isEmpty());
    QVERIFY(m.html.isEmpty());

    // A Cyrillic title gets its first letter upper-cased too; no title, no
    // crash.
    QCOMPARE(parse({"title=тезаурус"}).title, QStringLiteral("Тезаурус"));
    QCOMPARE(parse({"title="}).title, QString());
    QCOMPARE(parse({}).title, QString());
}

// A line holding a header word is taken as that header wherever it stands:
// a hint with "close" in it replaces the close template.
void TestStructParser::headerKeyAnywhereInLine() {
    const QStringList lines = {
        "close",     "vx=1",          "vy=2",    "fn1=a.bmp", "fn2=b.bmp", "fn3=c.bmp", "hint=x",
        "wav=y",     "button=1",      "vx=5",    "vy=6",      "fn1=d.bmp", "fn2=e.bmp", "fn3=f.bmp",
        "go=exit",   "hint=close it", "wav=z",   "button=1",  "vx=7",      "vy=8",      "fn1=g.bmp",
        "fn2=h.bmp", "fn3=i.bmp",     "go=back", "hint=j",    "wav=k",
    };
    const StructModel m = parse(lines);
    // "hint=close it" started a second close block, read from the next
    // button's keys.
    QCOMPARE(m.close.vx, 7);
    QCOMPARE(m.close.vy, 8);
    QCOMPARE(m.close.fn1, QStringLiteral("g.bmp"));
    QCOMPARE(m.close.fn3, QStringLiteral("i.bmp"));
    QCOMPARE(m.close.hint, QStringLiteral("j"));
    QCOMPARE(m.close.wav, QStringLiteral("k"));
    // The buttons themselves are read as usual.
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].buttons.size(), 2);
    QCOMPARE(m.screens[0].buttons[0].hint, QStringLiteral("close it"));
    QCOMPARE(m.screens[0].buttons[1].vx, 7);

    // A block cut short keeps what the earlier block gave for the rest.
    const StructModel n = parse(
        {"close", "vx=1", "vy=2", "fn1=a", "fn2=b", "fn3=c", "hint=x", "wav=y", "close", "vx=9"});
    QCOMPARE(n.close.vx, 9);
    QCOMPARE(n.close.vy, 2);
    QCOMPARE(n.close.wav, QStringLiteral("y"));
}

void TestStructParser::thesaurusHeader() {
    const QStringList lines = {
        "title=тезаурус",
        "codec=indeo5",
        "rolic=a.avi",
        "icon=t.ico",
        "background=b.bmp",
        "bgsounddef=[a.mp3]",
        "vertexmain=[1,2;3,4]",
        "minimize",
        "vx=3",
        "vy=4",
        "fn1=m1.bmp",
        "fn2=m2.bmp",
        "fn3=m3.bmp",
        "hint=h",
        "wav=w",
    };
    const StructModel m = parse(lines, StructGrammar::Thesaurus);
    QCOMPARE(m.title, QStringLiteral("Тезаурус"));
    QCOMPARE(m.icon, QStringLiteral("t.ico"));
    QCOMPARE(m.minimize.vx, 3);
    QCOMPARE(m.minimize.wav, QStringLiteral("w"));
    // Not part of the reduced grammar.
    QCOMPARE(m.codec, QString());
    QCOMPARE(m.rolic, QString());
    QCOMPARE(m.background, QString());
    QVERIFY(m.bgsounddef.isEmpty());
    QVERIFY(m.vertexmain.isEmpty());
    QVERIFY(m.outline.isEmpty());
}

void TestStructParser::buttonKeysAndCaptions() {
    const QStringList lines = {
        "button=2",
        "textcaption= Назад ",
        "vx=10",
        "texttx=1",
        "textty=2",
        "vy=20",
        "textbx=30;textby=12",
        "fn1=b1.bmp",
        "textfontname=arial",
        "fn2=b2.bmp",
        "textfontsize=9",
        "textfontstyleup=bold",
        "textfontstylemv=bold italic underline strikeout",
        "textfontstyledn=italic",
        "fn3=b3.bmp",
        "textfontcolorup=255,0,0",
        "textfontcolormv=0,255,0",
        "textfontcolordn=1,2,3",
        "go=html=1=docs\\a.htm",
        "hint=к началу",
        "wav=click.wav",
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.screens.size(), 2);
    QVERIFY(m.screens[0].buttons.isEmpty());
    QCOMPARE(m.screens[1].buttons.size(), 1);
    const RBtn& b = m.screens[1].buttons[0];
    QCOMPARE(b.vx, 10);
    QCOMPARE(b.vy, 20);
    QCOMPARE(b.fn1, QStringLiteral("b1.bmp"));
    QCOMPARE(b.fn2, QStringLiteral("b2.bmp"));
    QCOMPARE(b.fn3, QStringLiteral("b3.bmp"));
    QCOMPARE(b.go, QStringLiteral("html=1=docs\\a.htm")); // a text: not resolved
    QCOMPARE(b.hint, QStringLiteral("к началу"));
    QCOMPARE(b.wav, QStringLiteral("click.wav"));
    QCOMPARE(b.textcaption, QStringLiteral("Назад"));
    QCOMPARE(b.texttx, 1);
    QCOMPARE(b.textty, 2);
    QCOMPARE(b.textbx, 30);
    QCOMPARE(b.textby, 12);
    QCOMPARE(b.textfontname, QStringLiteral("arial"));
    QCOMPARE(b.textfontsize, 9);
    QCOMPARE(b.textfontstyleup, 1);
    QCOMPARE(b.textfontstylemv, 15);
    QCOMPARE(b.textfontstyledn, 2);
    QCOMPARE(b.textfontcolorup, rgb(255, 0, 0));
    QCOMPARE(b.textfontcolormv, rgb(0, 255, 0));
    QCOMPARE(b.textfontcolordn, rgb(1, 2, 3));
    QCOMPARE(b.right, 0);
    QCOMPARE(b.bottom, 0);
}

void TestStructParser::buttonKeysSharingLines() {
    const QStringList lines = {
        "button=1; vx=10;vy=20",
        "fn1=a.bmp;fn2=b.bmp;fn3=c.bmp",
        "go=back;hint=назад;wav=no",
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].buttons.size(), 1);
    const RBtn& b = m.screens[0].buttons[0];
    QCOMPARE(b.vx, 10);
    QCOMPARE(b.vy, 20);
    QCOMPARE(b.fn1, QStringLiteral("a.bmp"));
    QCOMPARE(b.fn2, QStringLiteral("b.bmp"));
    QCOMPARE(b.fn3, QStringLiteral("c.bmp"));
    QCOMPARE(b.go, QStringLiteral("back"));
    QCOMPARE(b.hint, QStringLiteral("назад"));
    QCOMPARE(b.wav, QStringLiteral("no"));
}

// A `go` written before `fn3` is passed over; the next `go` after the fn3
// line is taken, here the following button's, whose heading is read over.
void TestStructParser::keyOutOfOrderIsLostAndNextOneTaken() {
    const QStringList lines = {
        "button=1", "vx=1",      "vy=2",     "fn1=a1",   "fn2=a2",   "go=first", "fn3=a3",
        "hint=h1",  "wav=w1",    "button=1", "vx=3",     "vy=4",     "fn1=b1",   "fn2=b2",
        "fn3=b3",   "go=second", "hint=h2",  "wav=w2",   "button=1", "vx=5",     "vy=6",
        "fn1=c1",   "fn2=c2",    "fn3=c3",   "go=third", "hint=h3",  "wav=w3",
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.screens.size(), 1);
    const TDynamicBtnArray& bs = m.screens[0].buttons;
    QCOMPARE(bs.size(), 2);
    QCOMPARE(bs[0].fn3, QStringLiteral("a3"));
    QCOMPARE(bs[0].go, QStringLiteral("second"));
    QCOMPARE(bs[0].hint, QStringLiteral("h2"));
    QCOMPARE(bs[0].wav, QStringLiteral("w2"));
    QCOMPARE(bs[1].vx, 5);
    QCOMPARE(bs[1].go, QStringLiteral("third"));
}

void TestStructParser::unreadableAndMissingValues() {
    const QStringList lines = {
        "_html=1", "vx=",  "vy=-5", "vw=12px", "vh=1-2", "fn=",      "number=abc",
        "_clip=1", "vx=1", "vy=2",  "vw=3",    "vh=4",   "bgcolor=", "html=2",
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.html.size(), 1);
    const RHtml& h = m.html[0];
    QCOMPARE(h.vx, -1);
    QCOMPARE(h.vy, -5);
    QCOMPARE(h.vw, 12);
    QCOMPARE(h.vh, -1);
    QCOMPARE(h.fn, QString());
    QCOMPARE(h.number, -1);
    QCOMPARE(m.clip.size(), 1);
    QCOMPARE(m.clip[0].html, 2);
    // Html elements do not create screens; only per-screen lists do.
    QVERIFY(m.screens.isEmpty());
}

void TestStructParser::switchOne() {
    const QStringList lines = {
        "switchone=1",
        "vx=100;vy=200",
        "textcaptionup=вкл",
        "textcaptiondn=выкл",
        "fn1=s1.bmp",
        "texttxup=1;texttyup=2;textbxup=3;textbyup=4",
        "texttxdn=5",
        "texttydn=6",
        "textbxdn=7",
        "textbydn=8",
        "fn2=s2.bmp",
        "fn3=s3.bmp",
        "textfontname=tahoma",
        "textfontsize=10",
        "fn4=s4.bmp",
        "textfontstyleup=bold",
        "textfontstylemvup=italic",
        "textfontstylemvdn=underline",
        "textfontstyledn=strikeout",
        "textfontcolorup=1,0,0",
        "textfontcolormvup=0,1,0",
        "textfontcolormvdn=0,0,1",
        "textfontcolordn=9,9,9",
        "state=on",
        "store=on",
        "goup=tree1",
        "godown=run=tools\\x.exe",
        "hint=дерево",
        "wav=no",
        "switchone=1",
        "vx=1",
        "vy=2",
        "fn1=a;fn2=b;fn3=c;fn4=d",
        "state=off",
        "store=",
        "goup=..\\docs\\a.htm",
        "godown=exit",
        "hint=x",
        "wav=y",
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.screens.size(), 1);
    const TDynamicSwthOneArray& ss = m.screens[0].switchone;
    QCOMPARE(ss.size(), 2);
    const RSwthOne& s = ss[0];
    QCOMPARE(s.vx, 100);
    QCOMPARE(s.vy, 200);
    QCOMPARE(s.fn1, QStringLiteral("s1.bmp"));
    QCOMPARE(s.fn2, QStringLiteral("s2.bmp"));
    QCOMPARE(s.fn3, QStringLiteral("s3.bmp"));
    QCOMPARE(s.fn4, QStringLiteral("s4.bmp"));
    QVERIFY(s.state);
    QVERIFY(s.store);
    QVERIFY(s.on);
    QVERIFY(!s.hover);
    QCOMPARE(s.goup, QStringLiteral("tree1"));
    QCOMPARE(s.godown, resolved("run=tools\\x.exe"));
    QVERIFY(s.godown.startsWith(QLatin1String("run=")));
    QCOMPARE(s.hint, QStringLiteral("дерево"));
    QCOMPARE(s.wav, QStringLiteral("no"));
    QCOMPARE(s.textcaptionup, QStringLiteral("вкл"));
    QCOMPARE(s.textcaptiondn, QStringLiteral("выкл"));
    QCOMPARE(s.texttxup, 1);
    QCOMPARE(s.texttyup, 2);
    QCOMPARE(s.textbxup, 3);
    QCOMPARE(s.textbyup, 4);
    QCOMPARE(s.texttxdn, 5);
    QCOMPARE(s.texttydn, 6);
    QCOMPARE(s.textbxdn, 7);
    QCOMPARE(s.textbydn, 8);
    QCOMPARE(s.textfontname, QStringLiteral("tahoma"));
    QCOMPARE(s.textfontsize, 10);
    QCOMPARE(s.textfontstyleup, 1);
    QCOMPARE(s.textfontstylemvup, 2);
    QCOMPARE(s.textfontstylemvdn, 4);
    QCOMPARE(s.textfontstyledn, 8);
    QCOMPARE(s.textfontcolorup, rgb(1, 0, 0));
    QCOMPARE(s.textfontcolormvup, rgb(0, 1, 0));
    QCOMPARE(s.textfontcolormvdn, rgb(0, 0, 1));
    QCOMPARE(s.textfontcolordn, rgb(9, 9, 9));

    const RSwthOne& t = ss[1];
    QCOMPARE(t.fn4, QStringLiteral("d"));
    QVERIFY(!t.state);
    QVERIFY(!t.store);
    QVERIFY(!t.on);
    QCOMPARE(t.goup, resolved("..\\docs\\a.htm"));
    QCOMPARE(t.godown, QStringLiteral("exit"));
    QCOMPARE(t.textcaptionup, QString());
}

// Caption keys between `vx` and `fn1` are still read; the table keys in
// between are read in order.
void TestStructParser::switchGrpCaptionsBetweenKeys() {
    const QStringList lines = {
        "switchgrp=1",
        "vx=5",
        "textcaptionup=2d",
        "textcaptiondn=3d",
        "texttx=1",
        "textty=2",
        "textbx=3",
        "textby=4",
        "textfontname=verdana",
        "textfontsize=7",
        "textfontstyleup=bold",
        "textfontstylemvup=bold italic",
        "textfontstylemvdn=italic",
        "textfontstyledn=underline",
        "textfontcolorup=10,20,30",
        "textfontcolormvup=40,50,60",
        "textfontcolormvdn=70,80,90",
        "textfontcolordn=100,110,120",
        "vy=6",
        "fn1=g1;fn2=g2",
        "fn3=g3",
        "fn4=g4",
        "state=on",
        "store=off",
        "group=3",
        "go=html=1=docs\\b.htm",
        "hint=вид",
        "wav=w.wav",
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].switchgrp.size(), 1);
    const RSwthGrp& g = m.screens[0].switchgrp[0];
    QCOMPARE(g.vx, 5);
    QCOMPARE(g.vy, 6);
    QCOMPARE(g.fn1, QStringLiteral("g1"));
    QCOMPARE(g.fn2, QStringLiteral("g2"));
    QCOMPARE(g.fn3, QStringLiteral("g3"));
    QCOMPARE(g.fn4, QStringLiteral("g4"));
    QVERIFY(g.state);
    QVERIFY(g.on);
    QVERIFY(!g.store);
    QCOMPARE(g.group, 3);
    QCOMPARE(g.go, resolved("html=1=docs\\b.htm"));
    QCOMPARE(g.hint, QStringLiteral("вид"));
    QCOMPARE(g.wav, QStringLiteral("w.wav"));
    QCOMPARE(g.textcaptionup, QStringLiteral("2d"));
    QCOMPARE(g.textcaptiondn, QStringLiteral("3d"));
    QCOMPARE(g.texttx, 1);
    QCOMPARE(g.textty, 2);
    QCOMPARE(g.textbx, 3);
    QCOMPARE(g.textby, 4);
    QCOMPARE(g.textfontname, QStringLiteral("verdana"));
    QCOMPARE(g.textfontsize, 7);
    QCOMPARE(g.textfontstyleup, 1);
    QCOMPARE(g.textfontstylemvup, 3);
    QCOMPARE(g.textfontstylemvdn, 2);
    QCOMPARE(g.textfontstyledn, 4);
    QCOMPARE(g.textfontcolorup, rgb(10, 20, 30));
    QCOMPARE(g.textfontcolormvup, rgb(40, 50, 60));
    QCOMPARE(g.textfontcolormvdn, rgb(70, 80, 90));
    QCOMPARE(g.textfontcolordn, rgb(100, 110, 120));
}

void TestStructParser::processWideElements() {
    const QStringList lines = {
        "_html=2",
        "vx=10",
        "vy=20",
        "vw=400",
        "vh=300",
        "fn=docs\\start.htm",
        "number=1",
        "_findtxt=2",
        "vx=1",
        "vy=2",
        "vw=3",
        "vh=4",
        "frame=main",
        "nofiles=[docs\\a.htm",
        "docs\\b.htm]",
        "number=5",
        "hint=поиск",
        "_path=3",
        "vx=5",
        "vy=6",
        "vw=7",
        "vh=8",
        "pathdef=c:\\install",
        "hint=папка",
        "_clip=1",
        "vx=9",
        "vy=10",
        "vw=11",
        "vh=12",
        "bgcolor=0,0,255",
        "html=1",
        "_text=2",
        "vx=13",
        "vy=14",
        "vw=15",
        "font=times new roman",
        "size=12",
        "style=bold italic",
        "color=0,128,0",
        "value=Заголовок",
        "ident=title",
        "number=2",
    };
    const StructModel m = parse(lines);
    QVERIFY(m.screens.isEmpty());

    QCOMPARE(m.html.size(), 1);
    QCOMPARE(m.html[0].screen, 1);
    QCOMPARE(m.html[0].vx, 10);
    QCOMPARE(m.html[0].vy, 20);
    QCOMPARE(m.html[0].vw, 400);
    QCOMPARE(m.html[0].vh, 300);
    QCOMPARE(m.html[0].fn, resolved("docs\\start.htm"));
    QCOMPARE(m.html[0].number, 1);

    QCOMPARE(m.findtxt.size(), 1);
    const RFindTxt& f = m.findtxt[0];
    QCOMPARE(f.screen, 1);
    QCOMPARE(f.vx, 1);
    QCOMPARE(f.vy, 2);
    QCOMPARE(f.vw, 3);
    QCOMPARE(f.vh, 4);
    QCOMPARE(f.frame, QStringLiteral("main"));
    QCOMPARE(f.nofiles, QStringList({resolved("docs\\a.htm"), resolved("docs\\b.htm")}));
    QCOMPARE(f.number, 5);
    QCOMPARE(f.hint, QStringLiteral("поиск"));

    QCOMPARE(m.path.size(), 1);
    const RPath& p = m.path[0];
    QCOMPARE(p.screen, 2);
    QCOMPARE(p.vx, 5);
    QCOMPARE(p.vy, 6);
    QCOMPARE(p.vw, 7);
    QCOMPARE(p.vh, 8);
    QCOMPARE(p.pathdef, QStringLiteral("c:\\install")); // a text, kept as written
    QCOMPARE(p.hint, QStringLiteral("папка"));

    QCOMPARE(m.clip.size(), 1);
    const RClip& c = m.clip[0];
    QCOMPARE(c.screen, 0);
    QCOMPARE(c.vx, 9);
    QCOMPARE(c.vy, 10);
    QCOMPARE(c.vw, 11);
    QCOMPARE(c.vh, 12);
    QCOMPARE(c.bgcolor, rgb(0, 0, 255));
    QCOMPARE(c.html, 1);

    QCOMPARE(m.text.size(), 1);
    const RText& t = m.text[0];
    QCOMPARE(t.screen, 1);
    QCOMPARE(t.vx, 13);
    QCOMPARE(t.vy, 14);
    QCOMPARE(t.vw, 15);
    QCOMPARE(t.font, QStringLiteral("times new roman"));
    QCOMPARE(t.size, 12);
    QCOMPARE(t.style, QStringLiteral("bold italic"));
    QCOMPARE(t.color, rgb(0, 128, 0));
    QCOMPARE(t.value, QStringLiteral("Заголовок"));
    QCOMPARE(t.ident, QStringLiteral("title"));
    QCOMPARE(t.number, 2);
}

void TestStructParser::imageDirTrailingBackslash() {
    const QStringList lines = {
        "_image=1", "vx=1", "vy=2", "vw=3", "vh=4", "dir=slides\\engine",
        "_image=1", "vx=1", "vy=2", "vw=3", "vh=4", "dir=slides\\body\\",
        "_image=2", "vx=1", "vy=2", "vw=3", "vh=4", "dir=",
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.image.size(), 3);
    QCOMPARE(m.image[0].screen, 0);
    QCOMPARE(m.image[0].vx, 1);
    QCOMPARE(m.image[0].vy, 2);
    QCOMPARE(m.image[0].vw, 3);
    QCOMPARE(m.image[0].vh, 4);
    QCOMPARE(m.image[0].dir, resolved("slides\\engine") + QLatin1Char('\\'));
    QVERIFY(m.image[1].dir.endsWith(QLatin1String("body\\")));
    QVERIFY(!m.image[1].dir.endsWith(QLatin1String("\\\\")));
    // No folder: no backslash that would name the root of the disc.
    QCOMPARE(m.image[2].screen, 1);
    QCOMPARE(m.image[2].dir, QString());
}

void TestStructParser::popups() {
    const QStringList lines = {
        "_popup=2",
        "xfon=-1;yfon=100",
        "fnfon=pop_bg.bmp",
        "xbtn=5",
        "ybtn=-1",
        "fnbtnup=[i1.bmp;i2.bmp]",
        "fnbtnmove=[m1.bmp",
        "m2.bmp]",
        "fnbtndown=[d1.bmp]",
        "fontup=arial",
        "sizeup=8",
        "styleup=bold",
        "colorup=0,0,0",
        "fontmv=arial black",
        "sizemv=9",
        "stylemv=bold underline",
        "colormv=255,255,255",
        "caption=[Открыть;Печать",
        "Выход]",
        "go=[html=1=a.htm;print;exit]",
        "parent=main",
        "type=7",
        "vertex=[0,0;100,0;100,50]",
        "_popup=2",
        "xfon=1",
        "type=favorite",
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.screens.size(), 2);
    QVERIFY(m.screens[0].popups.isEmpty());
    QCOMPARE(m.screens[1].popups.size(), 2);
    QVERIFY(m.screens[1].buttons.isEmpty());
    const RPopupData& p = m.screens[1].popups[0];
    QCOMPARE(p.xfon, -1);
    QCOMPARE(p.yfon, 100);
    QCOMPARE(p.fnfon, QStringLiteral("pop_bg.bmp"));
    QCOMPARE(p.xbtn, 5);
    QCOMPARE(p.ybtn, -1);
    QCOMPARE(p.fnbtnup, QStringList({resolved("i1.bmp"), resolved("i2.bmp")}));
    QCOMPARE(p.fnbtnmove, QStringList({resolved("m1.bmp"), resolved("m2.bmp")}));
    QCOMPARE(p.fnbtndown, QStringList({resolved("d1.bmp")}));
    QCOMPARE(p.fontup, QStringLiteral("arial"));
    QCOMPARE(p.sizeup, 8);
    QCOMPARE(p.styleup, QStringLiteral("bold"));
    QCOMPARE(p.colorup, 0);
    QCOMPARE(p.fontmv, QStringLiteral("arial black"));
    QCOMPARE(p.sizemv, 9);
    QCOMPARE(p.stylemv, QStringLiteral("bold underline"));
    QCOMPARE(p.colormv, rgb(255, 255, 255));
    QCOMPARE(p.caption, QStringList({"Открыть", "Печать", "Выход"}));
    QCOMPARE(p.go, QStringList({resolved("html=1=a.htm"), "print", "exit"}));
    QCOMPARE(p.parent, QStringLiteral("main"));
    QCOMPARE(p.type, 7);
    QCOMPARE(p.vertex, QStringList({"0,0", "100,0", "100,50"}));

    // Keys skipped by order keep their defaults; the type word is still read.
    const RPopupData& q = m.screens[1].popups[1];
    QCOMPARE(q.xfon, 1);
    QCOMPARE(q.fnfon, QString());
    QVERIFY(q.caption.isEmpty());
    QCOMPARE(q.type, 0); // "type" comes after the missing keys: never reached
}

void TestStructParser::popupTypeWords_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("type");
    QTest::newRow("back") << "historyback" << -1;
    QTest::newRow("forward") << "historyforward" << -2;
    QTest::newRow("favourites") << "favorite" << -3;
    QTest::newRow("context") << "contexthtml" << -5;
    QTest::newRow("spaces") << " historyback " << -1;
    QTest::newRow("number") << "12" << 12;
    QTest::newRow("negative") << "-4" << -4;
    QTest::newRow("unknown word") << "favorites" << -1;
}

void TestStructParser::popupTypeWords() {
    QFETCH(QString, value);
    QFETCH(int, type);
    QStringList lines = {"_popup=1",
                         "xfon=0;yfon=0;fnfon=a;xbtn=0;ybtn=0",
                         "fnbtnup=[a];fnbtnmove=[b];fnbtndown=[c]",
                         "fontup=a;sizeup=1;styleup=b;colorup=1,1,1",
                         "fontmv=a;sizemv=1;stylemv=b;colormv=1,1,1",
                         "caption=[x]",
                         "go=[y]",
                         "parent=p",
                         "type=" + value,
                         "vertex=[]"};
    const StructModel m = parse(lines);
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].popups.size(), 1);
    QCOMPARE(m.screens[0].popups[0].type, type);
    QVERIFY(m.screens[0].popups[0].vertex.isEmpty());
}

// `_screen` sets the picture and appends the minimize and close templates
// after the buttons listed before it.
void TestStructParser::screensAndTemplates() {
    const QStringList lines = {
        "minimize",  "vx=700",
        "vy=5",      "fn1=m1",
        "fn2=m2",    "fn3=m3",
        "hint=min",  "wav=mw",
        "close",     "vx=750",
        "vy=6",      "fn1=c1",
        "fn2=c2",    "fn3=c3",
        "hint=cls",  "wav=cw",
        "button=1",  "vx=1",
        "vy=1",      "fn1=a",
        "fn2=a",     "fn3=a",
        "go=first",  "hint=",
        "wav=",      "_screen=fon1.bmp",
        "button=1",  "vx=2",
        "vy=2",      "fn1=b",
        "fn2=b",     "fn3=b",
        "go=second", "hint=",
        "wav=",      "_screen=back.bmp;2",
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.screens.size(), 2);
    QCOMPARE(m.screens[0].picture, QStringLiteral("fon1.bmp"));
    QCOMPARE(m.screens[1].picture, QStringLiteral("back.bmp"));
    const TDynamicBtnArray& bs = m.screens[0].buttons;
    QCOMPARE(bs.size(), 4);
    QCOMPARE(bs[0].go, QStringLiteral("first"));
    QCOMPARE(bs[1].go, QStringLiteral("minimize"));
    QCOMPARE(bs[1].vx, 700);
    QCOMPARE(bs[1].vy, 5);
    QCOMPARE(bs[1].fn1, QStringLiteral("m1"));
    QCOMPARE(bs[1].fn2, QStringLiteral("m2"));
    QCOMPARE(bs[1].fn3, QStringLiteral("m3"));
    QCOMPARE(bs[1].hint, QStringLiteral("min"));
    QCOMPARE(bs[1].wav, QStringLiteral("mw"));
    QCOMPARE(bs[2].go, QStringLiteral("exit"));
    QCOMPARE(bs[2].vx, 750);
    QCOMPARE(bs[2].fn3, QStringLiteral("c3"));
    QCOMPARE(bs[2].hint, QStringLiteral("cls"));
    QCOMPARE(bs[2].wav, QStringLiteral("cw"));
    QCOMPARE(bs[3].go, QStringLiteral("second"));
    QCOMPARE(m.screens[1].buttons.size(), 2);
    QCOMPARE(m.screens[1].buttons[0].go, QStringLiteral("minimize"));
    QCOMPARE(m.screens[1].buttons[1].go, QStringLiteral("exit"));
}

void TestStructParser::screenGapsGetEmptyLists() {
    const QStringList lines = {"_screen=s1.bmp", "_screen=s3.bmp"};
    const StructModel m = parse(lines);
    QCOMPARE(m.screens.size(), 3);
    QCOMPARE(m.screens[0].picture, QStringLiteral("s1.bmp"));
    QCOMPARE(m.screens[1].picture, QString());
    QVERIFY(m.screens[1].buttons.isEmpty());
    QVERIFY(m.screens[1].switchone.isEmpty());
    QVERIFY(m.screens[1].switchgrp.isEmpty());
    QVERIFY(m.screens[1].popups.isEmpty());
    QCOMPARE(m.screens[2].picture, QStringLiteral("s3.bmp"));
    QCOMPARE(m.screens[2].buttons.size(), 2);
}

// The first kind word in table order decides, wherever the words stand.
void TestStructParser::kindWordOrder() {
    const StructModel m = parse({"_screen=x1.bmp _html", "vx=1;vy=2;vw=3;vh=4;fn=a;number=9"});
    QVERIFY(m.screens.isEmpty());
    QCOMPARE(m.html.size(), 1);
    QCOMPARE(m.html[0].number, 9);

    const StructModel n = parse({"_text switchone=1", "vx=1;vy=2;fn1=a;fn2=b;fn3=c;fn4=d",
                                 "state=on;store=on;goup=a;godown=b;hint=c;wav=d"});
    QVERIFY(n.text.isEmpty());
    QCOMPARE(n.screens.size(), 1);
    QCOMPARE(n.screens[0].switchone.size(), 1);
    QCOMPARE(n.screens[0].switchone[0].wav, QStringLiteral("d"));
}

// The pass resumes on the line after the element's last key, so a kind word
// on that same line starts nothing.
void TestStructParser::passContinuesAfterLastKeyLine() {
    const StructModel m = parse({"_path=1", "vx=1;vy=2;vw=3;vh=4", "pathdef=a;hint=b _html=1",
                                 "_path=1", "vx=5;vy=6;vw=7;vh=8;pathdef=c;hint=d"});
    QVERIFY(m.html.isEmpty());
    QCOMPARE(m.path.size(), 2);
    QCOMPARE(m.path[1].vx, 5);
    QCOMPARE(m.path[1].hint, QStringLiteral("d"));
}

// Screen numbers that name no screen drop the element (its keys are still read
// over), and never make huge lists.
void TestStructParser::screenNumbersOutOfRange() {
    const QStringList lines = {
        "button=0",
        "vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=zero;hint=;wav=",
        "button=-3",
        "vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=neg;hint=;wav=",
        "button",
        "vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=none;hint=;wav=",
        "button=2147483647",
        "vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=huge;hint=;wav=",
        "button=99999999999",
        "vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=overflow;hint=;wav=",
        "_html=5000",
        "vx=1;vy=2;vw=3;vh=4;fn=a;number=1",
        "_screen=x-1.bmp",
        "_screen=x0.bmp",
        "button=1",
        "vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=one;hint=;wav=",
        "_image=1000",
        "vx=1;vy=2;vw=3;vh=4;dir=d",
        "_popup=1001",
        "xfon=1", // reads to the end looking for its next key
    };
    const StructModel m = parse(lines);
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].buttons.size(), 1);
    QCOMPARE(m.screens[0].buttons[0].go, QStringLiteral("one"));
    QVERIFY(m.screens[0].popups.isEmpty());
    QVERIFY(m.html.isEmpty());
    QCOMPARE(m.image.size(), 1);
    QCOMPARE(m.image[0].screen, 999);

    const StructModel big = parse({"_screen=s1000.bmp"});
    QCOMPARE(big.screens.size(), 1000);
    QCOMPARE(big.screens[999].picture, QStringLiteral("s1000.bmp"));
}

void TestStructParser::thesaurusElements() {
    const QStringList lines = {
        "title=тезаурус",
        "button=1",
        "textcaption=нет",
        "vx=1;vy=2;fn1=a;fn2=b;fn3=c;go=back;hint=h;wav=w",
        "switchone=1",
        "vx=9;vy=9;fn1=a;fn2=b;fn3=c;fn4=d;state=on;store=on;goup=a;godown=b;hint=c;wav=d",
        "_clip=1",
        "vx=1;vy=2;vw=3;vh=4;bgcolor=1,1,1;html=1",
        "_path=1",
        "vx=1;vy=2;vw=3;vh=4;pathdef=a;hint=b",
        "_image=1",
        "vx=1;vy=2;vw=3;vh=4;dir=a",
        "_popup=1",
        "xfon=1",
        "_html=1",
        "vx=10;vy=20;vw=30;vh=40;fn=t.htm;number=1",
        "_findtxt=1",
        "vx=1;vy=2;vw=3;vh=4;frame=f;nofiles=[];number=1;hint=h",
        "_text=1",
        "vx=1;vy=2;vw=3;font=f;size=9;style=bold;color=1,2,3;value=v;ident=i;number=4",
        "_screen=tes1.bmp",
    };
    const StructModel m = parse(lines, StructGrammar::Thesaurus);
    QCOMPARE(m.title, QStringLiteral("Тезаурус"));
    QCOMPARE(m.screens.size(), 1);
    const RScreen& s = m.screens[0];
    QCOMPARE(s.picture, QStringLiteral("tes1.bmp"));
    QCOMPARE(s.buttons.size(), 3); // the button, then minimize and close
    QCOMPARE(s.buttons[0].go, QStringLiteral("back"));
    QCOMPARE(s.buttons[0].wav, QStringLiteral("w"));
    QCOMPARE(s.buttons[0].textcaption, QString()); // no caption keys here
    QCOMPARE(s.buttons[1].go, QStringLiteral("minimize"));
    QCOMPARE(s.buttons[2].go, QStringLiteral("exit"));
    QVERIFY(s.switchone.isEmpty());
    QVERIFY(s.popups.isEmpty());
    QVERIFY(m.clip.isEmpty());
    QVERIFY(m.path.isEmpty());
    QVERIFY(m.image.isEmpty());
    QCOMPARE(m.html.size(), 1);
    QCOMPARE(m.html[0].vh, 40);
    QCOMPARE(m.findtxt.size(), 1);
    QCOMPARE(m.findtxt[0].frame, QStringLiteral("f"));
    QCOMPARE(m.text.size(), 1);
    QCOMPARE(m.text[0].number, 4);
}

// Keys or brackets missing at the end of the text: the reading ends there and
// keeps what it has.
void TestStructParser::truncatedDescriptions() {
    // A button whose last keys are missing is kept with defaults.
    StructModel m = parse({"button=1", "vx=4", "vy=5", "fn1=a"});
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].buttons.size(), 1);
    QCOMPARE(m.screens[0].buttons[0].vy, 5);
    QCOMPARE(m.screens[0].buttons[0].fn1, QStringLiteral("a"));
    QCOMPARE(m.screens[0].buttons[0].go, QString());

    // A heading on the last line.
    m = parse({"title=x", "switchgrp=2"});
    QCOMPARE(m.screens.size(), 2);
    QCOMPARE(m.screens[1].switchgrp.size(), 1);

    // Lists without a closing bracket in every list position.
    m = parse({"_popup=1", "xfon=1;yfon=2;fnfon=a;xbtn=3;ybtn=4", "fnbtnup=[a;b", "c"});
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].popups.size(), 1);
    QCOMPARE(m.screens[0].popups[0].ybtn, 4);
    m = parse({"_findtxt=1", "vx=1;vy=2;vw=3;vh=4;frame=f", "nofiles=[a;", ""});
    QCOMPARE(m.findtxt.size(), 1);
    m = parse({"bgsounddef=[a.mp3;b.mp3", "vertexmain=[1,2;3,4"});
    QVERIFY(!m.bgsounddef.isEmpty());
    m = parse({"vertexmain=[1,2;", "3,4;"});
    QVERIFY(m.vertexmain.size() >= 2);

    // Header blocks cut short.
    m = parse({"helpwin", "vw=1"});
    QCOMPARE(m.helpwin.vw, 1);
    QCOMPARE(m.helpwin.fn, QString());
    m = parse({"close", "vx=3", "vy"});
    QCOMPARE(m.close.vx, 3);
    QCOMPARE(m.close.vy, -1);
    m = parse({"minimize"});
    QCOMPARE(m.minimize.vx, 0);

    // Keys and words with nothing after them.
    m = parse({"title", "icon", "_screen", "button=1", "vx", "vy", "fn1", "fn2", "fn3", "go",
               "hint", "wav"});
    QCOMPARE(m.title, QString());
    QCOMPARE(m.icon, QString());
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].buttons.size(), 1);
    QCOMPARE(m.screens[0].buttons[0].vx, -1);
    QCOMPARE(m.screens[0].buttons[0].go, QString());
    m = parse({"_screen=1"});
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].picture, QStringLiteral("1"));
}

// Random lines built from the grammar's own words and value syntax (and
// random bytes): every parse returns. A hang fails by the test timeout.
void TestStructParser::garbageNeverHangs() {
    static const char* const words[] = {
        "button",
        "switchone",
        "switchgrp",
        "_html",
        "_findtxt",
        "_path",
        "_clip",
        "_text",
        "_image",
        "_popup",
        "_screen",
        "title",
        "codec",
        "rolic",
        "helpwin",
        "background",
        "icon",
        "bgsounddef",
        "vertexmain",
        "minimize",
        "close",
        "vx",
        "vy",
        "vw",
        "vh",
        "fn",
        "fn1",
        "fn2",
        "fn3",
        "fn4",
        "go",
        "goup",
        "godown",
        "hint",
        "wav",
        "state",
        "store",
        "group",
        "textcaption",
        "texttx",
        "textfontcolorup",
        "textfontstyleup",
        "nofiles",
        "caption",
        "vertex",
        "type",
        "dir",
        "number",
        "[",
        "]",
        ";",
        "=",
        ",",
        "-",
        "99999999999",
        "-2147483648",
        "<cd>",
        "..\\",
        "\\",
        ":\\",
        "on",
        "1",
        "0",
        "historyback",
        " ",
    };
    const int nWords = int(sizeof(words) / sizeof(words[0]));
    QRandomGenerator rng(20261208);
    for (int round = 0; round < 400; ++round) {
        QStringList lines;
        const int nLines = rng.bounded(0, 60);
        for (int l = 0; l < nLines; ++l) {
            QString line;
            const int parts = rng.bounded(0, 8);
            for (int p = 0; p < parts; ++p) {
                if (rng.bounded(10) == 0)
                    line += QChar(ushort(rng.bounded(1, 0x500)));
                else
                    line += QLatin1String(words[rng.bounded(nWords)]);
            }
            lines.append(line);
        }
        const StructModel m =
            parse(lines, round % 3 ? StructGrammar::Main : StructGrammar::Thesaurus);
        QVERIFY(m.screens.size() <= 1000);
        const StructModel n = parseStruct(lines, nullptr, StructGrammar::Main);
        QVERIFY(n.screens.size() <= 1000);
    }
}

// Damaged descriptions of many lines full of header and kind words, open
// brackets and missing keys still read in one pass over the text (a reading
// that started over at every such line would not finish within the test's
// time limit).
void TestStructParser::largeDamagedDescriptions() {
    QStringList lines;
    for (int i = 0; i < 40000; ++i) {
        lines << QStringLiteral("close minimize helpwin bgsounddef=[a.wav")
              << QStringLiteral("vertexmain=[1,2;3,4") << QStringLiteral("textcaption=x");
    }
    lines << QStringLiteral("vx=5") << QStringLiteral("]");
    StructModel m = parse(lines);
    QCOMPARE(m.close.vx, 5);
    QCOMPARE(m.minimize.vx, 5);
    QCOMPARE(m.helpwin.vw, 0);
    QCOMPARE(m.bgsounddef.first(), resolved("a.wav"));
    QCOMPARE(m.outline.first(), QPoint(1, 2));

    lines.clear();
    for (int i = 0; i < 40000; ++i)
        lines << QStringLiteral("button=1 switchgrp=2 _popup=3") << QStringLiteral("fnbtnup=[a;b")
              << QStringLiteral("textcaption=y;vx=1");
    m = parse(lines);
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].buttons.size(), 1);
    QCOMPARE(m.screens[0].buttons[0].vx, 1);
    QCOMPARE(m.screens[0].buttons[0].vy, 0);
}

// The demo book's description reads completely: every button, switch and
// popup got all its table keys (an out-of-order key would leave an empty
// one), and every screen has its picture and the two window buttons.
void TestStructParser::demoBook() {
    QFile f(QStringLiteral(VANTREL_SOURCE_DIR "/demo/pack/Struct.cfs"));
    if (!f.open(QIODevice::ReadOnly))
        QSKIP("no demo description");
    const QStringList lines =
        cp1251::lowerAscii(QString::fromUtf8(f.readAll())).split(QLatin1Char('\n'));
    const StructModel m = parse(lines);
    QCOMPARE(m.title, QStringLiteral("Vantrel"));
    QVERIFY(m.outline.size() >= 3);
    QVERIFY(!m.minimize.fn1.isEmpty());
    QVERIFY(!m.close.fn1.isEmpty());
    QVERIFY(!m.screens.isEmpty());
    for (qsizetype s = 0; s < m.screens.size(); ++s) {
        const RScreen& sc = m.screens[s];
        QVERIFY2(!sc.picture.isEmpty(), qPrintable(QString::number(s)));
        int windowButtons = 0;
        for (const RBtn& b : sc.buttons) {
            QVERIFY2(!b.fn3.isEmpty() && !b.go.isEmpty() && !b.wav.isEmpty(), qPrintable(b.go));
            if (b.go == QLatin1String("minimize") || b.go == QLatin1String("exit"))
                ++windowButtons;
        }
        QVERIFY(windowButtons >= 2);
        for (const RSwthOne& w : sc.switchone)
            QVERIFY2(!w.fn4.isEmpty() && !w.wav.isEmpty(), qPrintable(w.hint));
        for (const RSwthGrp& w : sc.switchgrp)
            QVERIFY2(!w.fn4.isEmpty() && !w.wav.isEmpty(), qPrintable(w.hint));
    }
    QVERIFY(!m.html.isEmpty());
    for (const RHtml& h : m.html)
        QVERIFY(!h.fn.isEmpty() && h.screen >= 0 && h.screen < m.screens.size());
}

QTEST_GUILESS_MAIN(TestStructParser)
#include "tst_structparser.moc"
