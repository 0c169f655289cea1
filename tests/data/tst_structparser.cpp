#include "data/BookPaths.h"
#include "data/StructParser.h"
#include "platform/Cp1251.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

// Reading Struct.cfs and Tesaurus.cfs lines into the model. Descriptions are
// written one line per text line; records are compared as value lists in the
// order of their key tables.
class TestStructParser : public QObject {
    Q_OBJECT

private:
    BookPaths m_paths{QStringLiteral("\\book\\run\\")};

    StructModel parse(const QStringList& lines, StructGrammar g = StructGrammar::Main) const {
        return parseStruct(lines, &m_paths, g);
    }
    StructModel parse(const char* text, StructGrammar g = StructGrammar::Main) const {
        return parse(QString::fromUtf8(text).split(QLatin1Char('\n')), g);
    }
    QString res(const char* text) const { return m_paths.resolvePath(QString::fromUtf8(text)); }
    static int rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }
    template <typename... T> static QVariantList row(const T&... v) { return {QVariant(v)...}; }

    static QVariantList values(const RBtnTemplate& t) {
        return row(t.vx, t.vy, t.fn1, t.fn2, t.fn3, t.hint, t.wav);
    }
    static QVariantList values(const RBtn& b) {
        return row(b.vx, b.vy, b.fn1, b.fn2, b.fn3, b.go, b.hint, b.wav, b.textcaption, b.texttx,
                   b.textty, b.textbx, b.textby, b.textfontname, b.textfontsize, b.textfontstyleup,
                   b.textfontstylemv, b.textfontstyledn, b.textfontcolorup, b.textfontcolormv,
                   b.textfontcolordn);
    }
    static QVariantList values(const RSwthOne& s) {
        return row(s.vx, s.vy, s.fn1, s.fn2, s.fn3, s.fn4, s.state, s.store, s.goup, s.godown,
                   s.hint, s.wav, s.textcaptionup, s.textcaptiondn, s.texttxup, s.texttyup,
                   s.textbxup, s.textbyup, s.texttxdn, s.texttydn, s.textbxdn, s.textbydn,
                   s.textfontname, s.textfontsize, s.textfontstyleup, s.textfontstylemvup,
                   s.textfontstylemvdn, s.textfontstyledn, s.textfontcolorup, s.textfontcolormvup,
                   s.textfontcolormvdn, s.textfontcolordn, s.on);
    }
    static QVariantList values(const RSwthGrp& s) {
        return row(s.vx, s.vy, s.fn1, s.fn2, s.fn3, s.fn4, s.state, s.store, s.group, s.go, s.hint,
                   s.wav, s.textcaptionup, s.textcaptiondn, s.texttx, s.textty, s.textbx, s.textby,
                   s.textfontname, s.textfontsize, s.textfontstyleup, s.textfontstylemvup,
                   s.textfontstylemvdn, s.textfontstyledn, s.textfontcolorup, s.textfontcolormvup,
                   s.textfontcolormvdn, s.textfontcolordn, s.on);
    }
    static QVariantList values(const RPopupData& p) {
        return row(p.xfon, p.yfon, p.fnfon, p.xbtn, p.ybtn, p.fnbtnup, p.fnbtnmove, p.fnbtndown,
                   p.fontup, p.sizeup, p.styleup, p.colorup, p.fontmv, p.sizemv, p.stylemv,
                   p.colormv, p.caption, p.go, p.parent, p.type, p.vertex);
    }
    static QVariantList values(const RHtml& e) {
        return row(e.screen, e.vx, e.vy, e.vw, e.vh, e.fn, e.number);
    }
    static QVariantList values(const RFindTxt& e) {
        return row(e.screen, e.vx, e.vy, e.vw, e.vh, e.frame, e.nofiles, e.number, e.hint);
    }
    static QVariantList values(const RPath& e) {
        return row(e.screen, e.vx, e.vy, e.vw, e.vh, e.pathdef, e.hint);
    }
    static QVariantList values(const RClip& e) {
        return row(e.screen, e.vx, e.vy, e.vw, e.vh, e.bgcolor, e.html);
    }
    static QVariantList values(const RText& e) {
        return row(e.screen, e.vx, e.vy, e.vw, e.font, e.size, e.style, e.color, e.value, e.ident,
                   e.number);
    }
    static QVariantList values(const RImage& e) {
        return row(e.screen, e.vx, e.vy, e.vw, e.vh, e.dir);
    }

