// The cover video: frames drawn into its rectangle of the window, freezing
// and playing on by clicks, the skin picture kept in step so that a repaint
// shows the right picture, and a device that never reports a pause.
#include "skin/TMyAviPlayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTest>
#include <QWidget>

namespace {

// A device under the test's control.
class FakeDevice : public TVideoDevice {
public:
    int open(const QString& f) override {
        file = f;
        return openAnswer;
    }
    QSize size() const override { return QSize(100, 50); }
    bool play() override {
        ++plays;
        state = Playing;
        return true;
    }
    void pause() override {
        if (!stuck)
            state = Paused;
    }
    void stop() override { state = Stopped; }
    void close() override {
        closed = true;
        state = Stopped;
    }
    bool playing() const override { return state == Playing; }
    bool stoppedOrPaused() const override { return state != Playing; }
    // The device sends a picture of one colour.
    void send(QColor c) {
        QImage f(100, 50, QImage::Format_RGB32);
        f.fill(c);
        if (frame)
            frame(f);
    }
    void finish() {
        state = Stopped;
        if (ended)
            ended();
    }
    enum { Stopped, Playing, Paused } state = Stopped;
    QString file;
    int plays = 0;
    bool stuck = false; // never reports the pause
    bool closed = false;
    int openAnswer = NoError;
};

// The host window paints its skin, then the video's frame.
class Host : public QWidget {
public:
    QImage skin;
    TMyAviPlayer* video = nullptr;
    Host() {
        skin = QImage(300, 200, QImage::Format_RGB32);
        skin.fill(Qt::gray);
        setFixedSize(300, 200);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, skin);
        if (video)
            video->paintVideo(p);
    }
};

const QRect kRect(QPoint(20, 30), QPoint(219, 129)); // (20,30)-(220,130)

QColor shownAt(Host& host, QPoint p) {
    return host.grab().toImage().pixelColor(p);
}

} // namespace

class TestAviPlayer : public QObject {
    Q_OBJECT
private slots:
    void framesFreezeAndResume();
    void skinPicturesAndSwitchingOff();
    void boundedWaitAndRealClip();
};

void TestAviPlayer::framesFreezeAndResume() {
    Host host;
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    auto owned = std::make_unique<FakeDevice>();
    FakeDevice* dev = owned.get();
    TMyAviPlayer video(std::move(owned));
    host.video = &video;
    video.skinBitmap = [&host] { return &host.skin; };
    video.packHas = [](const QString&) { return false; }; // no "3d_bg.bmp"
    video.Setup(&host, &host, 20, 30, 220, 130, "car.avi");
    QCOMPARE(video.rect(), kRect);
    QVERIFY(video.HitTest(QPoint(20, 30)));
    QVERIFY(!video.HitTest(QPoint(220, 130))); // right and bottom edges lie outside
    QVERIFY(!video.Click(QPoint(50, 50)));     // not active yet
    video.SetActive(true);
    QVERIFY(video.active());
    QCOMPARE(dev->plays, 1);

    // Frames arrive in the rectangle, scaled to it; the skin around stays.
    dev->send(Qt::red);
    QCOMPARE(shownAt(host, QPoint(21, 31)), QColor(Qt::red));
    QCOMPARE(shownAt(host, QPoint(218, 128)), QColor(Qt::red));
    QCOMPARE(shownAt(host, QPoint(19, 31)), QColor(Qt::gray));
    QCOMPARE(shownAt(host, QPoint(220, 128)), QColor(Qt::gray));
    QCOMPARE(host.skin.pixelColor(50, 50), QColor(Qt::gray)); // no 3d_bg: skin unchanged

    // A click freezes on the frame shown; later frames change nothing, and a
    // repaint from the skin alone shows the frozen frame.
    dev->send(Qt::green);
    QVERIFY(video.Click(QPoint(50, 50)));
    QVERIFY(video.IsStoppedOrPaused());
    QVERIFY(video.userPaused());
    dev->send(Qt::blue);
    QCOMPARE(shownAt(host, QPoint(100, 80)), QColor(Qt::green));
    QCOMPARE(host.skin.pixelColor(100, 80), QColor(Qt::green));
    QImage repainted = host.skin.copy();
    {
        QPainter p(&repainted);
        video.Paint(p);
    }
    QCOMPARE(repainted.pixelColor(100, 80), QColor(Qt::green));

    // The resume timer leaves a video the user froze alone.
    video.ResumeUnlessUserPaused();
    QVERIFY(video.IsStoppedOrPaused());
    // A second click plays on.
    QVERIFY(video.Click(QPoint(50, 50)));
    QVERIFY(!video.IsStoppedOrPaused());
    QVERIFY(!video.userPaused());
    dev->send(Qt::yellow);
    QCOMPARE(shownAt(host, QPoint(100, 80)), QColor(Qt::yellow));

    // Frozen by a screen change, it plays on when the timer fires.
    video.Freeze();
    QVERIFY(video.IsStoppedOrPaused());
    QVERIFY(!video.userPaused());
    video.ResumeUnlessUserPaused();
    QVERIFY(!video.IsStoppedOrPaused());

    // The end of the clip starts it again while it plays, not when frozen.
    const int plays = dev->plays;
    dev->finish();
    QCOMPARE(dev->plays, plays + 1);
    video.Freeze();
    dev->finish();
    QCOMPARE(dev->plays, plays + 1);

    video.Release();
    QVERIFY(!video.active());
}

