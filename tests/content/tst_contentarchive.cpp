#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "content/TComprStream.h"
#include "data/BookPaths.h"
#include "platform/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <map>
#include <thread>

namespace {

using W = ArchiveWriter;
constexpr quint32 F = ContentArchive::kKindFile;
constexpr quint32 D = ContentArchive::kKindFolder;

QByteArray cp(const QString& s) {
    return cp1251::fromUnicode(s);
}

// Lower case for the letters the archive folds (ASCII and А..Я), so a lookup
// has to fold them back; Ё stays as it is.
QString lowerFolded(const QString& s) {
    QString out = s;
    for (QChar& c : out)
        if ((c >= u'A' && c <= u'Z') || (c >= QChar(0x0410) && c <= QChar(0x042F)))
            c = c.toLower();
    return out;
}

void le32(QByteArray& b, qsizetype at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// Compressible page-like text.
QByteArray page(int n, int size = 3000) {
    QByteArray out;
    while (out.size() < size)
        out += "<p>Page " + QByteArray::number(n) + ": check the oil level, line " +
               QByteArray::number(out.size()) + ".</p>\n";
    return out;
}

QByteArray noise(QRandomGenerator& rng, int size) {
    QByteArray out(size, Qt::Uninitialized);
    for (char& c : out)
        c = char(rng.bounded(256));
    return out;
}

} // namespace

class TstContentArchive : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root; // path text of the temporary folder, with a trailing backslash

    QString native(const QString& name) const { return m_dir.filePath(name); }
    QString text(const QString& relative) const { return m_root + relative; }