private slots:
    void resolutionIsVisible();
    void headerKeys();
    void headerKeyAnywhereInLine();
    void thesaurusHeader();
    void buttonKeysAndCaptions();
    void keyOutOfOrderIsLostAndNextOneTaken();
    void unreadableValues();
    void switchOne();
    void switchGrpCaptionsBetweenKeys();
    void processWideElements();
    void popups();
    void popupTypeWords_data();
    void popupTypeWords();
    void screensAndTemplates();
    void kindWordsAndPassOrder();
    void screenNumbersOutOfRange();
    void thesaurusElements();
    void truncatedDescriptions();
    void garbageNeverHangs();
    void largeDamagedDescriptions();
    void demoBook();
};

// The checks compare against resolvePath(); make sure resolution changes
// relative values, so that the comparisons prove it was applied.
void TestStructParser::resolutionIsVisible() {
    QVERIFY(res("docs\\a.htm") != QLatin1String("docs\\a.htm"));
    QCOMPARE(res("exit"), QStringLiteral("exit"));
}

void TestStructParser::headerKeys() {
    const StructModel m = parse(R"(title=vantrel руководство
codec=indeo5;mpegaudio
rolic=intro.avi
helpwin
  vw=640
  vh=480
  fn=help\index.htm
background=black.bmp
icon=book.ico
bgsounddef=[music\a.mp3;music\b.mp3
  music\c.mp3]
vertexmain=[0,0;800,0;800,600
0,600]
minimize
vx=700
vy=5
fn1=min1.bmp;fn2=min2.bmp
fn3=min3.bmp
hint=свернуть
wav=click.wav
close
vx=750;vy=6;fn1=cl1.bmp;fn2=cl2.bmp;fn3=cl3.bmp
hint=выход;wav=bye.wav)");
    QCOMPARE(m.title, QStringLiteral("Vantrel руководство"));
    QCOMPARE(m.codec, QStringLiteral("indeo5"));
    QCOMPARE(m.rolic, QStringLiteral("intro.avi"));
    QCOMPARE(m.helpwin.vw, 640);
    QCOMPARE(m.helpwin.vh, 480);
    QCOMPARE(m.helpwin.fn, res("help\\index.htm"));
    QCOMPARE(m.background, QStringLiteral("black.bmp"));
    QCOMPARE(m.icon, QStringLiteral("book.ico"));
    QCOMPARE(m.bgsounddef,
             QStringList({res("music\\a.mp3"), res("music\\b.mp3"), res("music\\c.mp3")}));
    QCOMPARE(m.vertexmain, QStringList({"0,0", "800,0", "800,600", "0,600"}));
    QCOMPARE(m.outline, QPolygon({QPoint(0, 0), QPoint(800, 0), QPoint(800, 600), QPoint(0, 600)}));
    QCOMPARE(values(m.minimize),
             row(700, 5, "min1.bmp", "min2.bmp", "min3.bmp", "свернуть", "click.wav"));
    QCOMPARE(values(m.close), row(750, 6, "cl1.bmp", "cl2.bmp", "cl3.bmp", "выход", "bye.wav"));
    // Header blocks start no elements.
    QVERIFY(m.screens.isEmpty());
    QVERIFY(m.html.isEmpty());

    QCOMPARE(parse("title=тезаурус").title, QStringLiteral("Тезаурус"));
    QCOMPARE(parse("title=").title, QString());
    QCOMPARE(parse(QStringList()).title, QString());
}

