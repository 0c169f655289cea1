// archive build / list / extract through the book tool: round trips of
// random trees, stored names, and damaged or hostile archives.
#include "RandomBook.h"
#include "ToolRunner.h"

#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

namespace {

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

quint32 le32(const QByteArray& b, qsizetype at) {
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
           quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}

// The unpacked directory block of an archive file.
QByteArray directoryOf(const QByteArray& archive) {
    const quint32 extra = le32(archive, 0) ^ 0x5A3C91E4u;
    const quint32 stored = le32(archive, 4) ^ 0xC7D20B6Fu;
    const QByteArray block = archive.mid(8, stored);
    if (extra == 0)
        return block;
    QByteArray out(qsizetype(extra + stored), '\0');
    uLongf size = uLongf(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                   reinterpret_cast<const Bytef*>(block.constData()), uLong(block.size())) != Z_OK)
        return QByteArray();
    return out;
}

BookFiles storedForm(const BookFiles& files) {
    BookFiles out;
    for (auto it = files.constBegin(); it != files.constEnd(); ++it)
        out.insert(archiveUpper(it.key()), it.value());
    return out;
}

// An archive made by hand: one root folder holding `names` as files.
QByteArray handMadeArchive(const QList<QByteArray>& names, const QByteArray& content) {
    QByteArray directory = ArchiveWriter::directoryHeader(1, quint32(names.size()), 0);
    directory += ArchiveWriter::folderRecord(0, quint32(names.size()));
    for (const QByteArray& name : names)
        directory += ArchiveWriter::entryRecord(name, 0, quint32(content.size()),
                                                quint32(content.size()), 1);
    return ArchiveWriter::assemble(directory, content, false);
}

} // namespace

class TestBookArchive : public QObject {
    Q_OBJECT

private slots:
    void roundTripRandomTrees();
    void compressesWhatShrinks();
    void relativeFolderNames();
    void emptyFoldersAreKept();
    void hiddenNamesAreStoredWithAWarning();
    void refusedInput_data();
    void refusedInput();
    void damagedArchive_data();
    void damagedArchive();
    void damagedEntryIsNotReplacedFromDisk();
    void hostileNames_data();
    void hostileNames();
    void usageErrors_data();
    void usageErrors();
};

// build -> list -> extract: every file listed once under its stored (upper
// case) path and extracted with exactly its bytes.
void TestBookArchive::roundTripRandomTrees() {
    RandomBook book(1234);
    for (int round = 0; round < 6; ++round) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const BookFiles files = book.tree(round == 0 ? 1 : 50, 4);
        const QString source = dir.filePath(QStringLiteral(u"книга"));
        QVERIFY(writeTree(source, files));
        const QString archivePath = dir.filePath(QStringLiteral("interface.dat"));

        const ToolResult built = ToolRunner::run({"archive", "build", source, "-o", archivePath});
        QVERIFY2(built.exitCode == 0, built.err.constData());
        QVERIFY(built.err.isEmpty());

        const ToolResult listed = ToolRunner::run({"archive", "list", archivePath});
        QCOMPARE(listed.exitCode, 0);
        QStringList lines = QString::fromUtf8(listed.out).split(QLatin1Char('\n'));
        QCOMPARE(lines.takeLast(), QString());
        QSet<QString> expected;
        for (const QString& path : files.keys())
            expected.insert(archiveUpper(path).replace(QLatin1Char('/'), QLatin1Char('\\')));
        QCOMPARE(lines.size(), files.size());
        QCOMPARE(QSet<QString>(lines.begin(), lines.end()), expected);

        const QString target = dir.filePath(QStringLiteral("out"));
        const ToolResult extracted =
            ToolRunner::run({"archive", "extract", archivePath, "-o", target});
        QVERIFY2(extracted.exitCode == 0, extracted.err.constData());
        QCOMPARE(readTree(target), storedForm(files));
    }
}

void TestBookArchive::compressesWhatShrinks() {
    QTemporaryDir dir;
    RandomBook book(5);
    QByteArray noise(20000, '\0');
    for (char& c : noise)
        c = char(book.random().bounded(256));
    const BookFiles files{{"text.htm", QByteArray(200000, 'a')}, {"noise.bin", noise}};
    QVERIFY(writeTree(dir.filePath("in"), files));
    const QString archivePath = dir.filePath("interface.dat");
    QCOMPARE(ToolRunner::run({"archive", "build", dir.filePath("in"), "-o", archivePath}).exitCode,
             0);
    const qint64 size = QFileInfo(archivePath).size();
    QVERIFY(size < 20000 + 5000);
    QCOMPARE(
        ToolRunner::run({"archive", "extract", archivePath, "-o", dir.filePath("out")}).exitCode,
        0);
    QCOMPARE(readTree(dir.filePath("out")), storedForm(files));
}

