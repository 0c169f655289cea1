// pack / unpack through the book tool: round trips of random trees, the
// stored form of .cfs files, and damaged or hostile packs.
#include "RandomBook.h"
#include "ToolRunner.h"

#include "data/StringUtils.h"
#include "data/TReadBin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

void appendLe(QByteArray& out, quint32 v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

struct RawEntry {
    QByteArray name;
    QByteArray data;
};

// A pack made by hand, so that the tests can store any name.
QByteArray handMadePack(const QList<RawEntry>& entries) {
    QByteArray out;
    appendLe(out, quint32(entries.size()), 2);
    quint32 offset = 2;
    for (const RawEntry& e : entries)
        offset += 12 + quint32(e.name.size());
    for (const RawEntry& e : entries) {
        appendLe(out, quint32(e.name.size()), 4);
        out += e.name;
        appendLe(out, offset, 4);
        appendLe(out, quint32(e.data.size()), 4);
        offset += quint32(e.data.size());
    }
    for (const RawEntry& e : entries)
        out += e.data;
    return out;
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QStringList textLines(const QByteArray& utf8) {
    QStringList lines = QString::fromUtf8(utf8).split(QLatin1Char('\n'));
    lines.removeLast(); // every line ends with a break
    return lines;
}

} // namespace

class TestBookPack : public QObject {
    Q_OBJECT

private slots:
    void roundTripRandomTrees();
    void rawRoundTrip();
    void outputInsideFolderIsNotPacked();
    void emptyFolderGivesEmptyPack();
    void relativeFolderNames();
    void refusedInput_data();
    void refusedInput();
    void damagedPack_data();
    void damagedPack();
    void hostileNames_data();
    void hostileNames();
    void repeatedNameKeepsTheReachableEntry();
    void noWritingThroughSymbolicLinks();
    void usageErrors_data();
    void usageErrors();
};

// pack -> reader -> unpack: every file becomes an entry "sub\name" in name
// order; .cfs entries decode to exactly the text's lines; unpack restores
// the tree byte for byte.
void TestBookPack::roundTripRandomTrees() {
    RandomBook book(4711);
    for (int round = 0; round < 6; ++round) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const BookFiles files = book.tree(round == 0 ? 1 : 40, 3);
        const QString source = dir.filePath(QStringLiteral(u"исходник"));
        QVERIFY(writeTree(source, files));
        const QString packPath = dir.filePath(QStringLiteral("Dod.dhl"));

        const ToolResult packed = ToolRunner::run({"pack", source, "-o", packPath});
        QVERIFY2(packed.exitCode == 0, packed.err.constData());
        QVERIFY(packed.err.isEmpty());

        TReadBin pack;
        QVERIFY(pack.load(packPath));
        QCOMPARE(pack.entries().size(), files.size());
        for (qsizetype i = 0; i < pack.entries().size(); ++i) {
            const QString name = pack.entries()[i].name;
            if (i > 0)
                QVERIFY(pack.entries()[i - 1].name.compare(name, Qt::CaseInsensitive) < 0);
            QString relative = name;
            relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
            QVERIFY2(files.contains(relative), qPrintable(name));
            const QByteArray stored = *pack.read(name);
            if (name.endsWith(QLatin1String(".cfs")))
                QCOMPARE(cfs::decode(stored, false), textLines(files[relative]));
            else
                QCOMPARE(stored, files[relative]);
        }

        const QString target = dir.filePath(QStringLiteral("out"));
        const ToolResult unpacked = ToolRunner::run({"unpack", packPath, "-o", target});
        QVERIFY2(unpacked.exitCode == 0, unpacked.err.constData());
        QVERIFY(unpacked.err.isEmpty());
        QCOMPARE(readTree(target), files);
    }
}