// A line holding a header word is that header wherever it stands: a hint with
// "close" in it starts a second close block, read from the next button's
// keys; a block cut short keeps the earlier values of the keys it missed.
void TestStructParser::headerKeyAnywhereInLine() {
    StructModel m = parse(R"(close
vx=1;vy=2;fn1=a;fn2=b;fn3=c;hint=x;wav=y
button=1
vx=5;vy=6;fn1=d;fn2=e;fn3=f;go=exit
hint=close it
wav=z
button=1
vx=7;vy=8;fn1=g;fn2=h;fn3=i;go=back;hint=j;wav=k)");
    QCOMPARE(values(m.close), row(7, 8, "g", "h", "i", "j", "k"));
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].buttons.size(), 2);
    QCOMPARE(m.screens[0].buttons[0].hint, QStringLiteral("close it"));

    m = parse("close\nvx=1;vy=2;fn1=a;fn2=b;fn3=c;hint=x;wav=y\nclose\nvx=9");
    QCOMPARE(values(m.close), row(9, 2, "a", "b", "c", "x", "y"));
}

void TestStructParser::thesaurusHeader() {
    const StructModel m = parse(R"(title=тезаурус
codec=indeo5
rolic=a.avi
icon=t.ico
background=b.bmp
bgsounddef=[a.mp3]
helpwin;vw=1;vh=2;fn=a.htm
vertexmain=[1,2;3,4]
minimize
vx=3;vy=4;fn1=m1;fn2=m2;fn3=m3;hint=h;wav=w)",
                                StructGrammar::Thesaurus);
    QCOMPARE(m.title, QStringLiteral("Тезаурус"));
    QCOMPARE(m.icon, QStringLiteral("t.ico"));
    QCOMPARE(values(m.minimize), row(3, 4, "m1", "m2", "m3", "h", "w"));
    // Not part of the reduced grammar.
    QCOMPARE(m.codec, QString());
    QCOMPARE(m.rolic, QString());
    QCOMPARE(m.background, QString());
    QCOMPARE(m.helpwin.vw, 0);
    QVERIFY(m.bgsounddef.isEmpty());
    QVERIFY(m.vertexmain.isEmpty());
    QVERIFY(m.outline.isEmpty());
}

// Caption keys are taken from every line passed over, in any order and among
// the table keys; table keys may share a line.
void TestStructParser::buttonKeysAndCaptions() {
    StructModel m = parse(R"(button=2
textcaption= Назад 
vx=10
texttx=1
textty=2
vy=20
textbx=30;textby=12
fn1=b1.bmp
textfontname=arial
fn2=b2.bmp
textfontsize=9
textfontstyleup=bold
textfontstylemv=bold italic underline strikeout
textfontstyledn=italic
fn3=b3.bmp
textfontcolorup=255,0,0
textfontcolormv=0,255,0
textfontcolordn=1,2,3
go=html=1=docs\a.htm
hint=к началу
wav=click.wav)");
    QCOMPARE(m.screens.size(), 2);
    QVERIFY(m.screens[0].buttons.isEmpty());
    QCOMPARE(m.screens[1].buttons.size(), 1);
    const RBtn& b = m.screens[1].buttons[0];
    QCOMPARE(values(b), row(10, 20, "b1.bmp", "b2.bmp", "b3.bmp",
                            "html=1=docs\\a.htm", // a text: not resolved
                            "к началу", "click.wav", "Назад", 1, 2, 30, 12, "arial", 9, 1, 15, 2,
                            rgb(255, 0, 0), rgb(0, 255, 0), rgb(1, 2, 3)));
    QCOMPARE(b.right, 0);
    QCOMPARE(b.bottom, 0);

    // Everything on three lines, the first key on the heading line.
    m = parse("button=1; vx=10;vy=20\nfn1=a;fn2=b;fn3=c\ngo=back;hint=назад;wav=no");
    QCOMPARE(values(m.screens[0].buttons[0]).mid(0, 8),
             row(10, 20, "a", "b", "c", "back", "назад", "no"));
}

// A `go` before `fn3` is passed over; the next `go` after the fn3 line is
// taken, here the following button's, whose heading is read over.
void TestStructParser::keyOutOfOrderIsLostAndNextOneTaken() {
    const StructModel m = parse(R"(button=1
vx=1;vy=2;fn1=a1;fn2=a2
go=first
fn3=a3
hint=h1;wav=w1
button=1
vx=3;vy=4;fn1=b1;fn2=b2;fn3=b3
go=second;hint=h2;wav=w2
button=1
vx=5;vy=6;fn1=c1;fn2=c2;fn3=c3;go=third;hint=h3;wav=w3)");
    QCOMPARE(m.screens.size(), 1);
    const TDynamicBtnArray& bs = m.screens[0].buttons;
    QCOMPARE(bs.size(), 2);
    QCOMPARE(values(bs[0]).mid(0, 8), row(1, 2, "a1", "a2", "a3", "second", "h2", "w2"));
    QCOMPARE(values(bs[1]).mid(0, 8), row(5, 6, "c1", "c2", "c3", "third", "h3", "w3"));
}