// Stored paths are relative to the folder however the folder is given.
void TestBookArchive::relativeFolderNames() {
    QTemporaryDir dir;
    QVERIFY(writeTree(dir.filePath("book"), {{"man/p1.htm", "p"}, {"top.htm", "t"}}));
    for (const QString& folder : {QStringLiteral("book"), QStringLiteral("./book/")}) {
        QCOMPARE(ToolRunner::run({"archive", "build", folder, "-o", "book/interface.dat"}, {},
                                 dir.path())
                     .exitCode,
                 0);
        const ToolResult listed =
            ToolRunner::run({"archive", "list", "book/interface.dat"}, {}, dir.path());
        QCOMPARE(listed.exitCode, 0);
        QCOMPARE(QString::fromUtf8(listed.out), QStringLiteral("MAN\\P1.HTM\nTOP.HTM\n"));
    }
}

void TestBookArchive::emptyFoldersAreKept() {
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral(u"in/пусто"))));
    const QString archivePath = dir.filePath("interface.dat");
    QCOMPARE(ToolRunner::run({"archive", "build", dir.filePath("in"), "-o", archivePath}).exitCode,
             0);
    const QByteArray directory = directoryOf(readFile(archivePath));
    QVERIFY(directory.size() >= 16 + 2 * 8 + 80);
    QCOMPARE(le32(directory, 4), 1u); // one entry: the folder
    const qsizetype entry = 16 + 8 * qsizetype(le32(directory, 0));
    QCOMPARE(directory.mid(entry, 5), QByteArray("\xCF\xD3\xD1\xD2\xCE")); // ПУСТО
    QCOMPARE(le32(directory, entry + 76), 2u);
}

// The reader's listing skips names beginning with "."; such files are
// stored (the reader can still open them by path) and the author is warned.
void TestBookArchive::hiddenNamesAreStoredWithAWarning() {
    QTemporaryDir dir;
    QVERIFY(writeTree(dir.filePath("in"), {{".hidden.htm", "h"}, {"shown.htm", "s"}}));
    const QString archivePath = dir.filePath("interface.dat");
    const ToolResult built =
        ToolRunner::run({"archive", "build", dir.filePath("in"), "-o", archivePath});
    QCOMPARE(built.exitCode, 0);
    QVERIFY2(built.oneErrorLine(), built.err.constData());
    QVERIFY(built.errorText().contains(QLatin1String("warning")));
    const ToolResult listed = ToolRunner::run({"archive", "list", archivePath});
    QCOMPARE(QString::fromUtf8(listed.out), QStringLiteral("SHOWN.HTM\n"));
    ContentArchive archive;
    QVERIFY(archive.open(archivePath));
    QVERIFY(archive.inArchive(QStringLiteral(".hidden.htm")));
}

void TestBookArchive::refusedInput_data() {
    QTest::addColumn<BookFiles>("files");
    QTest::newRow("same stored name") << BookFiles{{"a.htm", "1"}, {"A.HTM", "2"}};
    QTest::newRow("same cyrillic stored name")
        << BookFiles{{QStringLiteral(u"кот.htm"), "1"}, {QStringLiteral(u"КОТ.htm"), "2"}};
    QTest::newRow("file and folder") << BookFiles{{"man", "1"}, {"MAN/p.htm", "2"}};
    QTest::newRow("name over 64 bytes") << BookFiles{{QString(65, 'n'), "1"}};
    QTest::newRow("name outside 1251") << BookFiles{{QStringLiteral(u"猫.htm"), "1"}};
}

// What the reader could not reach as given fails the build: one line, no
// output file.
void TestBookArchive::refusedInput() {
    QFETCH(BookFiles, files);
    QTemporaryDir dir;
    QVERIFY(writeTree(dir.filePath("in"), files));
    const QString archivePath = dir.filePath("interface.dat");
    const ToolResult r =
        ToolRunner::run({"archive", "build", dir.filePath("in"), "-o", archivePath});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.oneErrorLine(), r.err.constData());
    QVERIFY(!QFile::exists(archivePath));
}