// --raw on both sides keeps .cfs files byte for byte, whatever they hold.
void TestBookPack::rawRoundTrip() {
    RandomBook book(99);
    QTemporaryDir dir;
    BookFiles files;
    for (int i = 0; i < 10; ++i)
        files.insert(QStringLiteral("d/f%1.cfs").arg(i), book.bytes(200));
    files.insert(QStringLiteral("Struct.cfs"), QByteArray("\xFF\xFE\n\x00", 4));
    QVERIFY(writeTree(dir.filePath("in"), files));
    QCOMPARE(ToolRunner::run({"pack", dir.filePath("in"), "-o", dir.filePath("p.dhl"), "--raw"})
                 .exitCode,
             0);
    TReadBin pack;
    QVERIFY(pack.load(dir.filePath("p.dhl")));
    QCOMPARE(*pack.read(QStringLiteral("Struct.cfs")), files[QStringLiteral("Struct.cfs")]);
    QCOMPARE(ToolRunner::run({"unpack", dir.filePath("p.dhl"), "-o", dir.filePath("out"), "--raw"})
                 .exitCode,
             0);
    QCOMPARE(readTree(dir.filePath("out")), files);
}

void TestBookPack::outputInsideFolderIsNotPacked() {
    QTemporaryDir dir;
    QVERIFY(writeTree(dir.path(), {{QStringLiteral("a.bmp"), QByteArray("abc")}}));
    const QString packPath = dir.filePath(QStringLiteral("Dod.dhl"));
    for (int run = 0; run < 2; ++run) {
        const ToolResult r = ToolRunner::run({"pack", dir.path(), "-o", packPath});
        QCOMPARE(r.exitCode, 0);
    }
    TReadBin pack;
    QVERIFY(pack.load(packPath));
    QCOMPARE(pack.entries().size(), 1);
    QCOMPARE(pack.entries().first().name, QStringLiteral("a.bmp"));
}

void TestBookPack::emptyFolderGivesEmptyPack() {
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath("empty")));
    QCOMPARE(ToolRunner::run({"pack", dir.filePath("empty"), "-o", dir.filePath("p.dhl")}).exitCode,
             0);
    TReadBin pack;
    QVERIFY(pack.load(dir.filePath("p.dhl")));
    QVERIFY(pack.entries().isEmpty());
    QCOMPARE(ToolRunner::run({"unpack", dir.filePath("p.dhl"), "-o", dir.filePath("out")}).exitCode,
             0);
    QVERIFY(QFileInfo(dir.filePath("out")).isDir());
}

// Entry names are relative to the folder however the folder is given.
void TestBookPack::relativeFolderNames() {
    QTemporaryDir dir;
    QVERIFY(writeTree(dir.filePath("book"), {{"sub/a.bmp", "a"}, {"b.bmp", "b"}}));
    QVERIFY(QDir().mkpath(dir.filePath("run")));
    for (const QString& folder :
         {QStringLiteral("book"), QStringLiteral("./book/"), QStringLiteral("run/../book")}) {
        const ToolResult r =
            ToolRunner::run({"pack", folder, "-o", "run/../Dod.dhl"}, {}, dir.path());
        QCOMPARE(r.exitCode, 0);
        TReadBin pack;
        QVERIFY(pack.load(dir.filePath("Dod.dhl")));
        QCOMPARE(pack.entries().size(), 2);
        QCOMPARE(pack.entries()[0].name, QStringLiteral("b.bmp"));
        QCOMPARE(pack.entries()[1].name, QStringLiteral("sub\\a.bmp"));
    }
    // The output file inside the folder, named by another route.
    const ToolResult r =
        ToolRunner::run({"pack", "book", "-o", "run/../book/Dod.dhl"}, {}, dir.path());
    QCOMPARE(r.exitCode, 0);
    const ToolResult again =
        ToolRunner::run({"pack", "./book", "-o", "book/./Dod.dhl"}, {}, dir.path());
    QCOMPARE(again.exitCode, 0);
    TReadBin pack;
    QVERIFY(pack.load(dir.filePath("book/Dod.dhl")));
    QCOMPARE(pack.entries().size(), 2);
}

