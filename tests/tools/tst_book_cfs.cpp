// cfs encode / decode through the book tool: round trips on random lines,
// the text form's line breaks, and bad input.
#include "RandomBook.h"
#include "ToolRunner.h"

#include "data/StringUtils.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestBookCfs : public QObject {
    Q_OBJECT

private slots:
    void roundTripRandomLines();
    void roundTripThroughFiles();
    void decodeRandomEntries();
    void textLineBreaks_data();
    void textLineBreaks();
    void lowerCaseDecode();
    void badInput_data();
    void badInput();
    void lineWithLineFeedHasNoTextForm();
};

// encode -> decode gives back exactly the lines, for random lines with
// Cyrillic letters, separators, lone CRs and CRs at line ends.
void TestBookCfs::roundTripRandomLines() {
    RandomBook book(20261208);
    for (int round = 0; round < 40; ++round) {
        const QStringList lines = book.lines(8, round % 2 == 1);
        QByteArray text;
        bool crAtEnd = false;
        for (const QString& line : lines)
            crAtEnd = crAtEnd || line.endsWith(QLatin1Char('\r'));
        for (const QString& line : lines)
            text += line.toUtf8() + (crAtEnd ? "\r\n" : "\n");

        const ToolResult encoded = ToolRunner::run({"cfs", "encode"}, text);
        QCOMPARE(encoded.exitCode, 0);
        QVERIFY(encoded.err.isEmpty());
        // What the reader decodes is exactly the lines.
        QCOMPARE(cfs::decode(encoded.out, false), lines);

        const ToolResult decoded = ToolRunner::run({"cfs", "decode"}, encoded.out);
        QCOMPARE(decoded.exitCode, 0);
        QCOMPARE(decoded.out, text);
    }
}

void TestBookCfs::roundTripThroughFiles() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList lines = {QStringLiteral(u"title=Ваз 2107"), QString(),
                               QStringLiteral("button=1"), QStringLiteral("  vx = 12 ; vy=-5 ")};
    const QString textPath = dir.filePath(QStringLiteral(u"описание.txt"));
    QFile text(textPath);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(linesText(lines));
    text.close();

    const ToolResult encoded = ToolRunner::run({"cfs", "encode", textPath});
    QCOMPARE(encoded.exitCode, 0);
    const QString cfsPath = dir.filePath(QStringLiteral("Struct.cfs"));
    QFile cfsFile(cfsPath);
    QVERIFY(cfsFile.open(QIODevice::WriteOnly));
    cfsFile.write(encoded.out);
    cfsFile.close();

    const ToolResult decoded = ToolRunner::run({"cfs", "decode", cfsPath});
    QCOMPARE(decoded.exitCode, 0);
    QCOMPARE(decoded.out, linesText(lines));
}

// Arbitrary scrambled bytes: decode -> encode -> decode keeps the lines
// whenever they have a text form.
void TestBookCfs::decodeRandomEntries() {
    RandomBook book(7);
    int withText = 0;
    for (int round = 0; round < 40; ++round) {
        const QByteArray entry = book.bytes(round < 5 ? 3 : 400);
        const QStringList lines = cfs::decode(entry, false);
        const ToolResult decoded = ToolRunner::run({"cfs", "decode"}, entry);
        bool lineFeedInside = false;
        for (const QString& line : lines)
            lineFeedInside = lineFeedInside || line.contains(QLatin1Char('\n'));
        if (lineFeedInside) {
            QCOMPARE(decoded.exitCode, 1);
            QVERIFY(decoded.oneErrorLine());
            continue;
        }
        ++withText;
        QCOMPARE(decoded.exitCode, 0);
        const ToolResult encoded = ToolRunner::run({"cfs", "encode"}, decoded.out);
        QCOMPARE(encoded.exitCode, 0);
        QCOMPARE(cfs::decode(encoded.out, false), lines);
    }
    QVERIFY(withText > 10);
}