void TestStructParser::unreadableValues() {
    const StructModel m = parse(R"(_html=1
vx=
vy=-5
vw=12px
vh=1-2
fn=
number=abc)");
    QCOMPARE(m.html.size(), 1);
    QCOMPARE(values(m.html[0]), row(0, -1, -5, 12, -1, "", -1));
    // Process-wide elements make no screens.
    QVERIFY(m.screens.isEmpty());
}

void TestStructParser::switchOne() {
    const StructModel m = parse(R"(switchone=1
vx=100;vy=200
textcaptionup=вкл
textcaptiondn=выкл
fn1=s1.bmp
texttxup=1;texttyup=2;textbxup=3;textbyup=4
texttxdn=5
texttydn=6;textbxdn=7
textbydn=8
fn2=s2.bmp
fn3=s3.bmp
textfontname=tahoma
textfontsize=10
fn4=s4.bmp
textfontstyleup=bold
textfontstylemvup=italic
textfontstylemvdn=underline
textfontstyledn=strikeout
textfontcolorup=1,0,0
textfontcolormvup=0,1,0
textfontcolormvdn=0,0,1
textfontcolordn=9,9,9
state=on
store=on
goup=tree1
godown=run=tools\x.exe
hint=дерево
wav=no
switchone=1
vx=1;vy=2;fn1=a;fn2=b;fn3=c;fn4=d
state=off;store=
goup=..\docs\a.htm;godown=exit;hint=x;wav=y)");
    QCOMPARE(m.screens.size(), 1);
    const TDynamicSwthOneArray& ss = m.screens[0].switchone;
    QCOMPARE(ss.size(), 2);
    QCOMPARE(values(ss[0]), row(100, 200, "s1.bmp", "s2.bmp", "s3.bmp", "s4.bmp", true, true,
                                "tree1", res("run=tools\\x.exe"), "дерево", "no", "вкл", "выкл", 1,
                                2, 3, 4, 5, 6, 7, 8, "tahoma", 10, 1, 2, 4, 8, rgb(1, 0, 0),
                                rgb(0, 1, 0), rgb(0, 0, 1), rgb(9, 9, 9), true));
    QVERIFY(ss[0].godown.startsWith(QLatin1String("run="))); // the verb is kept
    QVERIFY(!ss[0].hover);
    QCOMPARE(values(ss[1]).mid(0, 12),
             row(1, 2, "a", "b", "c", "d", false, false, res("..\\docs\\a.htm"), "exit", "x", "y"));
    QVERIFY(!ss[1].on);
}

// Caption keys written between `vx` and `fn1` still reach the switch.
void TestStructParser::switchGrpCaptionsBetweenKeys() {
    const StructModel m = parse(R"(switchgrp=1
vx=5
textcaptionup=2d
textcaptiondn=3d
texttx=1;textty=2
textbx=3;textby=4
textfontname=verdana
textfontsize=7
textfontstyleup=bold
textfontstylemvup=bold italic
textfontstylemvdn=italic
textfontstyledn=underline
textfontcolorup=10,20,30
textfontcolormvup=40,50,60
textfontcolormvdn=70,80,90
textfontcolordn=100,110,120
vy=6
fn1=g1;fn2=g2
fn3=g3
fn4=g4
state=on
store=off
group=3
go=html=1=docs\b.htm
hint=вид
wav=w.wav)");
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].switchgrp.size(), 1);
    QCOMPARE(values(m.screens[0].switchgrp[0]),
             row(5, 6, "g1", "g2", "g3", "g4", true, false, 3, res("html=1=docs\\b.htm"), "вид",
                 "w.wav", "2d", "3d", 1, 2, 3, 4, "verdana", 7, 1, 3, 2, 4, rgb(10, 20, 30),
                 rgb(40, 50, 60), rgb(70, 80, 90), rgb(100, 110, 120), true));
}

