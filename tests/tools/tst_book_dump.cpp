// dump through the book tool: a description that uses every key of every
// element kind, read back as JSON, key by key.
#include "ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every header key and every key of every element kind, with distinct
// values. Upper-case ASCII checks the lower-casing of the description;
// Cyrillic capitals survive it.
const char* const kStruct = R"(; every key of the main grammar
title=ваз 2107
codec=Indeo5
rolic=start.avi
background=on
icon=main.ico
bgsounddef=[snd\a.wav;snd\b.wav]
helpwin
vw=640
vh=480
fn=help\help.htm
vertexmain=[0,0;100,0
100,50;0,50]
minimize
vx=664
vy=11
fn1=min_1.bmp
fn2=min_2.bmp
fn3=min_3.bmp
hint=Свернуть
wav=snd\min.wav
close
vx=698
vy=12
fn1=cls_1.bmp
fn2=cls_2.bmp
fn3=cls_3.bmp
hint=Выход
wav=snd\exit.wav

[1] _screen=Cover.BMP
[1] button
vx=10
vy=-5
textcaption=Читать
texttx=1
textty=2
textbx=3
textby=4
textfontname=liberation serif
textfontsize=13
textfontstyleup=bold italic
textfontstylemv=underline
textfontstyledn=strikeout bold
textfontcolorup=255,0,0
textfontcolormv=0,255,0
textfontcolordn=1,2,3
fn1=Big_1.BMP
fn2=big_2.bmp
fn3=big_3.bmp
go=screen2=p01.htm
hint=Открыть книгу
wav=snd\click.wav

[1] switchone
vx=20
vy=21
textcaptionup=Вверх
textcaptiondn=Вниз
texttxup=11
texttyup=12
textbxup=13
textbyup=14
texttxdn=15
texttydn=16
textbxdn=17
textbydn=18
textfontname=tahoma
textfontsize=8
textfontstyleup=bold
textfontstylemvup=italic
textfontstylemvdn=underline
textfontstyledn=strikeout
textfontcolorup=0,0,1
textfontcolormvup=0,1,0
textfontcolormvdn=1,0,0
textfontcolordn=2,2,2
fn1=s1.bmp
fn2=s2.bmp
fn3=s3.bmp
fn4=s4.bmp
state=on
store=on
goup=findtxtlimit
godown=docs\d.htm
hint=Искать везде
wav=snd\sw.wav

[1] switchgrp
vx=30
vy=31
textcaptionup=2D
textcaptiondn=3D
texttx=5
textty=6
textbx=7
textby=8
textfontname=arial
textfontsize=9
textfontstyleup=bold
textfontstylemvup=italic
textfontstylemvdn=underline
textfontstyledn=strikeout
textfontcolorup=10,20,30
textfontcolormvup=40,50,60
textfontcolormvdn=70,80,90
textfontcolordn=100,110,120
fn1=g1.bmp
fn2=g2.bmp
fn3=g3.bmp
fn4=g4.bmp
state=off
store=on
group=2
go=views\flat.htm
hint=Плоский вид
wav=snd\g.wav

[1] _popup
xfon=1
yfon=2
fnfon=pop.bmp
xbtn=3
ybtn=4
fnbtnup=[u1.bmp;u2.bmp]
fnbtnmove=[m1.bmp;m2.bmp]
fnbtndown=[d1.bmp
d2.bmp]
fontup=arial
sizeup=10
styleup=bold
colorup=1,0,0
fontmv=tahoma
sizemv=11
stylemv=italic
colormv=0,0,1
caption=[Первый;Второй]
go=[html=1=p1.htm;exit]
parent=main
type=favorite
vertex=[0,0;10,0;10,10]

[1] _html
vx=100
vy=101
vw=500
vh=400
fn=start.htm
number=1

[1] _findtxt
vx=110
vy=111
vw=210
vh=131
frame=1
nofiles=[a.htm;b.htm]
number=2
hint=Поиск