void TestBookCfs::textLineBreaks_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("one empty line") << QByteArray("\n") << QStringList{QString()};
    QTest::newRow("no final break") << QByteArray("a\nb") << QStringList{"a", "b"};
    QTest::newRow("final empty line") << QByteArray("a\n\n") << QStringList{"a", QString()};
    QTest::newRow("crlf file") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("mixed keeps cr") << QByteArray("a\r\nb\n") << QStringList{"a\r", "b"};
    QTest::newRow("lone cr") << QByteArray("a\rb\n") << QStringList{"a\rb"};
    QTest::newRow("bom") << QByteArray("\xEF\xBB\xBFtitle=x\n") << QStringList{"title=x"};
    QTest::newRow("cyrillic") << QByteArray("\xD0\x81\xD1\x91\n")
                              << QStringList{QStringLiteral(u"Ёё")};
}

// How a text file's breaks become lines, checked on the reader's decoding.
void TestBookCfs::textLineBreaks() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, lines);
    const ToolResult encoded = ToolRunner::run({"cfs", "encode"}, text);
    QCOMPARE(encoded.exitCode, 0);
    QCOMPARE(cfs::decode(encoded.out, false), lines);
}

void TestBookCfs::lowerCaseDecode() {
    const ToolResult encoded =
        ToolRunner::run({"cfs", "encode"}, QStringLiteral(u"Title=ВАЗ Lada\n").toUtf8());
    QCOMPARE(encoded.exitCode, 0);
    const ToolResult plain = ToolRunner::run({"cfs", "decode"}, encoded.out);
    QCOMPARE(QString::fromUtf8(plain.out), QStringLiteral(u"Title=ВАЗ Lada\n"));
    const ToolResult lower = ToolRunner::run({"cfs", "decode", "--lower"}, encoded.out);
    QCOMPARE(QString::fromUtf8(lower.out), QStringLiteral(u"title=ВАЗ lada\n"));
}

void TestBookCfs::badInput_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("missing file") << QStringList{"cfs", "decode", "/nonexistent/x.cfs"}
                                  << QByteArray() << 1;
    QTest::newRow("folder") << QStringList{"cfs", "encode", "/"} << QByteArray() << 1;
    QTest::newRow("invalid utf-8")
        << QStringList{"cfs", "encode"} << QByteArray("a\xFF\xFE\n") << 1;
    QTest::newRow("outside 1251") << QStringList{"cfs", "encode"}
                                  << QStringLiteral(u"ok\nкот 猫\n").toUtf8() << 1;
    QTest::newRow("no action") << QStringList{"cfs"} << QByteArray() << 2;
    QTest::newRow("unknown action") << QStringList{"cfs", "scramble"} << QByteArray() << 2;
    QTest::newRow("extra argument") << QStringList{"cfs", "decode", "a", "b"} << QByteArray() << 2;
    QTest::newRow("unknown option") << QStringList{"cfs", "decode", "--fast"} << QByteArray() << 2;
    QTest::newRow("lower on encode")
        << QStringList{"cfs", "encode", "--lower"} << QByteArray() << 2;
}

void TestBookCfs::badInput() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    const ToolResult r = ToolRunner::run(args, input);
    QVERIFY(!r.crashed);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.oneErrorLine(), r.err.constData());
    QVERIFY(r.out.isEmpty());
    QVERIFY(r.errorText().startsWith(QLatin1String("vantrel-book: ")));
}

// A decoded line may hold a lone LF, which no text file can carry: decoding
// refuses rather than splitting the line.
void TestBookCfs::lineWithLineFeedHasNoTextForm() {
    const QByteArray entry = cfs::encode({QStringLiteral("a\nb"), QStringLiteral("c")});
    QCOMPARE(cfs::decode(entry, false).size(), 2);
    const ToolResult r = ToolRunner::run({"cfs", "decode"}, entry);
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.oneErrorLine());
    QVERIFY(r.errorText().contains(QLatin1String("line 1")));
}

QTEST_GUILESS_MAIN(TestBookCfs)
#include "tst_book_cfs.moc"