void TestStructParser::processWideElements() {
    const StructModel m = parse(R"(_html=2
vx=10;vy=20;vw=400;vh=300
fn=docs\start.htm
number=1
_findtxt=2
vx=1;vy=2;vw=3;vh=4
frame=main
nofiles=[docs\a.htm
docs\b.htm]
number=5
hint=поиск
_path=3
vx=5;vy=6;vw=7;vh=8
pathdef=c:\install
hint=папка
_clip=1
vx=9;vy=10;vw=11;vh=12
bgcolor=0,0,255
html=1
_text=2
vx=13;vy=14;vw=15
font=times new roman
size=12
style=bold italic
color=0,128,0
value=Заголовок
ident=title
number=2
_image=1
vx=1;vy=2;vw=3;vh=4
dir=slides\engine
_image=1
vx=1;vy=2;vw=3;vh=4;dir=slides\body\
_image=2
vx=1;vy=2;vw=3;vh=4;dir=)");
    QVERIFY(m.screens.isEmpty());
    QCOMPARE(m.html.size(), 1);
    QCOMPARE(values(m.html[0]), row(1, 10, 20, 400, 300, res("docs\\start.htm"), 1));
    QCOMPARE(m.findtxt.size(), 1);
    QCOMPARE(values(m.findtxt[0]),
             row(1, 1, 2, 3, 4, "main", QStringList({res("docs\\a.htm"), res("docs\\b.htm")}), 5,
                 "поиск"));
    QCOMPARE(m.path.size(), 1);
    QCOMPARE(values(m.path[0]), row(2, 5, 6, 7, 8, "c:\\install", "папка"));
    QCOMPARE(m.clip.size(), 1);
    QCOMPARE(values(m.clip[0]), row(0, 9, 10, 11, 12, rgb(0, 0, 255), 1));
    QCOMPARE(m.text.size(), 1);
    QCOMPARE(values(m.text[0]), row(1, 13, 14, 15, "times new roman", 12, "bold italic",
                                    rgb(0, 128, 0), "Заголовок", "title", 2));
    // A picture folder gets one trailing backslash; no folder gets none (a
    // lone backslash would name the root of the disc).
    QCOMPARE(m.image.size(), 3);
    QCOMPARE(values(m.image[0]), row(0, 1, 2, 3, 4, res("slides\\engine") + "\\"));
    QCOMPARE(m.image[1].dir, res("slides\\body\\"));
    QVERIFY(m.image[1].dir.endsWith(QLatin1String("body\\")));
    QCOMPARE(values(m.image[2]), row(1, 1, 2, 3, 4, ""));
}

