// The media device on Qt Multimedia: modes, the wait and notify model with
// its one-shot overrides, error classes of bad files, and video frames.
#include "MediaFiles.h"

#include "../../demo/gen/AviWriter.h"
#include "media/TMPlayer.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/fsuid.h>
#include <unistd.h>

using mediafiles::wav;
using mediafiles::write;

// How long a test waits for a sound's end to be notified. A guard against a
// notification that never comes, not a speed check: a loaded machine running
// the sanitizer build has taken over 3 s for a 0.8 s sound.
static constexpr int kSoundEnd = 15000;

class TestMPlayer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void playsToTheEndAndNotifies();
    void supersededAndAborted();
    void pauseKeepsThePlayNotification();
    void errorClasses();
    void videoFramesAndAutoRewind();

private:
    QString file(const QString& name, const QByteArray& bytes) {
        const QString p = m_tmp.filePath(name);
        write(p, bytes);
        return p;
    }
    QTemporaryDir m_tmp;
    mediafiles::PulseNullSink m_pulse;
};

void TestMPlayer::initTestCase() {
    QVERIFY(m_tmp.isValid());
    if (!m_pulse.start(m_tmp))
        qInfo("no private sound server: the back end plays on its own sink");
}

// Collects the notify value of every OnNotify in order.
static QList<int>* recordNotifies(TMPlayer& p) {
    auto* seen = new QList<int>;
    QObject::connect(&p, &TMPlayer::OnNotify, &p,
                     [seen](TMPlayer* s) { seen->append(s->notifyValue()); });
    QObject::connect(&p, &QObject::destroyed, [seen] { delete seen; });
    return seen;
}

