// The start clip: every way out shows the main window once: a key, a click,
// a missing clip (at once, nothing installed), another open error (the
// driver installed once, then a second try), a clip that never plays (ten
// retries), the end of the clip.
#include "dialogs/TStartClip.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

class FakeDevice : public TVideoDevice {
public:
    QList<int> opens{NoError}; // answers of the successive opens
    int opened = 0;
    bool willPlay = true; // play() reaches the playing state
    bool isPlaying = false;
    int plays = 0;
    int noWaits = 0;
    bool closed = false;
    int open(const QString&) override {
        const int answer = opens.value(opened, opens.last());
        ++opened;
        return answer;
    }
    QSize size() const override { return QSize(160, 90); }
    bool play() override {
        ++plays;
        isPlaying = willPlay;
        return true;
    }
    void pause() override { isPlaying = false; }
    void stop() override { isPlaying = false; }
    void close() override {
        closed = true;
        isPlaying = false;
    }
    bool playing() const override { return isPlaying; }
    bool stoppedOrPaused() const override { return !isPlaying; }
    void noWaitOnce() override { ++noWaits; }
};

struct Run {
    TStartClip* clip = nullptr;
    FakeDevice* device = nullptr;
    int ends = 0;
    int installs = 0;
    Run(bool background, FakeDevice* d = new FakeDevice) : device(d) {
        clip = new TStartClip("clip.avi", background, std::unique_ptr<TVideoDevice>(d));
        clip->onEnd = [this] { ++ends; };
        clip->installDriver = [this] { ++installs; };
    }
    ~Run() { delete clip; }
};

} // namespace

class TestStartClip : public QObject {
    Q_OBJECT
private slots:
    void keyOrClickEndsIt();
    void framedAndBackgroundPlacement();
    void openErrors();
    void retriesThenEnds();
    void endOfClipAndRealMissingFile();
};

void TestStartClip::keyOrClickEndsIt() {
    for (int way = 0; way < 3; ++way) {
        Run r(false);
        QTRY_VERIFY(r.clip->isVisible());
        QTRY_VERIFY(r.clip->endWatchTimer()->isActive()); // playing, watched
        if (way == 0)
            QTest::keyClick(r.clip, Qt::Key_Escape);
        else if (way == 1)
            QTest::keyClick(r.clip, Qt::Key_Space);
        else
            QTest::mouseClick(r.clip, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(r.ends, 1);
        QVERIFY(r.device->closed);
        QVERIFY(!r.clip->isVisible());
        QVERIFY(!r.clip->pollTimer()->isActive() && !r.clip->endWatchTimer()->isActive());
        // A second key after the end changes nothing.
        QTest::keyClick(r.clip, Qt::Key_Escape);
        r.clip->End();
        QCOMPARE(r.ends, 1);
    }
}

void TestStartClip::framedAndBackgroundPlacement() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    {
        Run r(false);
        QTRY_VERIFY(r.clip->isVisible());
        QCOMPARE(r.clip->size(), QSize(180, 110));
        QCOMPARE(r.clip->displayRect(), QRect(10, 10, 160, 90));
        QCOMPARE(r.clip->pos(),
                 QPoint(screen.width() / 2 - 80 - 20, screen.height() / 2 - 45 - 20));
    }
    {
        Run r(true);
        QTRY_VERIFY(r.clip->isVisible());
        QCOMPARE(r.clip->geometry(), screen);
        QCOMPARE(r.clip->displayRect(),
                 QRect(screen.width() / 2 - 80, screen.height() / 2 - 45, 160, 90));
        const QImage shot = r.clip->grab().toImage();
        QCOMPARE(shot.pixelColor(2, 2), QColor(Qt::black));
    }
}

void TestStartClip::openErrors() {
    // Missing, invalid, unreadable: ended at once, nothing installed.
    for (int code :
         {int(TVideoDevice::NotFound), int(TVideoDevice::Invalid), int(TVideoDevice::ReadError)}) {
        auto* d = new FakeDevice;
        d->opens = {code};
        Run r(false, d);
        QTRY_COMPARE(r.ends, 1);
        QCOMPARE(r.installs, 0);
        QCOMPARE(d->opened, 1);
        QCOMPARE(d->plays, 0);
    }
    // Another error: the driver once, a second open that works, playing.
    {
        auto* d = new FakeDevice;
        d->opens = {272, TVideoDevice::NoError};
        Run r(false, d);
        QTRY_VERIFY(r.clip->endWatchTimer()->isActive());
        QCOMPARE(r.installs, 1);
        QCOMPARE(d->opened, 2);
        QCOMPARE(r.ends, 0);
    }
    // ...or a second failure that ends.
    {
        auto* d = new FakeDevice;
        d->opens = {272, 272};
        Run r(false, d);
        QTRY_COMPARE(r.ends, 1);
        QCOMPARE(r.installs, 1);
        QCOMPARE(d->opened, 2);
    }
}

void TestStartClip::retriesThenEnds() {
    auto* d = new FakeDevice;
    d->willPlay = false;
    Run r(false, d);
    QElapsedTimer t;
    t.start();
    QTRY_COMPARE_WITH_TIMEOUT(r.ends, 1, 10000);
    // Ten retries half a second apart, each without waiting, then the end.
    QCOMPARE(r.clip->retries(), 10);
    QCOMPARE(d->plays, 11);
    QCOMPARE(d->noWaits, 10);
    QVERIFY2(t.elapsed() >= 4500, qPrintable(QString::number(t.elapsed())));
    QVERIFY(d->closed);
}

void TestStartClip::endOfClipAndRealMissingFile() {
    {
        Run r(false);
        QTRY_VERIFY(r.clip->endWatchTimer()->isActive());
        r.device->isPlaying = false; // the clip came to its end
        QTRY_COMPARE(r.ends, 1);
        QVERIFY(r.device->closed);
    }
    // The platform's device: a clip that does not exist ends before anything shows.
    QTemporaryDir tmp;
    TStartClip clip(tmp.filePath("nothing.avi"), false);
    int ends = 0, installs = 0;
    clip.onEnd = [&ends] { ++ends; };
    clip.installDriver = [&installs] { ++installs; };
    QTRY_COMPARE(ends, 1);
    QCOMPARE(installs, 0);
    QVERIFY(!clip.isVisible());
    // An empty file is not a clip either: no driver for it.
    QFile empty(tmp.filePath("empty.avi"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    TStartClip second(empty.fileName(), true);
    ends = 0;
    second.onEnd = [&ends] { ++ends; };
    second.installDriver = [&installs] { ++installs; };
    QTRY_COMPARE(ends, 1);
    QCOMPARE(installs, 0);
}

QTEST_MAIN(TestStartClip)
#include "tst_startclip.moc"