[1] _path
vx=120
vy=121
vw=320
vh=141
pathdef=~\vantrel\
hint=Папка

[1] _clip
vx=130
vy=131
vw=330
vh=231
bgcolor=0,0,255
html=1

[1] _text
vx=140
vy=141
vw=340
font=arial
size=12
style=bold
color=255,255,0
value=Текст строки
ident=status
number=3

[1] _image
vx=150
vy=151
vw=350
vh=251
dir=pics\slides

[3] _screen=third.bmp
[3] _popup
xfon=5;yfon=6
fnfon=p3.bmp;xbtn=7;ybtn=8
fnbtnup=[]
fnbtnmove=[]
fnbtndown=[]
fontup=;sizeup=0;styleup=
colorup=0,0,0
fontmv=;sizemv=0;stylemv=
colormv=0,0,0
caption=[]
go=[]
parent=
type=7
vertex=[]
[3] _html
vx=1
vy=2
vw=3
vh=4
fn=x\y.htm
number=9
[3] button
vx=5
vy=oops
)";

// The reduced grammar: only title, icon, minimize, close and the kinds
// button, _html, _findtxt, _text and _screen count.
const char* const kThesaurus = R"(title=тезаурус
codec=indeo5
icon=t.ico
[1] _screen=t.bmp
[1] button
vx=1
vy=2
textcaption=ignored
fn1=a.bmp
fn2=b.bmp
fn3=c.bmp
go=exit
hint=Закрыть окно
wav=w.wav
[1] switchone
vx=9
vy=9
[1] _text
vx=3
vy=4
vw=5
font=arial
size=6
style=italic
color=0,0,0
value=Слово
ident=word
number=1
)";

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QJsonArray strings(const QStringList& list) {
    QJsonArray a;
    for (const QString& s : list)
        a.append(s);
    return a;
}

QJsonObject dumpOf(const QStringList& args) {
    const ToolResult r = ToolRunner::run(args);
    if (r.exitCode != 0 || !r.err.isEmpty()) {
        qWarning("%s", r.err.constData());
        return {};
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    if (error.error != QJsonParseError::NoError)
        qWarning("%s", qPrintable(error.errorString()));
    return doc.object();
}

// Compares two JSON values key by key so that a failure names the key.
void compareJson(const QJsonValue& actual, const QJsonValue& expected, const QString& where) {
    if (expected.isObject() && actual.isObject()) {
        const QJsonObject a = actual.toObject();
        const QJsonObject e = expected.toObject();
        QVERIFY2(a.keys() == e.keys(),
                 qPrintable(where + ": keys " + a.keys().join(',') + " != " + e.keys().join(',')));
        for (const QString& key : e.keys()) {
            compareJson(a[key], e[key], where + '.' + key);
            if (QTest::currentTestFailed())
                return;
        }
        return;
    }
    if (expected.isArray() && actual.isArray() &&
        actual.toArray().size() == expected.toArray().size()) {
        for (qsizetype i = 0; i < expected.toArray().size(); ++i) {
            compareJson(actual.toArray()[i], expected.toArray()[i],
                        where + '[' + QString::number(i) + ']');
            if (QTest::currentTestFailed())
                return;
        }
        return;
    }
    QVERIFY2(
        actual == expected,
        qPrintable(
            where + ": " +
            QString::fromUtf8(QJsonDocument(QJsonArray{actual}).toJson(QJsonDocument::Compact)) +
            " != " +
            QString::fromUtf8(QJsonDocument(QJsonArray{expected}).toJson(QJsonDocument::Compact))));
}

} // namespace

class TestBookDump : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void header();
    void screens();
    void processWideLists();
    void defaultBaseIsThePacksFolder();
    void thesaurusGrammar();
    void errors_data();
    void errors();

private:
    QTemporaryDir m_dir;
    QString m_pack;
    QJsonObject m_dump;
};