void TestStructParser::popups() {
    const StructModel m = parse(R"(_popup=2
xfon=-1;yfon=100
fnfon=pop_bg.bmp
xbtn=5
ybtn=-1
fnbtnup=[i1.bmp;i2.bmp]
fnbtnmove=[m1.bmp
m2.bmp]
fnbtndown=[d1.bmp]
fontup=arial;sizeup=8;styleup=bold;colorup=0,0,0
fontmv=arial black
sizemv=9
stylemv=bold underline
colormv=255,255,255
caption=[Открыть;Печать
Выход]
go=[html=1=a.htm;print;exit]
parent=main
type=7
vertex=[0,0;100,0;100,50]
_popup=2
xfon=1
type=favorite)");
    QCOMPARE(m.screens.size(), 2);
    QVERIFY(m.screens[0].popups.isEmpty());
    QVERIFY(m.screens[1].buttons.isEmpty());
    QCOMPARE(m.screens[1].popups.size(), 2);
    QCOMPARE(values(m.screens[1].popups[0]),
             row(-1, 100, "pop_bg.bmp", 5, -1, QStringList({res("i1.bmp"), res("i2.bmp")}),
                 QStringList({res("m1.bmp"), res("m2.bmp")}), QStringList({res("d1.bmp")}), "arial",
                 8, "bold", 0, "arial black", 9, "bold underline", rgb(255, 255, 255),
                 QStringList({"Открыть", "Печать", "Выход"}),
                 QStringList({res("html=1=a.htm"), "print", "exit"}), "main", 7,
                 QStringList({"0,0", "100,0", "100,50"})));
    // The second popup stops at its missing `yfon`: `type` is never reached.
    RPopupData expected;
    expected.xfon = 1;
    QCOMPARE(values(m.screens[1].popups[1]), values(expected));
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
    const QStringList lines = {"_popup=1",
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
}

// `_screen` sets the picture and appends the minimize and close templates
// after the buttons listed before it; screens in between get empty lists.
void TestStructParser::screensAndTemplates() {
    const StructModel m = parse(R"(minimize
vx=700;vy=5;fn1=m1;fn2=m2;fn3=m3;hint=min;wav=mw
close
vx=750;vy=6;fn1=c1;fn2=c2;fn3=c3;hint=cls;wav=cw
button=1
vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=first;hint=;wav=
_screen=fon1.bmp
button=1
vx=2;vy=2;fn1=b;fn2=b;fn3=b;go=second;hint=;wav=
_screen=back.bmp;3)");
    QCOMPARE(m.screens.size(), 3);
    QCOMPARE(m.screens[0].picture, QStringLiteral("fon1.bmp"));
    const TDynamicBtnArray& bs = m.screens[0].buttons;
    QCOMPARE(bs.size(), 4);
    QCOMPARE(bs[0].go, QStringLiteral("first"));
    QCOMPARE(values(bs[1]).mid(0, 8), row(700, 5, "m1", "m2", "m3", "minimize", "min", "mw"));
    QCOMPARE(values(bs[2]).mid(0, 8), row(750, 6, "c1", "c2", "c3", "exit", "cls", "cw"));
    QCOMPARE(bs[3].go, QStringLiteral("second"));

    const RScreen& gap = m.screens[1];
    QVERIFY(gap.picture.isEmpty() && gap.buttons.isEmpty() && gap.switchone.isEmpty() &&
            gap.switchgrp.isEmpty() && gap.popups.isEmpty());

    QCOMPARE(m.screens[2].picture, QStringLiteral("back.bmp"));
    QCOMPARE(m.screens[2].buttons.size(), 2);
    QCOMPARE(m.screens[2].buttons[0].go, QStringLiteral("minimize"));
    QCOMPARE(m.screens[2].buttons[1].go, QStringLiteral("exit"));
}

// The first kind word in table order decides wherever the words stand; the
// pass resumes on the line after an element's last key, so a kind word on
// that line starts nothing.
void TestStructParser::kindWordsAndPassOrder() {
    StructModel m = parse("_screen=x1.bmp _html\nvx=1;vy=2;vw=3;vh=4;fn=a;number=9");
    QVERIFY(m.screens.isEmpty());
    QCOMPARE(m.html.size(), 1);
    QCOMPARE(m.html[0].number, 9);

    m = parse("_text switchone=1\nvx=1;vy=2;fn1=a;fn2=b;fn3=c;fn4=d\n"
              "state=on;store=on;goup=a;godown=b;hint=c;wav=d");
    QVERIFY(m.text.isEmpty());
    QCOMPARE(m.screens[0].switchone.size(), 1);
    QCOMPARE(m.screens[0].switchone[0].wav, QStringLiteral("d"));

    m = parse("_path=1\nvx=1;vy=2;vw=3;vh=4\npathdef=a;hint=b _html=1\n"
              "_path=1\nvx=5;vy=6;vw=7;vh=8;pathdef=c;hint=d");
    QVERIFY(m.html.isEmpty());
    QCOMPARE(m.path.size(), 2);
    QCOMPARE(values(m.path[1]), row(0, 5, 6, 7, 8, "c", "d"));
}

// Screen numbers that name no screen drop the element (its keys are still
// read over) and never make huge lists.
void TestStructParser::screenNumbersOutOfRange() {
    const StructModel m = parse(R"(button=0
vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=zero;hint=;wav=
button=-3
vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=neg;hint=;wav=
button
vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=none;hint=;wav=
button=2147483647
vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=huge;hint=;wav=
button=99999999999
vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=overflow;hint=;wav=
_html=5000
vx=1;vy=2;vw=3;vh=4;fn=a;number=1
_screen=x-1.bmp
_screen=x0.bmp
button=1
vx=1;vy=1;fn1=a;fn2=a;fn3=a;go=one;hint=;wav=
_image=1000
vx=1;vy=2;vw=3;vh=4;dir=d
_popup=1001
xfon=1)");
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(m.screens[0].buttons.size(), 1);
    QCOMPARE(m.screens[0].buttons[0].go, QStringLiteral("one"));
    QVERIFY(m.screens[0].popups.isEmpty());
    QVERIFY(m.html.isEmpty());
    QCOMPARE(m.image.size(), 1);
    QCOMPARE(m.image[0].screen, 999);

    const StructModel big = parse("_screen=s1000.bmp");
    QCOMPARE(big.screens.size(), 1000);
    QCOMPARE(big.screens[999].picture, QStringLiteral("s1000.bmp"));
}

void TestStructParser::thesaurusElements() {
    const StructModel m = parse(R"(title=тезаурус
button=1
textcaption=нет
vx=1;vy=2;fn1=a;fn2=b;fn3=c;go=back;hint=h;wav=w
switchone=1
vx=9;vy=9;fn1=a;fn2=b;fn3=c;fn4=d;state=on;store=on;goup=a;godown=b;hint=c;wav=d
switchgrp=1
vx=9;vy=9;fn1=a;fn2=b;fn3=c;fn4=d;state=on;store=on;group=1;go=a;hint=c;wav=d
_clip=1
vx=1;vy=2;vw=3;vh=4;bgcolor=1,1,1;html=1
_path=1
vx=1;vy=2;vw=3;vh=4;pathdef=a;hint=b
_image=1
vx=1;vy=2;vw=3;vh=4;dir=a
_popup=1
xfon=1
_html=1
vx=10;vy=20;vw=30;vh=40;fn=t.htm;number=1
_findtxt=1
vx=1;vy=2;vw=3;vh=4;frame=f;nofiles=[];number=1;hint=h
_text=1
vx=1;vy=2;vw=3;font=f;size=9;style=bold;color=1,2,3;value=v;ident=i;number=4
_screen=tes1.bmp)",
                                StructGrammar::Thesaurus);
    QCOMPARE(m.screens.size(), 1);
    const RScreen& s = m.screens[0];
    QCOMPARE(s.picture, QStringLiteral("tes1.bmp"));
    QCOMPARE(s.buttons.size(), 3); // the button, then minimize and close
    QCOMPARE(values(s.buttons[0]).mid(0, 9),
             row(1, 2, "a", "b", "c", "back", "h", "w", "")); // no caption keys
    QCOMPARE(s.buttons[1].go, QStringLiteral("minimize"));
    QCOMPARE(s.buttons[2].go, QStringLiteral("exit"));
    QVERIFY(s.switchone.isEmpty() && s.switchgrp.isEmpty() && s.popups.isEmpty());
    QVERIFY(m.clip.isEmpty() && m.path.isEmpty() && m.image.isEmpty());
    QCOMPARE(values(m.html.value(0)), row(0, 10, 20, 30, 40, res("t.htm"), 1));
    QCOMPARE(values(m.findtxt.value(0)), row(0, 1, 2, 3, 4, "f", QStringList(), 1, "h"));
    QCOMPARE(values(m.text.value(0)), row(0, 1, 2, 3, "f", 9, "bold", rgb(1, 2, 3), "v", "i", 4));
}