void TestMPlayer::playsToTheEndAndNotifies() {
    TMPlayer p;
    QList<int>* seen = recordNotifies(p);
    QCOMPARE(p.mode(), TMPlayer::NotReady);
    QCOMPARE(p.play(), int(TMPlayer::ErrNoDevice));
    QCOMPARE(p.errorMessage(), QString("No MCI device open"));
    QCOMPARE(p.position(), 0);

    p.setFileName(file("tone.wav", wav(1000)));
    QCOMPARE(p.open(), 0);
    QVERIFY(p.isOpen());
    QVERIFY(!p.hasVideo());
    QCOMPARE(p.mode(), TMPlayer::Stopped);
    QVERIFY(qAbs(p.length() - 1000) < 60);
    // Open waits and notifies nothing by default.
    QTest::qWait(400);
    QVERIFY(seen->isEmpty());

    // The time between open and play must not be taken from the sound.
    QElapsedTimer t;
    t.start();
    QCOMPARE(p.play(), 0);
    QCOMPARE(p.mode(), TMPlayer::Playing);
    QTRY_COMPARE_WITH_TIMEOUT(seen->size(), 1, kSoundEnd);
    QVERIFY2(t.elapsed() >= 850, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(seen->at(0), int(TMPlayer::Successful));
    QCOMPARE(p.mode(), TMPlayer::Stopped);
    QCOMPARE(p.position(), p.length());

    // At the end without AutoRewind a play completes at once.
    QCOMPARE(p.play(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(seen->size(), 2, 1000);
    QCOMPARE(p.mode(), TMPlayer::Stopped);

    // A play that waits returns when the sound has ended.
    QCOMPARE(p.seek(600), 0);
    QCOMPARE(p.position(), 600);
    p.setWait(true);
    p.setNotify(false);
    t.restart();
    QCOMPARE(p.play(), 0);
    QVERIFY(t.elapsed() >= 250);
    QCOMPARE(p.mode(), TMPlayer::Stopped);
    QTest::qWait(100);
    QCOMPARE(seen->size(), 2); // the override was for that one command

    // A seek past the end is refused; the position stays.
    QCOMPARE(p.seek(5000), int(TMPlayer::ErrOutOfRange));
    QCOMPARE(p.close(), 0);
    QCOMPARE(p.mode(), TMPlayer::NotReady);
    QCOMPARE(p.close(), 0); // nothing open: no error
}

void TestMPlayer::supersededAndAborted() {
    TMPlayer p;
    QList<int>* seen = recordNotifies(p);
    p.setFileName(file("long.wav", wav(3000)));
    QCOMPARE(p.open(), 0);

    // A second notifying play replaces the first.
    QCOMPARE(p.play(), 0);
    QCOMPARE(p.play(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(seen->size(), 1, 1000);
    QCOMPARE(seen->at(0), int(TMPlayer::Superseded));

    // Stop cuts the running play short; the position is kept.
    QTest::qWait(300);
    QCOMPARE(p.stop(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(seen->size(), 2, 1000);
    QCOMPARE(seen->at(1), int(TMPlayer::Aborted));
    QCOMPARE(p.mode(), TMPlayer::Stopped);
    const qint64 at = p.position();
    QVERIFY2(at > 100, qPrintable(QString::number(at)));
    QTest::qWait(200);
    QVERIFY(qAbs(p.position() - at) < 50);

    // A seek during play aborts it too, and so does a close.
    QCOMPARE(p.play(), 0);
    QCOMPARE(p.seek(0), 0);
    QTRY_COMPARE_WITH_TIMEOUT(seen->size(), 3, 1000);
    QCOMPARE(seen->at(2), int(TMPlayer::Aborted));
    QCOMPARE(p.play(), 0);
    QCOMPARE(p.close(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(seen->size(), 4, 1000);
    QCOMPARE(seen->at(3), int(TMPlayer::Aborted));
    QTest::qWait(200);
    QCOMPARE(seen->size(), 4);
}

void TestMPlayer::pauseKeepsThePlayNotification() {
    TMPlayer p;
    QList<int>* seen = recordNotifies(p);
    p.setFileName(file("short.wav", wav(800)));
    QCOMPARE(p.open(), 0);
    QCOMPARE(p.play(), 0);
    QTest::qWait(200);
    // The reader's pause command: notify off, then the toggle.
    p.setNotify(false);
    QCOMPARE(p.pause(), 0);
    QCOMPARE(p.mode(), TMPlayer::Paused);
    const qint64 at = p.position();
    QTest::qWait(400);
    QVERIFY(qAbs(p.position() - at) < 50);
    p.setNotify(false);
    QCOMPARE(p.pause(), 0); // resumes without a notify of its own
    QCOMPARE(p.mode(), TMPlayer::Playing);
    // The play's notification still arrives at the end.
    QTRY_COMPARE_WITH_TIMEOUT(seen->size(), 1, kSoundEnd);
    QCOMPARE(seen->at(0), int(TMPlayer::Successful));
    // Resume when not paused plays instead.
    QCOMPARE(p.seek(0), 0);
    QCOMPARE(p.resume(), 0);
    QCOMPARE(p.mode(), TMPlayer::Playing);
    QTRY_COMPARE_WITH_TIMEOUT(seen->size(), 2, kSoundEnd);
    QCOMPARE(seen->at(1), int(TMPlayer::Successful));
}

void TestMPlayer::errorClasses() {
    TMPlayer p;
    QList<int>* seen = recordNotifies(p);
    auto openCode = [&p](const QString& path) {
        p.setFileName(path);
        QElapsedTimer t;
        t.start();
        const int code = p.open();
        if (t.elapsed() > 9000)
            qWarning("open took %lld ms", t.elapsed());
        return code;
    };
    QCOMPARE(openCode(m_tmp.filePath("missing.wav")), int(TMPlayer::ErrFileNotFound));
    QVERIFY(!p.isOpen());
    QCOMPARE(openCode(QString()), int(TMPlayer::ErrFileNotFound));
    QCOMPARE(openCode(file("empty.wav", QByteArray())), int(TMPlayer::ErrInvalidFile));
    QCOMPARE(openCode(file("text.mp3", QByteArray(4000, 'x'))), int(TMPlayer::ErrInvalidFile));
    QCOMPARE(p.mode(), TMPlayer::NotReady);
    QCOMPARE(openCode(m_tmp.path()), int(TMPlayer::ErrInvalidFile));

    // Unreadable: chmod 000 (checked as an ordinary user when run as root).
    const QString locked = file("locked.wav", wav(300));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
    const bool root = geteuid() == 0;
    if (root)
        setfsuid(65534);
    const int lockedCode = openCode(locked);
    if (root)
        setfsuid(0);
    QCOMPARE(lockedCode, int(TMPlayer::ErrFileRead));

    // A file of a known type that the back end cannot play is "other".
    QByteArray broken = wav(300);
    broken.replace(12, 4, "junk");
    broken.truncate(60);
    const int brokenCode = openCode(file("broken.wav", broken));
    QVERIFY2(brokenCode == TMPlayer::ErrDriver || brokenCode == TMPlayer::ErrInvalidFile,
             qPrintable(QString::number(brokenCode)));
    QVERIFY(!p.isOpen());

    // A truncated sound plays what it has and ends.
    QByteArray truncated = wav(1500);
    truncated.truncate(truncated.size() / 3);
    QCOMPARE(openCode(file("truncated.wav", truncated)), 0);
    QCOMPARE(p.play(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!seen->isEmpty(), 4000);
    QVERIFY(seen->last() == TMPlayer::Successful || seen->last() == TMPlayer::Failure);

    // A failed open with a notify request reports a failure.
    p.setNotify(true);
    QCOMPARE(openCode(m_tmp.filePath("missing.wav")), int(TMPlayer::ErrFileNotFound));
    QTRY_COMPARE_WITH_TIMEOUT(seen->last(), int(TMPlayer::Failure), 1000);
    // A good file after all that opens normally.
    QCOMPARE(openCode(file("good.wav", wav(200))), 0);
}

void TestMPlayer::videoFramesAndAutoRewind() {
    QList<QImage> frames;
    for (int i = 0; i < 10; ++i) {
        QImage img(96, 64, QImage::Format_RGB32);
        img.fill(QColor(20 * i, 200, 40));
        frames << img;
    }
    TMPlayer p;
    QList<int>* seen = recordNotifies(p);
    QSignalSpy frameSpy(&p, &TMPlayer::frameReady);
    p.setFileName(file("clip.avi", AviWriter::motionJpeg(frames, 20, 80)));
    QCOMPARE(p.open(), 0);
    QVERIFY(qAbs(p.length() - 500) < 80);
    QCOMPARE(p.setDisplayRect(QRect(10, 20, 0, 0)), 0);
    QCOMPARE(p.play(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(seen->size(), 1, kSoundEnd);
    QCOMPARE(seen->at(0), int(TMPlayer::Successful));
    QVERIFY(p.hasVideo());
    QCOMPARE(p.naturalSize(), QSize(96, 64));
    QVERIFY(frameSpy.size() >= 3);
    QCOMPARE(frameSpy.last().at(1).toRect(), QRect(10, 20, 96, 64));
    QCOMPARE(p.lastFrame().size(), QSize(96, 64));

    // With AutoRewind a play at the end starts again from the beginning.
    p.setAutoRewind(true);
    frameSpy.clear();
    QCOMPARE(p.setDisplayRect(QRect(0, 0, 48, 32)), 0);
    QCOMPARE(p.play(), 0);
    QCOMPARE(p.mode(), TMPlayer::Playing);
    QTRY_COMPARE_WITH_TIMEOUT(seen->size(), 2, kSoundEnd);
    QCOMPARE(seen->at(1), int(TMPlayer::Successful));
    QVERIFY(frameSpy.size() >= 3);
    QCOMPARE(frameSpy.last().at(1).toRect(), QRect(0, 0, 48, 32));
}

QTEST_MAIN(TestMPlayer)
#include "tst_mplayer.moc"
