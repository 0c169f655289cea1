#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "platform/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Scrambles `plain` (the decoded byte block B) the way the pack stores it,
// choosing every dropped byte from `rng`: an independent model of the format.
QByteArray scramble(const QByteArray& plain, QRandomGenerator& rng, bool oddLength) {
    const qsizetype m = plain.size();
    const qsizetype n = 2 * m + (oddLength ? 1 : 0);
    QByteArray a(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        a[i] = char(rng.bounded(256));
    for (qsizetype j = 0; j < m; ++j)
        a[2 * (m - 1 - j) + 1] = plain.at(j);
    QByteArray s(n, '\0');
    if (n == 0)
        return s;
    s[0] = a[0];
    unsigned k = unsigned(n % 256);
    for (qsizetype i = 1; i < n; ++i) {
        s[i] = char((uchar(a[i]) - uchar(a[i - 1]) - k) & 0xFF);
        k = (k * 2) & 0xFF;
    }
    return s;
}

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

void touch(const QString& path) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write("x");
}

} // namespace

class TestStringUtils : public QObject {
    Q_OBJECT

private slots:
    void decodeSmallEntries();
    void decodeLinesAndCase();
    void decodeAgainstModel();
    void encodeRoundTrip();
    void encodeRoundTripRandom();

    void readIntValues_data();
    void readIntValues();
    void readTextValues();
    void readColorValues_data();
    void readColorValues();
    void switchesAndFontStyles();

    void listsOnOneAndSeveralLines();
    void listsStopAtEndOfText();
    void listItemsArePathResolved();
    void outline();

    void valueOfAndSecondValueOf();
    void integerAndTextLookups();

    void findFilesOrderAndRecursion();
    void findFilesCaseAndEdgeCases();
};

void TestStringUtils::decodeSmallEntries() {
    QCOMPARE(cfs::decode(QByteArray(), true), QStringList());
    QCOMPARE(cfs::decode(QByteArray(1, 'Q'), true), QStringList{QString()});
    // Two bytes: one line of one character, B[0] = A[1] = s0 + s1 + 2.
    const QByteArray two("\x10\x31", 2);
    QCOMPARE(cfs::decode(two, false), QStringList{QStringLiteral("C")});
    // Lower-casing applies to the last byte too.
    QCOMPARE(cfs::decode(two, true), QStringList{QStringLiteral("c")});
    // Three bytes still give one character (the even byte is dropped).
    QRandomGenerator rng(7);
    QCOMPARE(cfs::decode(scramble("Z", rng, true), false), QStringList{QStringLiteral("Z")});
}

void TestStringUtils::decodeLinesAndCase() {
    QRandomGenerator rng(11);
    // A final CR LF leaves a trailing empty line; lone CR and LF are text.
    QCOMPARE(cfs::decode(scramble("ab\r\n", rng, false), false),
             (QStringList{QStringLiteral("ab"), QString()}));
    QCOMPARE(cfs::decode(scramble("a\rb\nc\r\n\r\nd", rng, false), false),
             (QStringList{QStringLiteral("a\rb\nc"), QString(), QStringLiteral("d")}));
    QCOMPARE(cfs::decode(scramble("\r\n", rng, true), false), (QStringList{QString(), QString()}));
    QCOMPARE(cfs::decode(scramble("x\r", rng, false), false), QStringList{QStringLiteral("x\r")});

    // Only ASCII letters are lower-cased; Cyrillic capitals survive.
    const QByteArray text = cp1251::fromUnicode(u("Title=ВАНТРЕЛ Ёж\r\nHINT = Подсказка"));
    const QStringList lower = cfs::decode(scramble(text, rng, false), true);
    QCOMPARE(lower, (QStringList{u("title=ВАНТРЕЛ Ёж"), u("hint = Подсказка")}));
    const QStringList asIs = cfs::decode(scramble(text, rng, true), false);
    QCOMPARE(asIs, (QStringList{u("Title=ВАНТРЕЛ Ёж"), u("HINT = Подсказка")}));
}