void TestBookArchive::damagedArchive_data() {
    QTest::addColumn<QByteArray>("bytes");
    ArchiveWriter writer;
    QVERIFY(writer.addFile(QStringLiteral("man/p1.htm"), QByteArray(5000, 'x')));
    const QByteArray good = *writer.build();
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("short header") << good.left(7);
    QTest::newRow("truncated directory") << good.left(12);
    QByteArray hugeDirectory = good;
    hugeDirectory[7] = char(hugeDirectory[7] ^ 0x40);
    QTest::newRow("directory past the end") << hugeDirectory;
    QByteArray badInflate = good;
    for (int i = 10; i < 20 && i < badInflate.size(); ++i)
        badInflate[i] = char(0x55 ^ i);
    QTest::newRow("corrupt compressed directory") << badInflate;
    // The directory is whole but the last file's data is cut off: the
    // readable entries alone must not pass for the archive.
    ArchiveWriter twoFiles;
    QVERIFY(twoFiles.addFile(QStringLiteral("a.htm"), "first"));
    QVERIFY(twoFiles.addFile(QStringLiteral("b.htm"), QByteArray(4000, 'y')));
    const QByteArray whole = *twoFiles.build();
    QTest::newRow("data cut off") << whole.left(whole.size() - 10);
    QByteArray noise(3000, '\0');
    QRandomGenerator random(3);
    for (char& c : noise)
        c = char(random.bounded(256));
    QTest::newRow("noise") << noise;
}

// A damaged archive is refused with one line by list and extract.
void TestBookArchive::damagedArchive() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString archivePath = dir.filePath("interface.dat");
    QVERIFY(writeFile(archivePath, bytes));
    const ToolResult listed = ToolRunner::run({"archive", "list", archivePath});
    QVERIFY(!listed.crashed);
    QCOMPARE(listed.exitCode, 1);
    QVERIFY2(listed.oneErrorLine(), listed.err.constData());
    const ToolResult extracted =
        ToolRunner::run({"archive", "extract", archivePath, "-o", dir.filePath("out")});
    QCOMPARE(extracted.exitCode, 1);
    QVERIFY2(extracted.oneErrorLine(), extracted.err.constData());
    QVERIFY(readTree(dir.filePath("out")).isEmpty());
}

// A damaged entry fails the extraction; a loose file of the same name in
// the current folder never stands in for it.
void TestBookArchive::damagedEntryIsNotReplacedFromDisk() {
    QTemporaryDir dir;
    ArchiveWriter writer;
    writer.setCompressDirectory(false);
    QVERIFY(writer.addFile(QStringLiteral("P1.HTM"), QByteArray(5000, 'x')));
    QByteArray bytes = *writer.build();
    for (qsizetype i = bytes.size() - 8; i < bytes.size(); ++i)
        bytes[i] = char(bytes[i] ^ 0x5A);
    const QString archivePath = dir.filePath("interface.dat");
    QVERIFY(writeFile(archivePath, bytes));
    QVERIFY(writeFile(dir.filePath("P1.HTM"), "from disk"));
    const ToolResult r =
        ToolRunner::run({"archive", "extract", "interface.dat", "-o", "out"}, {}, dir.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.oneErrorLine(), r.err.constData());
    QVERIFY(!QFile::exists(dir.filePath("out/P1.HTM")));
}

void TestBookArchive::hostileNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("parent inside a name") << QByteArray("A\\..\\..\\EVIL.TXT");
    QTest::newRow("parent with slashes") << QByteArray("A/../../EVIL.TXT");
    QTest::newRow("absolute") << QByteArray("\\TMP\\EVIL.TXT");
    QTest::newRow("drive") << QByteArray("C:\\EVIL.TXT");
}

// Listed paths that would leave the output folder fail the extraction
// before anything is written.
void TestBookArchive::hostileNames() {
    QFETCH(QByteArray, name);
    QTemporaryDir dir;
    const QString archivePath = dir.filePath("interface.dat");
    QVERIFY(writeFile(archivePath, handMadeArchive({"GOOD.TXT", name}, "data")));
    const ToolResult r = ToolRunner::run(
        {"archive", "extract", archivePath, "-o", dir.filePath("deep/out")}, {}, dir.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.oneErrorLine(), r.err.constData());
    QVERIFY(r.errorText().contains(QLatin1String("refused")));
    QCOMPARE(readTree(dir.path()).keys(), QStringList{"interface.dat"});
}

void TestBookArchive::usageErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("no action") << QStringList{"archive"} << 2;
    QTest::newRow("unknown action") << QStringList{"archive", "pack"} << 2;
    QTest::newRow("build without -o") << QStringList{"archive", "build", "."} << 2;
    QTest::newRow("extract without -o") << QStringList{"archive", "extract", "x.dat"} << 2;
    QTest::newRow("list two files") << QStringList{"archive", "list", "a", "b"} << 2;
    QTest::newRow("list missing file") << QStringList{"archive", "list", "/nonexistent.dat"} << 1;
    QTest::newRow("list a folder") << QStringList{"archive", "list", "/"} << 1;
    QTest::newRow("build missing folder")
        << QStringList{"archive", "build", "/nonexistent", "-o", "x.dat"} << 1;
}

void TestBookArchive::usageErrors() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    const ToolResult r = ToolRunner::run(args, {}, dir.path());
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.oneErrorLine(), r.err.constData());
    QVERIFY(QDir(dir.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestBookArchive)
#include "tst_book_archive.moc"