// Keys, words or brackets missing at the end of the text: the reading ends
// there and keeps what it has.
void TestStructParser::truncatedDescriptions() {
    StructModel m = parse("button=1\nvx=4\nvy=5\nfn1=a");
    QCOMPARE(m.screens[0].buttons.size(), 1);
    QCOMPARE(values(m.screens[0].buttons[0]).mid(0, 6), row(4, 5, "a", "", "", ""));

    m = parse("title=x\nswitchgrp=2"); // a heading on the last line
    QCOMPARE(m.screens.size(), 2);
    QCOMPARE(m.screens[1].switchgrp.size(), 1);

    // Lists without a closing bracket.
    m = parse("_popup=1\nxfon=1;yfon=2;fnfon=a;xbtn=3;ybtn=4\nfnbtnup=[a;b\nc");
    QCOMPARE(m.screens[0].popups.size(), 1);
    QCOMPARE(m.screens[0].popups[0].ybtn, 4);
    QCOMPARE(m.screens[0].popups[0].fnbtnup.size(), 3);
    m = parse("_findtxt=1\nvx=1;vy=2;vw=3;vh=4;frame=f\nnofiles=[a;\n");
    QCOMPARE(m.findtxt.size(), 1);
    m = parse("bgsounddef=[a.mp3;b.mp3\nvertexmain=[1,2;3,4");
    QCOMPARE(m.bgsounddef.mid(0, 2), QStringList({res("a.mp3"), res("b.mp3")}));
    QCOMPARE(m.outline, QPolygon({QPoint(1, 2), QPoint(3, 4)}));

    // Header blocks cut short.
    m = parse("helpwin\nvw=1");
    QCOMPARE(m.helpwin.vw, 1);
    QCOMPARE(m.helpwin.fn, QString());
    m = parse("close\nvx=3\nvy");
    QCOMPARE(values(m.close), row(3, -1, "", "", "", "", ""));

    // Keys and words with nothing after them.
    m = parse("title\nicon\n_screen\nbutton=1\nvx\nvy\nfn1\nfn2\nfn3\ngo\nhint\nwav");
    QCOMPARE(m.title, QString());
    QCOMPARE(m.icon, QString());
    QCOMPARE(m.screens.size(), 1);
    QCOMPARE(values(m.screens[0].buttons.value(0)).mid(0, 8), row(-1, -1, "", "", "", "", "", ""));
    QCOMPARE(parse("_screen=1").screens.value(0).picture, QStringLiteral("1"));
}