void TestBookDump::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir().mkpath(m_dir.filePath("book")));
    QVERIFY(writeFile(m_dir.filePath("book/Struct.cfs"), kStruct));
    QVERIFY(writeFile(m_dir.filePath("book/Tesaurus.cfs"), kThesaurus));
    QVERIFY(writeFile(m_dir.filePath("book/cover.bmp"), "BM"));
    m_pack = m_dir.filePath("run/Dod.dhl");
    QVERIFY(QDir().mkpath(m_dir.filePath("run")));
    const ToolResult packed = ToolRunner::run({"pack", m_dir.filePath("book"), "-o", m_pack});
    QVERIFY2(packed.exitCode == 0, packed.err.constData());
    m_dump = dumpOf({"dump", m_pack, "--base", "/book/run"});
    QVERIFY(!m_dump.isEmpty());
}

void TestBookDump::header() {
    const QJsonObject minimize{{"vx", 664},
                               {"vy", 11},
                               {"fn1", "min_1.bmp"},
                               {"fn2", "min_2.bmp"},
                               {"fn3", "min_3.bmp"},
                               {"hint", QStringLiteral(u"Свернуть")},
                               {"wav", "snd\\min.wav"}};
    const QJsonObject close{{"vx", 698},
                            {"vy", 12},
                            {"fn1", "cls_1.bmp"},
                            {"fn2", "cls_2.bmp"},
                            {"fn3", "cls_3.bmp"},
                            {"hint", QStringLiteral(u"Выход")},
                            {"wav", "snd\\exit.wav"}};
    QJsonObject expected = m_dump;
    expected["title"] = QStringLiteral(u"Ваз 2107");
    expected["codec"] = "indeo5";
    expected["rolic"] = "start.avi";
    expected["helpwin"] =
        QJsonObject{{"vw", 640}, {"vh", 480}, {"fn", "\\book\\run\\help\\help.htm"}};
    expected["background"] = "on";
    expected["icon"] = "main.ico";
    expected["bgsounddef"] = strings({"\\book\\run\\snd\\a.wav", "\\book\\run\\snd\\b.wav"});
    expected["vertexmain"] =
        QJsonArray{QJsonArray{0, 0}, QJsonArray{100, 0}, QJsonArray{100, 50}, QJsonArray{0, 50}};
    expected["minimize"] = minimize;
    expected["close"] = close;
    compareJson(m_dump, expected, "dump");
    const QStringList lists = {"screens", "html", "findtxt", "path", "clip", "text", "image"};
    for (const QString& key : lists)
        QVERIFY2(m_dump[key].isArray(), qPrintable(key));
    QCOMPARE(m_dump.keys().size(), 10 + lists.size());
}

