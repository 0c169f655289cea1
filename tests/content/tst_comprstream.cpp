#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "content/TComprStream.h"
#include "data/BookPaths.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstComprStream : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsArchiveThenDiskAndRaisesWhenNeither() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = BookPaths::fromNative(dir.path()) + u'\\';
        ArchiveWriter w;
        QByteArray big;
        for (int i = 0; i < 2000; ++i)
            big += "<tr><td>Torque</td><td>" + QByteArray::number(i) + " Nm</td></tr>\n";
        QVERIFY(w.addFile("pages/table.htm", big));
        QVERIFY(w.write(dir.filePath("interface.dat")));
        QFile loose(dir.filePath("loose.txt"));
        QVERIFY(loose.open(QIODevice::WriteOnly));
        loose.write("line 1\nline 2\n");
        loose.close();

        ContentArchive archive;
        QVERIFY(archive.open(dir.filePath("interface.dat")));
        archive.setRootPrefix(root);

        TComprStream a(archive, root + "pages\\table.htm");
        QVERIFY(a.isOpen());
        QVERIFY(a.isReadable());
        QVERIFY(!a.isWritable());
        QCOMPARE(a.pos(), 0);
        QCOMPARE(a.size(), big.size());
        QCOMPARE(a.readLine(), QByteArray("<tr><td>Torque</td><td>0 Nm</td></tr>\n"));
        QVERIFY(a.seek(0));
        QCOMPARE(a.readAll(), big);

        TComprStream b(archive, root + "LOOSE.TXT");
        QCOMPARE(b.pos(), 0);
        QCOMPARE(b.readLine(), QByteArray("line 1\n"));
        QCOMPARE(b.readLine(), QByteArray("line 2\n"));
        QVERIFY(b.atEnd());

        // Each stream is its own copy.
        TComprStream c(archive, root + "pages/TABLE.HTM");
        QCOMPARE(c.pos(), 0);
        QVERIFY(a.data().constData() != c.data().constData() || a.data() == c.data());

        const QString missing = root + "pages\\missing.htm";
        try {
            TComprStream s(archive, missing);
            QFAIL("no exception for a missing file");
        } catch (const FileOpenError& e) {
            QCOMPARE(e.path(), missing);
            QVERIFY(QByteArray(e.what()).contains("missing.htm"));
        }
    }
};

QTEST_GUILESS_MAIN(TstComprStream)
#include "tst_comprstream.moc"
