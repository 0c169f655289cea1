// End to end on the demo book under Xvfb: the book opens with its start
// clip in a framed window in the middle of the screen, then the main window;
// "3D" plays the cover video, a click freezes it on one frame and a second
// click plays on; "2D" brings the cover's picture back, "3D" the video again;
// held down on the video, it freezes and the window moves with the pointer.
#include "E2eSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace e2e;

namespace {

// Demo book coordinates (demo/README.md).
const QPoint k2d(635, 113), k3d(683, 113), kVideo(300, 250), kClose(711, 24);
const QRect kVideoRect(31, 135, 656, 259);
// The clip: 400 x 240 in a window with a 10-pixel bevel, on a 1280 x 1024 screen.
const QSize kClip(400, 240);

void clickAt(QPoint global) {
    mouseTo(global);
    QTest::qWait(150);
    runTool("xdotool", {"click", "1"});
}

QImage videoArea(QPoint window) {
    return screenshot().copy(kVideoRect.translated(window));
}

// Share of sampled pixels that differ between two pictures of one size.
double changed(const QImage& a, const QImage& b) {
    int total = 0, diff = 0;
    for (int y = 0; y < a.height(); y += 4)
        for (int x = 0; x < a.width(); x += 4, ++total)
            diff += !near(a.pixel(x, y), b.pixel(x, y));
    return total ? double(diff) / total : 0;
}

} // namespace

class TestEndToEndVisual : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void clipThenCoverVideo();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEndVisual::initTestCase() {
    QVERIFY(m_tmp.isValid());
    QString why;
    m_book = demoBook(&why);
    if (m_book.isEmpty())
        QSKIP(qPrintable(why));
}

void TestEndToEndVisual::clipThenCoverVideo() {
    Program p;
    p.start(m_book, m_tmp.filePath("config"));
    qsizetype at = 0;
    QVERIFY2(p.waitLine("vantrel: clip ", at), p.process.readAllStandardError().constData());
    // The framed clip window in the middle of the screen, before the book.
    const QImage screen = screenshot();
    const QPoint clipAt(screen.width() / 2 - kClip.width() / 2 - 20,
                        screen.height() / 2 - kClip.height() / 2 - 20);
    QImage shot;
    const double bevel = pollShare(
        shot,
        [&](const QImage& s) {
            return near(s.pixel(clipAt + QPoint(2, 2)), qRgb(224, 224, 224)) &&
                           near(s.pixel(clipAt + QPoint(kClip.width() + 17, kClip.height() + 17)),
                                qRgb(96, 96, 96))
                       ? 1.0
                       : 0.0;
        },
        0.5, 5000);
    saveShot(shot, QRect(clipAt, kClip + QSize(20, 20)), "visual-clip.png");
    QCOMPARE(bevel, 1.0);
    QVERIFY2(p.waitLine("vantrel: clip ended", at, 15000), p.out.constData());
    QVERIFY(p.waitFirstFrame());
    const auto found = windowRect("Vantrel");
    QVERIFY(found);
    const QPoint window = found->topLeft();
    QTest::qWait(500);
    Book book;
    QVERIFY(book.load(m_book));
    const QImage cover = book.screen(0)->skin().copy(kVideoRect);

    // 3D: the video plays (its pictures change) where the car stood.
    clickAt(window + k3d);
    QVERIFY(p.waitLine("vantrel: video on", at));
    QTest::qWait(1000);
    const QImage first = videoArea(window);
    QTest::qWait(700);
    const QImage second = videoArea(window);
    saveShot(screenshot(), *found, "visual-playing.png");
    QVERIFY2(changed(first, second) > 0.05, qPrintable(QString::number(changed(first, second))));
    QVERIFY(changed(second, cover) > 0.2);

    // A click freezes it: the picture stays.
    clickAt(window + kVideo);
    QVERIFY(p.waitLine("vantrel: video frozen", at));
    QTest::qWait(300);
    const QImage frozen = videoArea(window);
    QTest::qWait(700);
    QCOMPARE(changed(frozen, videoArea(window)), 0.0);
    saveShot(screenshot(), *found, "visual-frozen.png");
    // A second click plays on.
    clickAt(window + kVideo);
    QVERIFY(p.waitLine("vantrel: video playing", at));
    QTest::qWait(700);
    QVERIFY(changed(frozen, videoArea(window)) > 0.05);

    // 2D: the cover's own picture; 3D: the video again.
    clickAt(window + k2d);
    QImage now;
    const double rest = pollShare(
        now,
        [&](const QImage& s) {
            return 1.0 - changed(s.copy(kVideoRect.translated(window)), cover);
        },
        0.95, 5000);
    QVERIFY2(rest > 0.95, qPrintable(QString::number(rest)));
    clickAt(window + k3d);
    QVERIFY(p.waitLine("vantrel: video on", at));
    QTest::qWait(1000);
    const QImage again = videoArea(window);
    QTest::qWait(700);
    QVERIFY(changed(again, videoArea(window)) > 0.05);

    // Held down on the playing video: it freezes and the window follows the
    // pointer.
    mouseTo(window + kVideo);
    QTest::qWait(150);
    runTool("xdotool", {"mousedown", "1"});
    QVERIFY(p.waitLine("vantrel: video frozen", at));
    QTest::qWait(300);
    for (int step = 1; step <= 4; ++step) {
        mouseTo(window + kVideo + QPoint(10 * step, 6 * step));
        QTest::qWait(60);
    }
    runTool("xdotool", {"mouseup", "1"});
    QTest::qWait(300);
    const auto moved = windowRect("Vantrel");
    QVERIFY(moved);
    QCOMPARE(moved->topLeft(), window + QPoint(40, 24));

    clickAt(moved->topLeft() + kClose);
    QVERIFY(p.process.waitForFinished(15000));
}

QTEST_MAIN(TestEndToEndVisual)
#include "tst_e2e_visual.moc"