void TestBookPack::refusedInput_data() {
    QTest::addColumn<BookFiles>("files");
    QTest::newRow("names differing in case") << BookFiles{{"a.bmp", "1"}, {"A.bmp", "2"}};
    QTest::newRow("cyrillic names differing in case")
        << BookFiles{{QStringLiteral(u"кот.bmp"), "1"}, {QStringLiteral(u"КОТ.bmp"), "2"}};
    QTest::newRow("cfs not utf-8") << BookFiles{{"Struct.cfs", "a\xFF\n"}};
    QTest::newRow("cfs outside 1251")
        << BookFiles{{"Struct.cfs", QStringLiteral(u"猫\n").toUtf8()}};
    QTest::newRow("name outside 1251") << BookFiles{{QStringLiteral(u"猫.bmp"), "1"}};
    QTest::newRow("name too long") << BookFiles{{QString(100, 'd') + "/" + QString(160, 'n'), "1"}};
}

// Input the reader could not use as given fails the pack, with one line and
// no output file.
void TestBookPack::refusedInput() {
    QFETCH(BookFiles, files);
    QTemporaryDir dir;
    QVERIFY(writeTree(dir.filePath("in"), files));
    const QString packPath = dir.filePath("Dod.dhl");
    const ToolResult r = ToolRunner::run({"pack", dir.filePath("in"), "-o", packPath});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.oneErrorLine(), r.err.constData());
    QVERIFY(!QFile::exists(packPath));
}

void TestBookPack::damagedPack_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = handMadePack({{"a.bmp", "0123456789"}, {"b.bmp", "xyz"}});
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("one byte") << QByteArray(1, '\x01');
    QTest::newRow("truncated directory") << good.left(20);
    QTest::newRow("truncated data") << good.chopped(4);
    QByteArray zeroName = good;
    zeroName[2] = 0;
    QTest::newRow("zero name length") << zeroName;
    QByteArray longName = good;
    longName[3] = 0x01; // 5 + 256
    QTest::newRow("name length 261") << longName;
    QByteArray hugeCount = good;
    hugeCount[0] = '\xFF';
    hugeCount[1] = '\xFF';
    QTest::newRow("count past the end") << hugeCount;
    QByteArray farOffset = good;
    farOffset[2 + 4 + 5 + 3] = '\x7F';
    QTest::newRow("offset past the end") << farOffset;
    QByteArray hugeSize = good;
    hugeSize[2 + 4 + 5 + 4 + 3] = '\x7F';
    QTest::newRow("size past the end") << hugeSize;
}

// A damaged pack fails with one line; nothing is written.
void TestBookPack::damagedPack() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString packPath = dir.filePath("Dod.dhl");
    QVERIFY(writeFile(packPath, bytes));
    const QString target = dir.filePath("out");
    const ToolResult r = ToolRunner::run({"unpack", packPath, "-o", target});
    QVERIFY(!r.crashed);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.oneErrorLine(), r.err.constData());
    QVERIFY(readTree(target).isEmpty());
    const ToolResult dump = ToolRunner::run({"dump", packPath});
    QCOMPARE(dump.exitCode, 1);
    QVERIFY(dump.oneErrorLine());
}

void TestBookPack::hostileNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("parent") << QByteArray("..\\evil.txt");
    QTest::newRow("parent slash") << QByteArray("../evil.txt");
    QTest::newRow("inner parent") << QByteArray("a\\..\\..\\evil.txt");
    QTest::newRow("absolute backslash") << QByteArray("\\tmp\\evil.txt");
    QTest::newRow("absolute slash") << QByteArray("/tmp/evil.txt");
    QTest::newRow("drive") << QByteArray("c:\\evil.txt");
    QTest::newRow("drive relative") << QByteArray("c:evil.txt");
    QTest::newRow("empty part") << QByteArray("a\\\\evil.txt");
    QTest::newRow("dot") << QByteArray(".");
    QTest::newRow("trailing separator") << QByteArray("evil\\");
}