void TestBookDump::screens() {
    const QString base = QStringLiteral("\\book\\run\\");
    const QJsonArray screens = m_dump["screens"].toArray();
    QCOMPARE(screens.size(), 3);

    const QJsonObject button{{"vx", 10},
                             {"vy", -5},
                             {"fn1", "big_1.bmp"},
                             {"fn2", "big_2.bmp"},
                             {"fn3", "big_3.bmp"},
                             {"go", "screen2=p01.htm"},
                             {"hint", QStringLiteral(u"Открыть книгу")},
                             {"wav", "snd\\click.wav"},
                             {"textcaption", QStringLiteral(u"Читать")},
                             {"texttx", 1},
                             {"textty", 2},
                             {"textbx", 3},
                             {"textby", 4},
                             {"textfontname", "liberation serif"},
                             {"textfontsize", 13},
                             {"textfontstyleup", 3},
                             {"textfontstylemv", 4},
                             {"textfontstyledn", 9},
                             {"textfontcolorup", 255},
                             {"textfontcolormv", 65280},
                             {"textfontcolordn", 1 + 2 * 256 + 3 * 65536}};
    const QJsonObject switchOne{{"vx", 20},
                                {"vy", 21},
                                {"fn1", "s1.bmp"},
                                {"fn2", "s2.bmp"},
                                {"fn3", "s3.bmp"},
                                {"fn4", "s4.bmp"},
                                {"state", true},
                                {"store", true},
                                {"goup", "findtxtlimit"},
                                {"godown", base + "docs\\d.htm"},
                                {"hint", QStringLiteral(u"Искать везде")},
                                {"wav", "snd\\sw.wav"},
                                {"textcaptionup", QStringLiteral(u"Вверх")},
                                {"textcaptiondn", QStringLiteral(u"Вниз")},
                                {"texttxup", 11},
                                {"texttyup", 12},
                                {"textbxup", 13},
                                {"textbyup", 14},
                                {"texttxdn", 15},
                                {"texttydn", 16},
                                {"textbxdn", 17},
                                {"textbydn", 18},
                                {"textfontname", "tahoma"},
                                {"textfontsize", 8},
                                {"textfontstyleup", 1},
                                {"textfontstylemvup", 2},
                                {"textfontstylemvdn", 4},
                                {"textfontstyledn", 8},
                                {"textfontcolorup", 65536},
                                {"textfontcolormvup", 256},
                                {"textfontcolormvdn", 1},
                                {"textfontcolordn", 2 + 2 * 256 + 2 * 65536}};
    const QJsonObject switchGroup{{"vx", 30},
                                  {"vy", 31},
                                  {"fn1", "g1.bmp"},
                                  {"fn2", "g2.bmp"},
                                  {"fn3", "g3.bmp"},
                                  {"fn4", "g4.bmp"},
                                  {"state", false},
                                  {"store", true},
                                  {"group", 2},
                                  {"go", base + "views\\flat.htm"},
                                  {"hint", QStringLiteral(u"Плоский вид")},
                                  {"wav", "snd\\g.wav"},
                                  {"textcaptionup", "2d"},
                                  {"textcaptiondn", "3d"},
                                  {"texttx", 5},
                                  {"textty", 6},
                                  {"textbx", 7},
                                  {"textby", 8},
                                  {"textfontname", "arial"},
                                  {"textfontsize", 9},
                                  {"textfontstyleup", 1},
                                  {"textfontstylemvup", 2},
                                  {"textfontstylemvdn", 4},
                                  {"textfontstyledn", 8},
                                  {"textfontcolorup", 10 + 20 * 256 + 30 * 65536},
                                  {"textfontcolormvup", 40 + 50 * 256 + 60 * 65536},
                                  {"textfontcolormvdn", 70 + 80 * 256 + 90 * 65536},
                                  {"textfontcolordn", 100 + 110 * 256 + 120 * 65536}};
    const QJsonObject popup{
        {"xfon", 1},
        {"yfon", 2},
        {"fnfon", "pop.bmp"},
        {"xbtn", 3},
        {"ybtn", 4},
        {"fnbtnup", strings({base + "u1.bmp", base + "u2.bmp"})},
        {"fnbtnmove", strings({base + "m1.bmp", base + "m2.bmp"})},
        {"fnbtndown", strings({base + "d1.bmp", base + "d2.bmp"})},
        {"fontup", "arial"},
        {"sizeup", 10},
        {"styleup", "bold"},
        {"colorup", 1},
        {"fontmv", "tahoma"},
        {"sizemv", 11},
        {"stylemv", "italic"},
        {"colormv", 65536},
        {"caption", strings({QStringLiteral(u"Первый"), QStringLiteral(u"Второй")})},
        {"go", strings({"html=1=" + base + "p1.htm", "exit"})},
        {"parent", "main"},
        {"type", -3},
        {"vertex", strings({"0,0", "10,0", "10,10"})}};
    // Each _screen line brings copies of the minimize and close templates
    // before the buttons that follow it.
    const QJsonArray buttons = screens[0].toObject()["buttons"].toArray();
    QCOMPARE(buttons.size(), 3);
    QCOMPARE(buttons[0].toObject()["go"].toString(), QStringLiteral("minimize"));
    QCOMPARE(buttons[0].toObject()["fn1"].toString(), QStringLiteral("min_1.bmp"));
    QCOMPARE(buttons[1].toObject()["go"].toString(), QStringLiteral("exit"));
    QCOMPARE(buttons[1].toObject()["vx"].toInt(), 698);
    const QJsonObject first{{"picture", "cover.bmp"},
                            {"buttons", QJsonArray{buttons[0], buttons[1], button}},
                            {"switchone", QJsonArray{switchOne}},
                            {"switchgrp", QJsonArray{switchGroup}},
                            {"popups", QJsonArray{popup}}};
    compareJson(screens[0], first, "screens[0]");

    // Screen 2 is never mentioned: empty lists.
    const QJsonObject empty{{"picture", ""},
                            {"buttons", QJsonArray()},
                            {"switchone", QJsonArray()},
                            {"switchgrp", QJsonArray()},
                            {"popups", QJsonArray()}};
    compareJson(screens[1], empty, "screens[1]");

    // Screen 3: a popup with a numeric type; the unfinished last button
    // keeps -1 for its unreadable vy and defaults for the keys never read.
    QJsonObject third = screens[2].toObject();
    QCOMPARE(third["picture"].toString(), QStringLiteral("third.bmp"));
    const QJsonObject popup3 = third["popups"].toArray().at(0).toObject();
    QCOMPARE(popup3["type"].toInt(), 7);
    QCOMPARE(popup3["xfon"].toInt(), 5);
    QCOMPARE(popup3["ybtn"].toInt(), 8);
    QCOMPARE(popup3["fnbtnup"].toArray().size(), 0);
    QCOMPARE(popup3["parent"].toString(), QString());
    QCOMPARE(third["buttons"].toArray().size(), 3);
    const QJsonObject button3 = third["buttons"].toArray().at(2).toObject();
    QCOMPARE(button3["vx"].toInt(), 5);
    QCOMPARE(button3["vy"].toInt(), -1);
    QCOMPARE(button3["fn1"].toString(), QString());
    QCOMPARE(button3["textfontcolorup"].toInt(), 0);
    QCOMPARE(button3.keys(), button.keys());
}

