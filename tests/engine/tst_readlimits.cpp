#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "engine/TFileSource.h"
#include "engine/THtmlDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// A compressed entry of a few hundred kilobytes that unpacks past the size
// a page or picture may have was read whole into memory (1 GB for 1 MB).
class TstReadLimits : public QObject {
    Q_OBJECT

private slots:
    void archiveBombsAreRefused() {
        QTemporaryDir dir;
        const QString run = dir.path() + "/run";
        QDir().mkpath(run);
        const QByteArray bomb(qsizetype(TFileSource::kMaxReadSize) + 1, ' ');
        ArchiveWriter w;
        QVERIFY(w.addFile("run/bomb.htm", "<p>" + bomb));
        QVERIFY(w.addFile("run/bomb.bmp", bomb));
        QVERIFY(w.addFile("run/page.htm", "<p>fine <img src=bomb.bmp>"));
        QVERIFY(w.write(run + "/interface.dat"));
        QVERIFY(QFileInfo(run + "/interface.dat").size() < 2 * 1024 * 1024);

        ContentArchive archive;
        QString error;
        QVERIFY2(archive.open(run + "/interface.dat", &error), qPrintable(error));
        archive.setRootPrefix(BookPaths(run).bookRoot());
        TArchiveSource source(archive);
        QVERIFY(!source.read(run + "/bomb.htm"));
        QVERIFY(!source.read(run + "/bomb.bmp"));
        QVERIFY(source.read(run + "/page.htm"));

        THtmlDocument doc(&source, TViewerSettings());
        QVERIFY(!doc.load(run + "/bomb.htm", &error));
        QVERIFY(doc.load(run + "/page.htm", &error));
        QVERIFY(doc.layout(300) > 0);
    }

    void largeLooseFilesAreRefused() {
        QTemporaryDir dir;
        QFile big(dir.filePath("big.htm"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(qint64(TFileSource::kMaxReadSize) + 1)); // sparse: no disk used
        big.close();
        TDiskSource disk;
        QVERIFY(!disk.read(big.fileName()));
        ContentArchive none;
        TArchiveSource source(none);
        QVERIFY(!source.read(big.fileName()));
    }
};

QTEST_MAIN(TstReadLimits)
#include "tst_readlimits.moc"