void TestStringUtils::decodeAgainstModel() {
    // Random byte blocks (CR and LF frequent) scrambled by the model decode to
    // the block split at CR LF, whatever the dropped bytes are.
    QRandomGenerator rng(12345);
    for (int round = 0; round < 2000; ++round) {
        const int m = int(rng.bounded(40));
        QByteArray plain(m, '\0');
        for (int i = 0; i < m; ++i) {
            const int pick = int(rng.bounded(6));
            plain[i] = pick == 0 ? '\r' : pick == 1 ? '\n' : char(rng.bounded(256));
        }
        QStringList expected;
        QByteArray line;
        for (int i = 0; i < m; ++i) {
            if (i + 1 < m && plain[i] == '\r' && plain[i + 1] == '\n') {
                expected.append(cp1251::toUnicode(line));
                line.clear();
                ++i;
            } else {
                line.append(plain[i]);
            }
        }
        expected.append(cp1251::toUnicode(line));
        const bool odd = rng.bounded(2) == 1;
        const QByteArray s = scramble(plain, rng, odd);
        if (s.isEmpty())
            continue; // zero bytes: no lines (checked above)
        QCOMPARE(cfs::decode(s, false), expected);
    }
}

void TestStringUtils::encodeRoundTrip() {
    const QList<QStringList> cases = {
        {},
        {QString()},
        {QString(), QString()},
        {QStringLiteral("a")},
        {QStringLiteral("a"), QString()},
        {QStringLiteral("x\r"), QStringLiteral("\ny")},
        {QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("\r\r")},
        {u("title=Вантрел"), u("[screen1]"), u("ёЁ\u0098№")},
    };
    for (const QStringList& lines : cases) {
        const QByteArray bytes = cfs::encode(lines);
        QCOMPARE(cfs::decode(bytes, false), lines);
    }
    QCOMPARE(cfs::encode({}).size(), 0);
    QCOMPARE(cfs::encode({QString()}).size(), 1);
}

void TestStringUtils::encodeRoundTripRandom() {
    QRandomGenerator rng(2026);
    for (int round = 0; round < 3000; ++round) {
        QStringList lines;
        const int count = int(rng.bounded(8));
        for (int l = 0; l < count; ++l) {
            QByteArray bytes;
            const int len = int(rng.bounded(30));
            for (int i = 0; i < len; ++i) {
                const int pick = int(rng.bounded(8));
                bytes.append(pick == 0 ? '\r' : pick == 1 ? '\n' : char(rng.bounded(256)));
            }
            // Lines never hold CR LF inside: a lone CR at the end of a line
            // is fine, a CR LF pair inside is not representable.
            while (bytes.contains("\r\n"))
                bytes.replace("\r\n", "\n\r");
            lines.append(cp1251::toUnicode(bytes));
        }
        const QByteArray enc = cfs::encode(lines);
        QCOMPARE(cfs::decode(enc, false), lines);
        // The lower-cased decode differs only in ASCII capitals.
        QStringList lowered;
        for (const QString& l : lines)
            lowered.append(cp1251::lowerAscii(l));
        QCOMPARE(cfs::decode(enc, true), lowered);
    }
}

void TestStringUtils::readIntValues_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("expected");
    QTest::newRow("minus five") << "vx=-5" << 0 << -5;
    QTest::newRow("spaces") << "vx = 17 ;" << 0 << 17;
    QTest::newRow("nothing after") << "vx=" << 0 << -1;
    QTest::newRow("letters after") << "vx=12abc" << 0 << 12;
    QTest::newRow("run 1-2") << "vx=1-2" << 0 << -1;
    QTest::newRow("lone minus") << "vx=-" << 0 << -1;
    QTest::newRow("double minus") << "vx=--3" << 0 << -1;
    QTest::newRow("key with digit") << "fn2=40" << 0 << 2;
    QTest::newRow("after key with digit") << "fn2=40" << 3 << 40;
    QTest::newRow("second number") << "a=1;b=22" << 4 << 22;
    QTest::newRow("overflow") << "vx=99999999999" << 0 << -1;
    QTest::newRow("int max") << "vx=2147483647" << 0 << 2147483647;
    QTest::newRow("int min") << "vx=-2147483648" << 0 << int(-2147483647 - 1);
    QTest::newRow("past end") << "vx=5" << 10 << -1;
    QTest::newRow("negative start") << "7" << -3 << 7;
    QTest::newRow("unicode digit ignored") << u("vx=\u0663 8") << 0 << 8;
}

void TestStringUtils::readIntValues() {
    QFETCH(QString, line);
    QFETCH(int, from);
    QFETCH(int, expected);
    QCOMPARE(cfs::readInt(line, from), expected);
}