void TestBookDump::processWideLists() {
    const QString base = QStringLiteral("\\book\\run\\");
    compareJson(m_dump["html"],
                QJsonArray{QJsonObject{{"vx", 100},
                                       {"vy", 101},
                                       {"vw", 500},
                                       {"vh", 400},
                                       {"fn", base + "start.htm"},
                                       {"number", 1},
                                       {"screen", 0}},
                           QJsonObject{{"vx", 1},
                                       {"vy", 2},
                                       {"vw", 3},
                                       {"vh", 4},
                                       {"fn", base + "x\\y.htm"},
                                       {"number", 9},
                                       {"screen", 2}}},
                "html");
    compareJson(m_dump["findtxt"],
                QJsonArray{QJsonObject{{"vx", 110},
                                       {"vy", 111},
                                       {"vw", 210},
                                       {"vh", 131},
                                       {"frame", "1"},
                                       {"nofiles", strings({base + "a.htm", base + "b.htm"})},
                                       {"number", 2},
                                       {"hint", QStringLiteral(u"Поиск")},
                                       {"screen", 0}}},
                "findtxt");
    compareJson(m_dump["path"],
                QJsonArray{QJsonObject{{"vx", 120},
                                       {"vy", 121},
                                       {"vw", 320},
                                       {"vh", 141},
                                       {"pathdef", "~\\vantrel\\"},
                                       {"hint", QStringLiteral(u"Папка")},
                                       {"screen", 0}}},
                "path");
    compareJson(m_dump["clip"],
                QJsonArray{QJsonObject{{"vx", 130},
                                       {"vy", 131},
                                       {"vw", 330},
                                       {"vh", 231},
                                       {"bgcolor", 255 * 65536},
                                       {"html", 1},
                                       {"screen", 0}}},
                "clip");
    compareJson(m_dump["text"],
                QJsonArray{QJsonObject{{"vx", 140},
                                       {"vy", 141},
                                       {"vw", 340},
                                       {"font", "arial"},
                                       {"size", 12},
                                       {"style", "bold"},
                                       {"color", 255 + 255 * 256},
                                       {"value", QStringLiteral(u"Текст строки")},
                                       {"ident", "status"},
                                       {"number", 3},
                                       {"screen", 0}}},
                "text");
    compareJson(m_dump["image"],
                QJsonArray{QJsonObject{{"vx", 150},
                                       {"vy", 151},
                                       {"vw", 350},
                                       {"vh", 251},
                                       {"dir", base + "pics\\slides\\"},
                                       {"screen", 0}}},
                "image");
}