// Names that would leave the output folder fail the whole unpack before
// anything is written.
void TestBookPack::hostileNames() {
    QFETCH(QByteArray, name);
    QTemporaryDir dir;
    const QString packPath = dir.filePath("Dod.dhl");
    QVERIFY(writeFile(packPath, handMadePack({{"good.txt", "ok"}, {name, "evil"}})));
    const QString target = dir.filePath("deep/out");
    const ToolResult r = ToolRunner::run({"unpack", packPath, "-o", target}, {}, dir.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.oneErrorLine(), r.err.constData());
    QVERIFY(r.errorText().contains(QLatin1String("refused")));
    const BookFiles all = readTree(dir.path());
    QCOMPARE(all.keys(), QStringList{"Dod.dhl"});
}

// Of two entries whose names differ only in letter case the reader reaches
// the first: unpack writes it and warns about the other.
void TestBookPack::repeatedNameKeepsTheReachableEntry() {
    QTemporaryDir dir;
    const QString packPath = dir.filePath("Dod.dhl");
    QVERIFY(writeFile(packPath, handMadePack({{"a.txt", "first"},
                                              {"b.txt", "b"},
                                              {"A.TXT", "second"},
                                              {"\xEA\xEE\xF2.txt", "cat"},
                                              {"\xCA\xCE\xD2.TXT", "CAT"}})));
    const ToolResult r = ToolRunner::run({"unpack", packPath, "-o", dir.filePath("out")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err.count('\n'), 2);
    QVERIFY(r.errorText().contains(QLatin1String("warning")));
    const BookFiles expected{
        {"a.txt", "first"}, {"b.txt", "b"}, {QStringLiteral(u"кот.txt"), "cat"}};
    QCOMPARE(readTree(dir.filePath("out")), expected);
}

void TestBookPack::noWritingThroughSymbolicLinks() {
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath("elsewhere")));
    QVERIFY(QDir().mkpath(dir.filePath("out")));
    QVERIFY(QFile::link(dir.filePath("elsewhere"), dir.filePath("out/sub")));
    QVERIFY(QFile::link(dir.filePath("elsewhere/target.txt"), dir.filePath("out/top.txt")));
    const QString packPath = dir.filePath("Dod.dhl");
    for (const QByteArray& name : {QByteArray("sub\\x.txt"), QByteArray("top.txt")}) {
        QVERIFY(writeFile(packPath, handMadePack({{name, "data"}})));
        const ToolResult r = ToolRunner::run({"unpack", packPath, "-o", dir.filePath("out")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.oneErrorLine(), r.err.constData());
        QVERIFY(QDir(dir.filePath("elsewhere")).isEmpty());
    }
}

void TestBookPack::usageErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("pack without -o") << QStringList{"pack", "."} << 2;
    QTest::newRow("pack without folder") << QStringList{"pack", "-o", "x.dhl"} << 2;
    QTest::newRow("pack -o without value") << QStringList{"pack", ".", "-o"} << 2;
    QTest::newRow("pack two folders") << QStringList{"pack", "a", "b", "-o", "x"} << 2;
    QTest::newRow("unpack unknown option") << QStringList{"unpack", "x", "-o", "y", "--all"} << 2;
    QTest::newRow("pack missing folder")
        << QStringList{"pack", "/nonexistent/book", "-o", "x.dhl"} << 1;
    QTest::newRow("unpack missing pack")
        << QStringList{"unpack", "/nonexistent/Dod.dhl", "-o", "out"} << 1;
    QTest::newRow("no command") << QStringList{} << 2;
    QTest::newRow("unknown command") << QStringList{"repack"} << 2;
}

void TestBookPack::usageErrors() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    const ToolResult r = ToolRunner::run(args, {}, dir.path());
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.oneErrorLine(), r.err.constData());
    QVERIFY(QDir(dir.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestBookPack)
#include "tst_book_pack.moc"