void TestStringUtils::readTextValues() {
    // Key position + key length + 1, as callers pass it.
    const QString line = u("hint=  Открыть Книгу \t; wav=click.wav");
    QCOMPARE(cfs::readText(line, 5), u("Открыть Книгу"));
    const qsizetype wav = line.indexOf(QLatin1String("wav="));
    QCOMPARE(cfs::readText(line, wav + 4), QStringLiteral("click.wav"));
    QCOMPARE(cfs::readText(QStringLiteral("fn1=arial;fn2=times"), 4), QStringLiteral("arial"));
    QCOMPARE(cfs::readText(QStringLiteral("a="), 2), QString());
    QCOMPARE(cfs::readText(QStringLiteral("a="), 50), QString());
    QCOMPARE(cfs::readText(QStringLiteral("a=;x"), 2), QString());
    QCOMPARE(cfs::readText(QStringLiteral("a=\x01 v \x1f"), 2), QStringLiteral("v"));
}

void TestStringUtils::readColorValues_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("expected");
    QTest::newRow("red") << "color=255,0,0" << 255;
    QTest::newRow("green") << "color=0,255,0" << 255 * 256;
    QTest::newRow("blue") << "color=0,0,255" << 255 * 65536;
    QTest::newRow("mixed") << "color=1,2,3" << 1 + 2 * 256 + 3 * 65536;
    QTest::newRow("other separator") << "color=10;20;30" << 10 + 20 * 256 + 30 * 65536;
    QTest::newRow("spaces") << "color = 10, 20, 30" << 10 + 20 * 256 + 30 * 65536;
    QTest::newRow("no digits") << "color=none" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("two numbers") << "color=7,8" << 7 + 8 * 256;
    QTest::newRow("clamped") << "color=300,99999999999,1" << 255 + 65536;
}

void TestStringUtils::readColorValues() {
    QFETCH(QString, line);
    QFETCH(int, expected);
    QCOMPARE(cfs::readColor(line, 0), expected);
}

void TestStringUtils::switchesAndFontStyles() {
    QCOMPARE(cfs::readSwitch(QStringLiteral("visible=on"), 8), true);
    QCOMPARE(cfs::readSwitch(QStringLiteral("visible= ON ;x=1"), 8), true);
    QCOMPARE(cfs::readSwitch(QStringLiteral("visible=off"), 8), false);
    QCOMPARE(cfs::readSwitch(QStringLiteral("visible=one"), 8), false);
    QCOMPARE(cfs::readSwitch(QStringLiteral("visible="), 8), false);

    QCOMPARE(cfs::readFontStyle(QStringLiteral("fs=bold"), 3), 1);
    QCOMPARE(cfs::readFontStyle(QStringLiteral("fs=italic underline"), 3), 6);
    QCOMPARE(cfs::readFontStyle(QStringLiteral("fs=Bold,Italic,Underline,StrikeOut"), 3), 15);
    QCOMPARE(cfs::readFontStyle(QStringLiteral("fs=heavy"), 3), 0);
    QCOMPARE(cfs::readFontStyle(QStringLiteral("fs=strikeout;x=bold"), 3), 8);
}