    void writeFile(const QString& nativePath, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(nativePath).absolutePath());
        QFile f(nativePath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    // Writes `bytes` as the archive and opens it with the root prefix set.
    bool openBytes(ContentArchive& a, const QByteArray& bytes, QString* error = nullptr,
                   const QString& name = QStringLiteral("interface.dat")) {
        writeFile(native(name), bytes);
        const bool ok = a.open(native(name), error);
        a.setRootPrefix(m_root);
        return ok;
    }

    bool openWriter(ContentArchive& a, const ArchiveWriter& w,
                    const QString& name = "interface.dat") {
        const auto bytes = w.build();
        return bytes && openBytes(a, *bytes, nullptr, name);
    }

    // A hand-made directory: folder records and entry records.
    static QByteArray directory(quint32 root, const QList<QByteArray>& folders,
                                const QList<QByteArray>& entries) {
        QByteArray out = W::directoryHeader(quint32(folders.size()), quint32(entries.size()), root);
        for (const auto& f : folders)
            out += f;
        for (const auto& e : entries)
            out += e;
        return out;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_root = BookPaths::fromNative(m_dir.path()) + u'\\';
    }

    void init() {
        // Each case starts with an empty book folder.
        QDir dir(m_dir.path());
        for (const QString& e : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            QFileInfo fi(dir.filePath(e));
            if (fi.isDir())
                QDir(fi.filePath()).removeRecursively();
            else
                QFile::remove(fi.filePath());
        }
    }

    void plainAndCompressedDirectory() {
        for (bool compressDir : {false, true}) {
            const QByteArray data = "hello";
            const QByteArray dir =
                directory(0, {W::folderRecord(0, 1)}, {W::entryRecord("A.TXT", 0, 5, 5, F)});
            const QByteArray bytes = W::assemble(dir, data, compressDir);
            const quint32 a = quint32(quint8(bytes[0])) | quint32(quint8(bytes[1])) << 8 |
                              quint32(quint8(bytes[2])) << 16 | quint32(quint8(bytes[3])) << 24;
            // A unmasks to 0 exactly when the block is stored plainly.
            QCOMPARE((a ^ ContentArchive::kMaskA) == 0, !compressDir);
            ContentArchive ar;
            QString error;
            QVERIFY2(openBytes(ar, bytes, &error), qPrintable(error));
            QCOMPARE(ar.read(text("a.txt")).value_or("-"), data);
            QCOMPARE(ar.listFiles(), QStringList{"A.TXT"});
        }
    }

    void storedPlainlyOrCompressed() {
        QRandomGenerator rng(7);
        const QByteArray random = noise(rng, 5000); // does not compress
        const QByteArray text1 = page(1, 20000);
        W w;
        QVERIFY(w.addFile("noise.bin", random));
        QVERIFY(w.addFile("page.htm", text1));
        QVERIFY(w.addFile("empty.txt", QByteArray()));
        W::Layout layout;
        const auto bytes = w.build(nullptr, &layout);
        QVERIFY(bytes);
        QCOMPARE(layout.files.size(), size_t(3));
        for (const auto& f : layout.files) {
            if (f.path == "NOISE.BIN" || f.path == "EMPTY.TXT")
                QCOMPARE(f.stored, f.unpacked);
            else
                QVERIFY(f.stored < f.unpacked);
        }
        ContentArchive a;
        QVERIFY(openBytes(a, *bytes));
        QCOMPARE(*a.read(text("noise.bin")), random);
        QCOMPARE(*a.read(text("page.htm")), text1);
        const auto empty = a.read(text("empty.txt"));
        QVERIFY(empty && empty->isEmpty());
    }

    void rootPrefixAndSeparators() {
        W w;
        QVERIFY(w.addFile("man/p1.htm", "one"));
        QVERIFY(w.addFile("D:/OTHER/P2.HTM", "two"));
        const auto bytes = w.build();
        QVERIFY(bytes);
        writeFile(native("interface.dat"), *bytes);
        ContentArchive a;
        QVERIFY(a.open(native("interface.dat")));
        a.setRootPrefix("c:\\book\\");
        QCOMPARE(a.read("c:\\book\\man\\p1.htm").value_or(""), QByteArray("one"));
        QCOMPARE(a.read("C:/BOOK/MAN/P1.HTM").value_or(""), QByteArray("one"));
        QCOMPARE(a.read("c:\\Book/man\\P1.htm").value_or(""), QByteArray("one"));
        // Outside the prefix the lookup starts at the root with the drive as
        // a folder name.
        QVERIFY(!a.inArchive("d:\\other\\p1.htm"));
        QVERIFY(a.inArchive("d:\\other\\p2.htm"));
        // Relative paths and a leading separator start at the root.
        QVERIFY(a.inArchive("man\\p1.htm"));
        QVERIFY(a.inArchive("\\man\\p1.htm"));
        QVERIFY(!a.inArchive("c:\\book\\man\\"));
        QVERIFY(!a.inArchive("c:\\book\\man"));
        QVERIFY(!a.inArchive("c:\\book\\man\\p1.htm\\"));
        QVERIFY(!a.inArchive(""));
        // A POSIX-style book root.
        a.setRootPrefix("\\home\\Reader\\Vantrel\\");
        QVERIFY(a.inArchive("/home/reader/vantrel/man/p1.htm"));
        QVERIFY(!a.inArchive("/home/reader/other/man/p1.htm"));
    }

    void cyrillicCase() {
        W w;
        QVERIFY(w.addFile(QString::fromUtf8("глава/Ремонт.htm"), "repair"));
        // The writer stores what the archive stores: ё is not changed.
        QVERIFY(w.addFile(QString::fromUtf8("ЁЛКА.HTM"), "capital"));
        QVERIFY(w.addFile(QString::fromUtf8("ёж.htm"), "small"));
        ContentArchive a;
        QVERIFY(openWriter(a, w));
        QCOMPARE(a.read(text(QString::fromUtf8("глава\\ремонт.htm"))).value_or(""),
                 QByteArray("repair"));
        QCOMPARE(a.read(text(QString::fromUtf8("ГЛАВА/РЕМОНТ.HTM"))).value_or(""),
                 QByteArray("repair"));
        QVERIFY(a.inArchive(text(QString::fromUtf8("Ёлка.htm"))));
        QVERIFY(!a.inArchive(text(QString::fromUtf8("ёлка.htm"))));
        QVERIFY(a.inArchive(text(QString::fromUtf8("ёЖ.HTM"))));
        QVERIFY(!a.inArchive(text(QString::fromUtf8("ЁЖ.HTM"))));
        // Characters outside the code page name nothing (no '?' wildcard).
        QVERIFY(!a.inArchive(text(QString::fromUtf8("глава\\ремонт.htm\u4e00"))));
        QStringList list = a.listFiles();
        list.sort();
        QCOMPARE(list,
                 (QStringList{QString::fromUtf8("ЁЛКА.HTM"), QString::fromUtf8("ГЛАВА\\РЕМОНТ.HTM"),
                              QString::fromUtf8("ёЖ.HTM")}));
    }

    void archiveBeforeDiskForReads() {
        W w;
        QVERIFY(w.addFile("both.htm", "archive"));
        QVERIFY(w.addFile("only/arch.htm", "in archive"));
        ContentArchive a;
        QVERIFY(openWriter(a, w));
        writeFile(native("both.htm"), "disk");
        writeFile(native("Disk/Only.htm"), "on disk");

        QCOMPARE(*a.read(text("both.htm")), QByteArray("archive"));
        QCOMPARE(*a.read(text("only/arch.htm")), QByteArray("in archive"));
        // The disk is case-insensitive too.
        QCOMPARE(a.read(text("disk\\ONLY.htm")).value_or(""), QByteArray("on disk"));
        QVERIFY(a.exists(text("both.htm")));
        QVERIFY(a.exists(text("only\\arch.htm")));
        QVERIFY(a.exists(text("disk/only.htm")));
        QVERIFY(!a.exists(text("nowhere.htm")));
        QString error;
        QVERIFY(!a.read(text("nowhere.htm"), &error));
        QVERIFY(error.contains("nowhere.htm"));
        // A folder on disk is not a file.
        QVERIFY(!a.exists(text("disk")));
        QVERIFY(!a.read(text("disk")));
        // Without an archive only the disk counts.
        a.close();
        QVERIFY(!a.isOpen());
        QCOMPARE(*a.read(text("both.htm")), QByteArray("disk"));
        QVERIFY(!a.exists(text("only/arch.htm")));
        QVERIFY(a.listFiles().isEmpty());
    }

    void missingArchiveIsQuiet() {
        ContentArchive a;
        QString error = "x";
        QVERIFY(!a.open(native("absent.dat"), &error));
        QVERIFY(error.isEmpty());
        QVERIFY(!a.isOpen());
        writeFile(native("page.htm"), "loose");
        QCOMPARE(a.read(text("page.htm")).value_or(""), QByteArray("loose"));
    }

    void listingSkipsDotNamesAndKeepsTableOrder() {
        const QByteArray dir =
            directory(0, {W::folderRecord(0, 4), W::folderRecord(4, 2), W::folderRecord(6, 1)},
                      {W::entryRecord("Z.HTM", 0, 1, 1, F), W::entryRecord(".HIDDEN", 1, 1, 1, F),
                       W::entryRecord("MAN", 1, 0, 0, D), W::entryRecord(".SVN", 2, 0, 0, D),
                       W::entryRecord("P1.HTM", 2, 1, 1, F), W::entryRecord("A.HTM", 3, 1, 1, F),
                       W::entryRecord("ENTRIES", 4, 1, 1, F)});
        ContentArchive a;
        QVERIFY(openBytes(a, W::assemble(dir, "zhpae", true)));
        QCOMPARE(a.listFiles(), (QStringList{"Z.HTM", "MAN\\P1.HTM", "MAN\\A.HTM"}));
        // Dot-names are skipped by the listing only.
        QCOMPARE(a.read(text(".hidden")).value_or(""), QByteArray("h"));
        QCOMPARE(a.read(text(".svn\\entries")).value_or(""), QByteArray("e"));
        QCOMPARE(a.read(text("man\\a.htm")).value_or(""), QByteArray("a"));
    }

    void folderAndFileKinds() {
        // Two entries named DOC in one folder: the first decides.
        const QByteArray dir =
            directory(0, {W::folderRecord(0, 3), W::folderRecord(3, 1)},
                      {W::entryRecord("DOC", 1, 0, 0, D), W::entryRecord("DOC", 0, 1, 1, F),
                       W::entryRecord("X.HTM", 1, 1, 1, F), W::entryRecord("IN.HTM", 2, 1, 1, F)});
        ContentArchive a;
        QVERIFY(openBytes(a, W::assemble(dir, "dxi", false)));
        QVERIFY(!a.inArchive(text("doc")));
        QVERIFY(a.inArchive(text("doc\\in.htm")));
        QVERIFY(!a.inArchive(text("x.htm\\in.htm"))); // a file used as a folder
        // A folder entry where a file is wanted: the disk is tried.
        writeFile(native("doc"), "disk doc");
        QCOMPARE(a.read(text("doc")).value_or(""), QByteArray("disk doc"));
        QVERIFY(a.exists(text("doc")));
    }

    void overlongPathsAreNotFound() {
        W w;
        const QString part64(64, u'A');
        QVERIFY(w.addFile(part64 + "/x.htm", "deep"));
        QVERIFY(w.addFile((part64 + "/").repeated(15) + QString(49, u'F'), "longest"));
        QString error;
        QVERIFY(!w.addFile(QString(65, u'B'), "x", &error));
        QVERIFY(error.contains("64"));
        ContentArchive a;
        QVERIFY(openWriter(a, w));
        a.setRootPrefix(QString());
        QVERIFY(a.inArchive(part64 + "\\x.htm"));
        QVERIFY(!a.inArchive(QString(101, u'A') + "\\x.htm"));
        // 1024 characters are still looked up, 1025 are not.
        const QString longest = (part64 + "\\").repeated(15) + QString(49, u'F');
        QCOMPARE(longest.size(), 1024);
        QVERIFY(a.inArchive(longest));
        QVERIFY(a.listFiles().contains(longest));
        QVERIFY(!a.inArchive("\\" + longest));
        QString path = QString("\\").repeated(1024 - part64.size() - 6) + part64 + "\\x.htm";
        QVERIFY(!a.inArchive(path)); // empty parts name nothing
        QVERIFY(!a.inArchive(QString(1025, u'\\')));
        QVERIFY(!a.inArchive(QString(100000, u'A')));
    }

    void writerRejectsBadNames() {
        W w;
        QString error;
        QVERIFY(w.addFile("a/b.htm", "1"));
        QVERIFY(!w.addFile("A/B.HTM/c", "2", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!w.addFile("A", "3", &error));
        QVERIFY(!w.addFile("x/../y", "4", &error));
        QVERIFY(!w.addFile("//", "5", &error));
        QVERIFY(!w.addFile(QString::fromUtf8("日本.htm"), "6", &error));
        QVERIFY(error.contains("1251"));
        // The same name in another case replaces the file.
        QVERIFY(w.addFile("A\\b.HTM", "7"));
        ContentArchive a;
        QVERIFY(openWriter(a, w));
        QCOMPARE(a.listFiles(), QStringList{"A\\B.HTM"});
        QCOMPARE(*a.read(text("a/b.htm")), QByteArray("7"));
    }

    void treeFromDisk() {
        const QString src = native("src");
        writeFile(src + "/index.htm", page(0));
        writeFile(src + "/Man/p1.htm", page(1));
        writeFile(src + QString::fromUtf8("/Man/Схема.gif"), "GIF89a");
        QDir().mkpath(src + "/empty");
        W w;
        QString error;
        QVERIFY2(w.addTree(src, &error), qPrintable(error));
        QVERIFY(w.write(native("book.dat"), &error));
        ContentArchive a;
        QVERIFY(a.open(native("book.dat")));
        QCOMPARE(a.listFiles(),
                 (QStringList{"INDEX.HTM", "MAN\\P1.HTM", QString::fromUtf8("MAN\\СХЕМА.GIF")}));
        QCOMPARE(*a.read(QString::fromUtf8("man\\схема.gif")), QByteArray("GIF89a"));
        QVERIFY(!w.addTree(native("no-such-folder"), &error));
    }

    // --- damaged archives: a clean failure, never a crash or a huge allocation

    void damagedHeaderAndDirectory_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray dir =
            directory(0, {W::folderRecord(0, 1)}, {W::entryRecord("A.TXT", 0, 5, 5, F)});
        const QByteArray good = W::assemble(dir, "hello", true);
        const QByteArray plain = W::assemble(dir, "hello", false);

        QTest::newRow("empty") << QByteArray();
        QTest::newRow("short header") << good.left(7);
        QTest::newRow("directory cut") << good.left(good.size() - 8);
        QByteArray b = good;
        le32(b, 4, 0x7FFFFFF0u ^ ContentArchive::kMaskB);
        QTest::newRow("stored size past end") << b;
        b = good;
        le32(b, 0, 0xFFFFFFF0u ^ ContentArchive::kMaskA);
        QTest::newRow("huge unpacked size") << b;
        b = good;
        le32(b, 0, 0x00800000u ^ ContentArchive::kMaskA);
        QTest::newRow("unpacked size beyond inflate ratio") << b;
        b = good;
        for (qsizetype i = 10; i < good.size() - 5; ++i)
            b[i] = char(b[i] ^ 0x55);
        QTest::newRow("bad zlib") << b;
        b = good;
        le32(b, 0,
             (quint32(dir.size() + 100) - quint32(good.size() - 13)) ^ ContentArchive::kMaskA);
        QTest::newRow("inflates short") << b;
        QTest::newRow("folder count huge") << W::assemble(
            directory(0, {W::folderRecord(0, 0)}, {}).replace(0, 4, "\xff\xff\xff\x0f"), {}, true);
        QTest::newRow("entry count huge") << W::assemble(
            directory(0, {W::folderRecord(0, 0)}, {}).replace(4, 4, "\xff\xff\xff\xff"), {}, false);
        QTest::newRow("root out of range")
            << W::assemble(directory(1, {W::folderRecord(0, 0)}, {}), {}, true);
        QTest::newRow("no folders") << W::assemble(directory(0, {}, {}), {}, false);
        QTest::newRow("directory too short") << W::assemble("\1\0\0\0", {}, false);
        b = plain;
        le32(b, 4, quint32(plain.size()) ^ ContentArchive::kMaskB); // block swallows the file
        QTest::newRow("block past end by 8") << b;
    }

    void damagedHeaderAndDirectory() {
        QFETCH(QByteArray, bytes);
        ContentArchive a;
        QString error;
        QVERIFY(!openBytes(a, bytes, &error));
        QVERIFY(!a.isOpen());
        QVERIFY(!error.isEmpty());
        QVERIFY(!error.contains('\n'));
        QVERIFY(error.contains("interface.dat"));
        // The book goes on from disk.
        writeFile(native("a.txt"), "disk");
        QCOMPARE(a.read(text("a.txt")).value_or(""), QByteArray("disk"));
        QVERIFY(a.listFiles().isEmpty());
    }

    void damagedEntries() {
        const QByteArray good = *ArchiveWriter::compress(page(5, 4000));
        QByteArray bad = good;
        bad[good.size() / 2] = char(bad[good.size() / 2] ^ 0x5A);
        QByteArray data = good + bad + "plain";
        const quint32 g = quint32(good.size());
        const QByteArray dir =
            directory(0, {W::folderRecord(0, 10), W::folderRecord(99, 5)},
                      {W::entryRecord("GOOD.HTM", 0, g, 4000 + 100, F), // stream ends short
                       W::entryRecord("BAD.HTM", g, g, 4000 + 100, F),  // broken stream
                       W::entryRecord("REAL.HTM", 0, g, quint32(page(5, 4000).size()), F),
                       W::entryRecord("PAST.HTM", 2 * g, 500, 500, F), // runs past the end
                       W::entryRecord("WRAP.HTM", 0xFFFFFFF0u, 0x20, 0x20, F),
                       W::entryRecord("HUGE.HTM", 2 * g, 5, 0xFFFFFFFFu, F), // claims 4 GB
                       W::entryRecord("KIND.HTM", 2 * g, 5, 5, 7),
                       W::entryRecord("NOWHERE", 57, 0, 0, D), // folder index out of range
                       W::entryRecord("BROKEN", 1, 0, 0, D),   // folder record out of range
                       W::entryRecord("PLAIN.HTM", 2 * g, 5, 5, F)});
        ContentArchive a;
        QString error;
        QVERIFY2(openBytes(a, W::assemble(dir, data, true), &error), qPrintable(error));
        QCOMPARE(*a.read(text("real.htm")), page(5, 4000));
        QCOMPARE(*a.read(text("plain.htm")), QByteArray("plain"));
        for (const char* name : {"good.htm", "bad.htm", "past.htm", "wrap.htm", "huge.htm",
                                 "kind.htm", "nowhere\\x.htm", "broken\\x.htm"}) {
            QVERIFY2(!a.read(text(name), &error), name);
            QVERIFY(!error.isEmpty());
            QVERIFY_THROWS_EXCEPTION(FileOpenError, TComprStream(a, text(name)));
        }
        // A damaged entry fails like a missing one: a loose file takes over.
        writeFile(native("bad.htm"), "loose");
        QCOMPARE(a.read(text("bad.htm")).value_or(""), QByteArray("loose"));
        QCOMPARE(a.listFiles(), (QStringList{"GOOD.HTM", "BAD.HTM", "REAL.HTM", "PLAIN.HTM"}));
    }

    void folderCyclesAndSharedFolders() {
        // Folder 1 holds an entry pointing back at the root and one at itself.
        const QByteArray dir =
            directory(0, {W::folderRecord(0, 2), W::folderRecord(2, 3)},
                      {W::entryRecord("A.HTM", 0, 1, 1, F), W::entryRecord("SUB", 1, 0, 0, D),
                       W::entryRecord("UP", 0, 0, 0, D), W::entryRecord("SELF", 1, 0, 0, D),
                       W::entryRecord("B.HTM", 0, 1, 1, F)});
        ContentArchive a;
        QVERIFY(openBytes(a, W::assemble(dir, "x", true)));
        QCOMPARE(a.listFiles(), (QStringList{"A.HTM", "SUB\\B.HTM"}));
        // Lookups follow the loop as far as the path goes, and end.
        QVERIFY(a.inArchive(text("sub\\up\\sub\\self\\self\\b.htm")));
        QString loop = "sub";
        for (int i = 0; i < 200; ++i)
            loop += "\\self";
        QVERIFY(a.inArchive(loop + "\\b.htm"));

        // 40 levels, each folder reached through two entries: a walk that
        // followed every entry would list 2^40 paths.
        QList<QByteArray> folders, entries;
        const int levels = 40;
        for (int i = 0; i < levels; ++i) {
            folders << W::folderRecord(quint32(entries.size()), i + 1 < levels ? 2 : 1);
            if (i + 1 < levels)
                entries << W::entryRecord("L", quint32(i + 1), 0, 0, D)
                        << W::entryRecord("R", quint32(i + 1), 0, 0, D);
            else
                entries << W::entryRecord("END.HTM", 0, 1, 1, F);
        }
        ContentArchive b;
        QVERIFY(openBytes(b, W::assemble(directory(0, folders, entries), "x", true)));
        const QStringList list = b.listFiles();
        QCOMPARE(list.size(), 1);
        QVERIFY(list.first().endsWith("END.HTM"));

        // Folders whose records all share the whole entry table.
        folders.clear();
        entries.clear();
        const quint32 n = 300;
        for (quint32 i = 0; i < n; ++i) {
            folders << W::folderRecord(0, n);
            entries << (i + 1 < n ? W::entryRecord("F" + QByteArray::number(i), i + 1, 0, 0, D)
                                  : W::entryRecord("X.HTM", 0, 1, 1, F));
        }
        ContentArchive c;
        QVERIFY(openBytes(c, W::assemble(directory(0, folders, entries), "x", true)));
        QVERIFY(c.listFiles().size() <= 1);
    }

    void randomDamageNeverCrashes() {
        W w;
        QRandomGenerator rng(2024);
        for (int i = 0; i < 12; ++i)
            QVERIFY(w.addFile(QString("f%1/p%2.htm").arg(i % 3).arg(i), page(i, 200 + i * 50)));
        // A plain directory lets the damage reach counts, offsets and sizes
        // rather than stop at the inflate of the directory.
        const auto packed = w.build();
        w.setCompressDirectory(false);
        const auto plain = w.build();
        QVERIFY(packed && plain);
        ContentArchive a;
        for (int round = 0; round < 1500; ++round) {
            QByteArray b = round % 3 ? *plain : *packed;
            const int changes = 1 + int(rng.bounded(4));
            for (int c = 0; c < changes; ++c) {
                const qsizetype at = rng.bounded(b.size());
                switch (rng.bounded(3)) {
                case 0:
                    b[at] = char(rng.bounded(256));
                    break;
                case 1:
                    b.truncate(at + 1);
                    break;
                default:
                    if (b.size() >= 4)
                        le32(b, std::min<qsizetype>(at, b.size() - 4), rng.generate());
                }
            }
            // A new file each round: rewriting one file in place makes the
            // file system flush it on every close.
            const QString name = QString("damaged-%1.dat").arg(round);
            const bool opened = openBytes(a, b, nullptr, name);
            QFile::remove(native(name));
            if (!opened)
                continue;
            for (const QString& f : a.listFiles())
                (void)a.read(text(f));
            for (int i = 0; i < 12; ++i)
                (void)a.read(text(QString("f%1/p%2.htm").arg(i % 3).arg(i)));
        }
    }

    // --- round trips

    void randomRoundTrips() {
        QRandomGenerator rng(99);
        const QString letters = QString::fromUtf8("abcxyz019_-АБВЖЩЯабвжщяЁё");
        for (int round = 0; round < 20; ++round) {
            W w;
            w.setCompressionLevel(int(rng.bounded(10)));
            w.setCompressDirectory(rng.bounded(2) == 1);
            std::map<QString, QByteArray> expected; // stored path -> bytes
            const int files = 1 + int(rng.bounded(60));
            for (int i = 0; i < files; ++i) {
                QString path;
                const int depth = int(rng.bounded(4));
                for (int d = 0; d <= depth; ++d) {
                    QString part;
                    const int len = 1 + int(rng.bounded(d == depth ? 12 : 3));
                    for (int k = 0; k < len; ++k)
                        part += letters.at(rng.bounded(letters.size()));
                    path += (d ? "/" : "") + part;
                }
                const QByteArray bytes = rng.bounded(2) ? noise(rng, int(rng.bounded(3000)))
                                                        : page(i, int(rng.bounded(9000)));
                QString error;
                if (!w.addFile(path, bytes, &error))
                    continue; // a name that clashes with a folder of another file
                QString stored = cp1251::toUnicode(ContentArchive::normalise(cp(path)));
                expected[stored] = bytes;
            }
            ContentArchive a;
            QVERIFY(openWriter(a, w));
            QStringList list = a.listFiles();
            QStringList want;
            for (const auto& [p, b] : expected)
                want << p;
            list.sort();
            want.sort();
            QCOMPARE(list, want);
            for (const auto& [p, b] : expected) {
                // Look up in a mixed-up case and with forward slashes.
                QString asked = lowerFolded(p);
                asked.replace(u'\\', u'/');
                TComprStream s(a, text(asked));
                QCOMPARE(s.readAll(), b);
            }
        }
    }

    void concurrentReads() {
        W w;
        for (int i = 0; i < 40; ++i)
            QVERIFY(w.addFile(QString("p%1.htm").arg(i), page(i, 5000)));
        ContentArchive a;
        QVERIFY(openWriter(a, w));
        std::atomic<int> wrong{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (int r = 0; r < 20; ++r)
                    for (int i = 0; i < 40; ++i)
                        if (a.read(text(QString("p%1.htm").arg((i + t * 7) % 40))) !=
                            page((i + t * 7) % 40, 5000))
                            ++wrong;
            });
        for (auto& th : threads)
            th.join();
        QCOMPARE(wrong.load(), 0);
    }

    void reopenReplacesArchive() {
        W w1, w2;
        QVERIFY(w1.addFile("one.htm", "1"));
        QVERIFY(w2.addFile("two.htm", "2"));
        ContentArchive a;
        QVERIFY(openWriter(a, w1, "a1.dat"));
        QVERIFY(openWriter(a, w2, "a2.dat"));
        QVERIFY(!a.inArchive(text("one.htm")));
        QVERIFY(a.inArchive(text("two.htm")));
        QString error;
        QVERIFY(!openBytes(a, "garbage!", &error, "a3.dat"));
        QVERIFY(!a.inArchive(text("two.htm")));
    }
};

QTEST_GUILESS_MAIN(TstContentArchive)
#include "tst_contentarchive.moc"
