#include "TestBook.h"

#include "app/TBook.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the code under test writes on stderr, caught in a file.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        m_saved = dup(2);
        m_file = QDir::temp().filePath(QStringLiteral("stderr-%1.txt").arg(getpid()));
        int fd = ::open(QFile::encodeName(m_file).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 2);
        ::close(fd);
    }
    ~StderrCapture() { restore(); }
    QStringList lines() {
        restore();
        QFile f(m_file);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    void restore() {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, 2);
        ::close(m_saved);
        m_saved = -1;
    }
    int m_saved = -1;
    QString m_file;
};

QString slash(const QString& dir) {
    return dir + QLatin1Char('/');
}

} // namespace

// Books as they arrive damaged or hostile: each case once hung the start or
// passed damage over in silence.
class TstDamagedBooks : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString freshBook(const QString& name) {
        const QString dir = m_dir.filePath(name);
        QDir().mkpath(dir);
        QString error;
        if (!testbook::write(dir, testbook::description(QStringLiteral("Damaged")),
                             testbook::pictures(), &error))
            qWarning() << error;
        return dir;
    }
    static void cut(const QString& file, qint64 size) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.resize(size));
    }

private slots:
    // A named pipe called Dod.dhl hung the start with no window and no line.
    void pipeAsPackIsRefused() {
        const QString dir = m_dir.filePath(QStringLiteral("pipe"));
        QDir().mkpath(dir);
        QCOMPARE(mkfifo(QFile::encodeName(dir + "/Dod.dhl").constData(), 0600), 0);
        TBook book;
        book.open(slash(dir));
        QString error;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!book.loadPack(&error));
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY2(error.contains(QStringLiteral("named pipe")), qPrintable(error));
    }

    // So did a named pipe among the book's fonts; a link to a device is
    // refused the same way.
    void pipeAndDeviceAsFontsAreRefused() {
        const QString dir = freshBook(QStringLiteral("fonts"));
        QCOMPARE(mkfifo(QFile::encodeName(dir + "/pipe.ttf").constData(), 0600), 0);
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir + "/zero.ttf"));
        TBook book;
        book.open(slash(dir));
        QString error;
        QVERIFY(book.loadPack(&error));
        StderrCapture err;
        book.registerFonts();
        const QStringList lines = err.lines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.filter(QStringLiteral("pipe.ttf")).first().contains("named pipe"));
        QVERIFY(lines.filter(QStringLiteral("zero.ttf")).first().contains("a device"));
        QVERIFY(book.registeredFonts().isEmpty());
    }

    // A pack cut by one byte started with entries silently lost; cut before
    // the end of Struct.cfs it said "Struct.cfs not found".
    void cutPackNamesTheLostEntries() {
        const QString dir = freshBook(QStringLiteral("cut"));
        const QString pack = dir + "/Dod.dhl";
        TReadBin whole;
        QVERIFY(whole.load(pack));
        QVERIFY(!whole.isDamaged());
        // The entry whose data end last, and Struct.cfs.
        RBin last, structCfs;
        for (const RBin& e : whole.entries()) {
            if (e.offset + e.size > last.offset + last.size)
                last = e;
            if (e.name == QLatin1String("Struct.cfs"))
                structCfs = e;
        }
        QVERIFY(last.name != structCfs.name);
        cut(pack, qint64(last.offset) + last.size - 1);
        {
            TBook book;
            book.open(slash(dir));
            StderrCapture err;
            QString error;
            QVERIFY(book.loadPack(&error));
            QVERIFY(book.readStruct(&error));
            const QStringList lines = err.lines();
            QCOMPARE(lines.size(), 1);
            QVERIFY(lines[0].contains(QStringLiteral("damaged")));
            QVERIFY2(lines[0].contains(last.name), qPrintable(lines[0]));
            QVERIFY(!lines[0].contains(structCfs.name));
        }
        cut(pack, qint64(structCfs.offset) + structCfs.size / 2);
        {
            TBook book;
            book.open(slash(dir));
            StderrCapture err;
            QString error;
            QVERIFY(book.loadPack(&error));
            QVERIFY(!book.readStruct(&error));
            QVERIFY(err.lines().isEmpty()); // the caller prints the reason once
            QVERIFY2(error.contains(QStringLiteral("damaged")) && error.contains("Struct.cfs"),
                     qPrintable(error));
            QVERIFY(!error.contains(QStringLiteral("not found")));
        }
    }

    // A picture the description names but the pack lacks was passed over
    // in silence; it is named once however often it is asked for.
    void missingPictureIsNamedOnce() {
        const QString dir = m_dir.filePath(QStringLiteral("nopicture"));
        QDir().mkpath(dir);
        QHash<QString, QImage> pictures = testbook::pictures();
        pictures.remove(QStringLiteral("bh.bmp"));
        QString error;
        QVERIFY(testbook::write(dir, testbook::description(QStringLiteral("Damaged")), pictures,
                                &error));
        TBook book;
        book.open(slash(dir));
        QVERIFY(book.loadPack(&error));
        StderrCapture err;
        QVERIFY(book.loadPicture(QStringLiteral("bh.bmp")).isNull());
        QVERIFY(book.loadPicture(QStringLiteral("bh.bmp")).isNull());
        QVERIFY(!book.loadPicture(QStringLiteral("bn.bmp")).isNull());
        const QStringList lines = err.lines();
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].contains(QStringLiteral("\"bh.bmp\"")));
    }
};

QTEST_MAIN(TstDamagedBooks)
#include "tst_damagedbooks.moc"