void TestAviPlayer::skinPicturesAndSwitchingOff() {
    Host host;
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    // The skin under the rectangle: a picture of its own (the car at rest).
    {
        QPainter p(&host.skin);
        p.fillRect(kRect, Qt::darkRed);
    }
    auto owned = std::make_unique<FakeDevice>();
    FakeDevice* dev = owned.get();
    TMyAviPlayer video(std::move(owned));
    host.video = &video;
    QImage backdrop(200, 100, QImage::Format_RGB32);
    backdrop.fill(Qt::cyan);
    video.skinBitmap = [&host] { return &host.skin; };
    video.packHas = [](const QString& name) { return name == "3d_bg.bmp"; };
    video.loadPicture = [&backdrop](const QString&) { return backdrop; };
    video.Setup(&host, &host, 20, 30, 220, 130, "car.avi");
    video.SetActive(true);
    // While it plays, the pack's picture is in the skin (a repaint between
    // frames shows it, not the car at rest).
    QCOMPARE(host.skin.pixelColor(100, 80), QColor(Qt::cyan));
    dev->send(Qt::red);
    QCOMPARE(shownAt(host, QPoint(100, 80)), QColor(Qt::red));
    // Off: the skin's own picture returns and is shown.
    video.SetActive(false);
    QVERIFY(!video.active());
    QCOMPARE(host.skin.pixelColor(100, 80), QColor(Qt::darkRed));
    QCOMPARE(shownAt(host, QPoint(100, 80)), QColor(Qt::darkRed));
    QVERIFY(!video.Click(QPoint(50, 50)));
    // On again (3d twice re-activates the same device).
    video.SetActive(true);
    QCOMPARE(dev->plays, 2);
    QCOMPARE(host.skin.pixelColor(100, 80), QColor(Qt::cyan));

    // A damaged "3d_bg.bmp": the skin's own picture stands in for it.
    TMyAviPlayer second(std::make_unique<FakeDevice>());
    second.skinBitmap = [&host] { return &host.skin; };
    second.packHas = [](const QString&) { return true; };
    second.loadPicture = [](const QString&) { return QImage(); };
    video.SetActive(false);
    second.Setup(&host, &host, 20, 30, 220, 130, "car.avi");
    QCOMPARE(second.playingPicture().pixelColor(10, 10), QColor(Qt::darkRed));

    // A clip that cannot be opened: on, but clicks stay with the skin.
    {
        auto missing = std::make_unique<FakeDevice>();
        missing->openAnswer = TVideoDevice::NotFound;
        TMyAviPlayer third(std::move(missing));
        third.skinBitmap = [&host] { return &host.skin; };
        third.Setup(&host, &host, 20, 30, 220, 130, "missing.avi");
        third.SetActive(true);
        QVERIFY(!third.Click(QPoint(50, 50)));
    }

    // A hidden window cannot show the video: it stays off.
    host.hide();
    video.SetActive(true);
    QVERIFY(!video.active());
}

void TestAviPlayer::boundedWaitAndRealClip() {
    Host host;
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    {
        auto owned = std::make_unique<FakeDevice>();
        owned->stuck = true;
        TMyAviPlayer video(std::move(owned));
        video.skinBitmap = [&host] { return &host.skin; };
        video.Setup(&host, &host, 20, 30, 220, 130, "car.avi");
        video.SetActive(true);
        QElapsedTimer t;
        t.start();
        video.Freeze(); // the device never says it paused
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        t.restart();
        video.SetActive(false);
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
    }
    // The real device with the demo book's clip: frames arrive in the rectangle.
    const QString clip = QStringLiteral(VANTREL_BINARY_DIR) + "/demo-book/run/car.avi";
    if (!QFile::exists(clip))
        QSKIP("the demo book is not built");
    host.skin.fill(Qt::magenta);
    TMyAviPlayer video;
    host.video = &video;
    video.skinBitmap = [&host] { return &host.skin; };
    video.Setup(&host, &host, 20, 30, 220, 130, clip);
    video.SetActive(true);
    QTRY_VERIFY_WITH_TIMEOUT(video.framesShown() >= 3, 10000);
    QCOMPARE(video.lastFrame().size(), QSize(656, 260));
    QVERIFY(shownAt(host, QPoint(100, 80)) != QColor(Qt::magenta));
    QCOMPARE(shownAt(host, QPoint(10, 10)), QColor(Qt::magenta));
    QVERIFY(video.Click(QPoint(100, 80)));
    QTRY_VERIFY_WITH_TIMEOUT(video.IsStoppedOrPaused(), 2000);
    const QImage frozen = host.grab().toImage().copy(kRect);
    QTest::qWait(400);
    QCOMPARE(host.grab().toImage().copy(kRect), frozen);
    QCOMPARE(host.skin.copy(kRect), frozen);
    video.Release();
}

QTEST_MAIN(TestAviPlayer)
#include "tst_aviplayer.moc"