void TestBookDump::defaultBaseIsThePacksFolder() {
    const QJsonObject dump = dumpOf({"dump", m_pack});
    QString base = QDir(m_dir.filePath("run")).absolutePath();
    base.replace(QLatin1Char('/'), QLatin1Char('\\'));
    base += QLatin1Char('\\');
    QCOMPARE(dump["html"].toArray().at(0).toObject()["fn"].toString(), base + "start.htm");
}

void TestBookDump::thesaurusGrammar() {
    const QJsonObject dump = dumpOf({"dump", m_pack, "--entry", "tesaurus.cfs"});
    QCOMPARE(dump["title"].toString(), QStringLiteral(u"Тезаурус"));
    QCOMPARE(dump["icon"].toString(), QStringLiteral("t.ico"));
    QCOMPARE(dump["codec"].toString(), QString()); // not a key of this grammar
    const QJsonArray screens = dump["screens"].toArray();
    QCOMPARE(screens.size(), 1);
    const QJsonObject screen = screens[0].toObject();
    QCOMPARE(screen["picture"].toString(), QStringLiteral("t.bmp"));
    QCOMPARE(screen["switchone"].toArray().size(), 0);
    const QJsonObject button = screen["buttons"].toArray().last().toObject();
    QCOMPARE(button["go"].toString(), QStringLiteral("exit"));
    QCOMPARE(button["wav"].toString(), QStringLiteral("w.wav"));
    QCOMPARE(button["textcaption"].toString(), QString()); // no captions here
    const QJsonObject text = dump["text"].toArray().at(0).toObject();
    QCOMPARE(text["value"].toString(), QStringLiteral(u"Слово"));
    QCOMPARE(text["screen"].toInt(), 0);
}

void TestBookDump::errors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("missing pack") << QStringList{"dump", "/nonexistent/Dod.dhl"} << 1;
    QTest::newRow("missing entry") << QStringList{"dump", "@pack", "--entry", "About.cfs"} << 1;
    QTest::newRow("not a pack") << QStringList{"dump", "@text"} << 1;
    QTest::newRow("no pack") << QStringList{"dump"} << 2;
    QTest::newRow("empty entry") << QStringList{"dump", "@pack", "--entry="} << 2;
    QTest::newRow("entry without value") << QStringList{"dump", "@pack", "--entry"} << 2;
    QTest::newRow("resolve without text") << QStringList{"resolve", "--base", "/b"} << 2;
    QTest::newRow("join one argument") << QStringList{"join", "c:\\a\\"} << 2;
}

void TestBookDump::errors() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QVERIFY(writeFile(m_dir.filePath("text.txt"), QByteArray(5000, 'z')));
    args.replaceInStrings("@pack", m_pack);
    args.replaceInStrings("@text", m_dir.filePath("text.txt"));
    const ToolResult r = ToolRunner::run(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.oneErrorLine(), r.err.constData());
    QVERIFY(r.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestBookDump)
#include "tst_book_dump.moc"