// Random lines built from the grammar's own words and value syntax (and
// random characters): every parse returns. A hang fails by the test timeout.
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
        QVERIFY(parseStruct(lines, nullptr, StructGrammar::Main).screens.size() <= 1000);
    }
}

// Large damaged descriptions full of header and kind words, open brackets and
// missing keys still read in one pass (starting over at every such line would
// not finish within the test's time limit).
void TestStructParser::largeDamagedDescriptions() {
    QStringList lines;
    for (int i = 0; i < 40000; ++i)
        lines << QStringLiteral("close minimize helpwin bgsounddef=[a.wav")
              << QStringLiteral("vertexmain=[1,2;3,4") << QStringLiteral("textcaption=x");
    lines << QStringLiteral("vx=5") << QStringLiteral("]");
    StructModel m = parse(lines);
    QCOMPARE(m.close.vx, 5);
    QCOMPARE(m.minimize.vx, 5);
    QCOMPARE(m.helpwin.vw, 0);
    QCOMPARE(m.bgsounddef.first(), res("a.wav"));
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

// The demo book's description reads completely: every button and switch got
// all its table keys (an out-of-order key would leave one empty), and every
// screen has its picture and the two window buttons.
void TestStructParser::demoBook() {
    QFile f(QStringLiteral(VANTREL_SOURCE_DIR "/demo/pack/Struct.cfs"));
    if (!f.open(QIODevice::ReadOnly))
        QSKIP("no demo description");
    const StructModel m =
        parse(cp1251::lowerAscii(QString::fromUtf8(f.readAll())).split(QLatin1Char('\n')));
    QCOMPARE(m.title, QStringLiteral("Vantrel"));
    QVERIFY(m.outline.size() >= 3);
    QVERIFY(!m.minimize.fn1.isEmpty() && !m.close.fn1.isEmpty());
    QVERIFY(!m.screens.isEmpty());
    for (const RScreen& sc : m.screens) {
        QVERIFY(!sc.picture.isEmpty());
        int windowButtons = 0;
        for (const RBtn& b : sc.buttons) {
            QVERIFY2(!b.fn3.isEmpty() && !b.go.isEmpty() && !b.wav.isEmpty(), qPrintable(b.go));
            windowButtons += b.go == QLatin1String("minimize") || b.go == QLatin1String("exit");
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