void TestStringUtils::listsOnOneAndSeveralLines() {
    qsizetype at = 0;
    QCOMPARE(cfs::readList({QStringLiteral("pic=[a.bmp; b.bmp]")}, at, nullptr),
             (QStringList{QStringLiteral("a.bmp"), QStringLiteral("b.bmp")}));
    QCOMPARE(at, 0);

    const QStringList lines{QStringLiteral("x=1"), QStringLiteral("pic=[a; b;"),
                            QStringLiteral("  c ]"), QStringLiteral("y=2")};
    at = 1;
    QCOMPARE(
        cfs::readList(lines, at, nullptr),
        (QStringList{QStringLiteral("a"), QStringLiteral("b"), QString(), QStringLiteral("c")}));
    QCOMPARE(at, 2);

    const QStringList broken{QStringLiteral("pic=[a; b"), QStringLiteral("c]")};
    at = 0;
    QCOMPARE(cfs::readList(broken, at, nullptr),
             (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    QCOMPARE(at, 1);

    at = 0;
    QCOMPARE(cfs::readList({QStringLiteral("pic=[]")}, at, nullptr), QStringList());
    at = 0;
    QCOMPARE(cfs::readList({QStringLiteral("pic=a;b")}, at, nullptr), QStringList());
    QCOMPARE(at, 0);
    at = 0;
    // An item ends at ";" and the list at "]": nothing is read between them.
    QCOMPARE(cfs::readList({QStringLiteral("p=[;]")}, at, nullptr), QStringList{QString()});
    at = 0;
    QCOMPARE(cfs::readList({QStringLiteral("p=[a;]")}, at, nullptr),
             QStringList{QStringLiteral("a")});
    at = 0;
    QCOMPARE(cfs::readList({QStringLiteral("p=[a]b]")}, at, nullptr),
             QStringList{QStringLiteral("a")});
}

void TestStringUtils::listsStopAtEndOfText() {
    // No closing bracket: the reading ends on the last line.
    const QStringList open{QStringLiteral("pic=[a;"), QStringLiteral("b"), QString()};
    qsizetype at = 0;
    QCOMPARE(cfs::readList(open, at, nullptr),
             (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QString()}));
    QCOMPARE(at, 2);

    at = 0;
    QCOMPARE(cfs::readList({QStringLiteral("[")}, at, nullptr), QStringList{QString()});
    QCOMPARE(at, 0);

    // Out-of-range indexes give nothing.
    at = 5;
    QCOMPARE(cfs::readList({QStringLiteral("[a]")}, at, nullptr), QStringList());
    at = -1;
    QCOMPARE(cfs::readList({QStringLiteral("[a]")}, at, nullptr), QStringList());

    // A NUL inside a line ends that line's item like the end of the line.
    QString withNul = QStringLiteral("[ab");
    withNul += QChar(0);
    withNul += QStringLiteral("zz");
    at = 0;
    QCOMPARE(cfs::readList({withNul, QStringLiteral("c]")}, at, nullptr),
             (QStringList{QStringLiteral("ab"), QStringLiteral("c")}));
}

void TestStringUtils::listItemsArePathResolved() {
    const BookPaths paths(QStringLiteral("c:\\book\\run\\"));
    qsizetype at = 0;
    QCOMPARE(
        cfs::readList({QStringLiteral("pic=[a.bmp;..\\pic\\b.bmp;word;d:\\x.bmp]")}, at, &paths),
        (QStringList{QStringLiteral("c:\\book\\run\\a.bmp"), QStringLiteral("c:\\book\\pic\\b.bmp"),
                     QStringLiteral("word"), QStringLiteral("d:\\x.bmp")}));
}

void TestStringUtils::outline() {
    const QStringList lines{QStringLiteral("vertexmain=[0,0; 100, 0;"),
                            QStringLiteral("100,50;x;7;0 , 50]")};
    qsizetype at = 0;
    const QPolygon poly = cfs::readOutline(lines, at);
    QCOMPARE(at, 1);
    QCOMPARE(poly, (QPolygon{QList<QPoint>{{0, 0}, {100, 0}, {100, 50}, {0, 50}}}));
    at = 0;
    QVERIFY(cfs::readOutline({QStringLiteral("vertexmain=[]")}, at).isEmpty());
}

void TestStringUtils::valueOfAndSecondValueOf() {
    QCOMPARE(cfs::valueOf(QStringLiteral("screen2=a"), nullptr), QStringLiteral("a"));
    QCOMPARE(cfs::valueOf(QStringLiteral("html=1=page.htm"), nullptr), QStringLiteral("1"));
    QCOMPARE(cfs::valueOf(QStringLiteral("a=b=c=d"), nullptr), QStringLiteral("b=c"));
    QCOMPARE(cfs::valueOf(QStringLiteral("exit"), nullptr), QString());
    QCOMPARE(cfs::valueOf(QStringLiteral("x="), nullptr), QString());
    QCOMPARE(cfs::secondValueOf(QStringLiteral("html=1=page.htm"), nullptr),
             QStringLiteral("page.htm"));
    QCOMPARE(cfs::secondValueOf(QStringLiteral("a=b=c=d"), nullptr), QStringLiteral("d"));
    QCOMPARE(cfs::secondValueOf(QStringLiteral("screen2=a"), nullptr), QString());
    QCOMPARE(cfs::secondValueOf(QStringLiteral("exit"), nullptr), QString());

    const BookPaths paths(QStringLiteral("c:\\book\\run\\"));
    QCOMPARE(cfs::valueOf(QStringLiteral("screen2=..\\docs\\a.htm"), &paths),
             QStringLiteral("c:\\book\\docs\\a.htm"));
    QCOMPARE(cfs::secondValueOf(QStringLiteral("html=1=docs\\p.htm"), &paths),
             QStringLiteral("c:\\book\\run\\docs\\p.htm"));
    QCOMPARE(cfs::valueOf(QStringLiteral("html=1=docs\\p.htm"), &paths), QStringLiteral("1"));
}

void TestStringUtils::integerAndTextLookups() {
    qsizetype index = 99;
    QVERIFY(cfs::indexOfInteger({4, 7, 7}, 7, &index));
    QCOMPARE(index, 1);
    QVERIFY(!cfs::indexOfInteger({4, 7}, 5, &index));
    QCOMPARE(index, -1);
    QVERIFY(!cfs::indexOfInteger({}, 0));

    QVERIFY(cfs::containsText({QStringLiteral("Index.HTM")}, QStringLiteral("index.htm")));
    QVERIFY(!cfs::containsText({QStringLiteral("index.htm")}, QStringLiteral("index.ht")));
    // Only ASCII letters fold.
    QVERIFY(cfs::containsText({u("Док")}, u("Док")));
    QVERIFY(!cfs::containsText({u("ДОК")}, u("док")));
    QVERIFY(!cfs::containsText({}, QString()));
}

void TestStringUtils::findFilesOrderAndRecursion() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QDir root(tmp.path());
    QVERIFY(root.mkpath(QStringLiteral("sub/deep")));
    QVERIFY(root.mkpath(QStringLiteral("b2")));
    touch(root.filePath(QStringLiteral("a.htm")));
    touch(root.filePath(QStringLiteral("b.txt")));
    touch(root.filePath(QStringLiteral("c.htm")));
    touch(root.filePath(QStringLiteral("sub/d.txt")));
    touch(root.filePath(QStringLiteral("sub/deep/e.htm")));
    touch(root.filePath(QStringLiteral("b2/f.htm")));

    const QString top = BookPaths::fromNative(tmp.path()) + u'\\';
    // Recursion off: the top folder only; the first mask's files come first.
    QCOMPARE(cfs::findFiles(top, {QStringLiteral("*.TXT"), QStringLiteral("*.htm")}, false, false),
             (QStringList{top + "b.txt", top + "a.htm", top + "c.htm"}));

    // Breadth first: the top, then its subfolders, then theirs.
    QCOMPARE(cfs::findFiles(top, {QStringLiteral("*.htm")}, true, true),
             (QStringList{top, top + "a.htm", top + "c.htm", top + "b2\\", top + "b2\\f.htm",
                          top + "sub\\", top + "sub\\deep\\", top + "sub\\deep\\e.htm"}));

    // "*.*" is every file; folders are never matched by a mask.
    const QStringList all = cfs::findFiles(top, {QStringLiteral("*.*")}, false, false);
    QCOMPARE(all.size(), 3);
    touch(root.filePath(QStringLiteral("noext")));
    QCOMPARE(cfs::findFiles(top, {QStringLiteral("*.*")}, false, false).size(), 4);
}

void TestStringUtils::findFilesCaseAndEdgeCases() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QDir root(tmp.path());
    QVERIFY(root.mkpath(u("Книга/Docs")));
    touch(root.filePath(u("Книга/Docs/Page.HTM")));
    QVERIFY(QFile::link(root.filePath(u("Книга")), root.filePath(u("Книга/Docs/loop"))));

    const QString top = BookPaths::fromNative(tmp.path()) + u'\\';
    // The folder is given in another letter case; masks match any case.
    QCOMPARE(cfs::findFiles(top + u("кНИГА\\docs"), {QStringLiteral("*.htm")}, false, false),
             QStringList{top + u("кНИГА\\docs\\Page.HTM")});
    // A folder link back up does not loop for ever.
    const QStringList found = cfs::findFiles(top, {QStringLiteral("page.htm")}, true, false);
    QVERIFY(!found.isEmpty());
    QVERIFY(found.size() <= 2);

    QCOMPARE(cfs::findFiles(QString(), {QStringLiteral("*")}, true, true), QStringList());
    QCOMPARE(cfs::findFiles(top + "missing\\", {QStringLiteral("*")}, true, true), QStringList());
    QCOMPARE(cfs::findFiles(top, {}, false, false), QStringList());
}

QTEST_GUILESS_MAIN(TestStringUtils)
#include "tst_stringutils.moc"
