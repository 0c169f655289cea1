#include "skin/Blend.h"
#include "skin/TEffBtnCar.h"
#include "skin/TEffCar.h"

#include <QTest>
#include <QThread>
#include <QWidget>

namespace {

QImage solid(QSize size, QRgb colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

} // namespace

class TestFades : public QObject {
    Q_OBJECT
private slots:
    void blendRule_data();
    void blendRule();
    void blendWholePicture();
    void blendKeepsFromWhereToIsSmaller();
    void buttonFadeWeightsPerTick();
    void buttonFadeStepNotDividing256EndsAt255();
    void buttonFadeReversalContinuesFromScreen();
    void buttonFadeCancel();
    void buttonFadeNotDrawnWhileBlocked();
    void windowFade51StepsThenStop();
    void timerDrivenFadeRunsToItsEnd();
};

void TestFades::blendRule_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("weight");
    QTest::addColumn<int>("expected");
    QTest::newRow("up half") << 0 << 255 << 128 << 127;
    QTest::newRow("down floors") << 255 << 0 << 128 << 127; // 255 + (-255*128 >> 8) = 255 - 128
    QTest::newRow("down by one") << 10 << 9 << 1 << 9;      // -1 >> 8 is -1, not 0
    QTest::newRow("weight 0") << 200 << 10 << 0 << 200;
    QTest::newRow("weight 255 up") << 0 << 255 << 255 << 254;
    QTest::newRow("weight 255 down") << 255 << 0 << 255 << 0;
    QTest::newRow("equal") << 77 << 77 << 200 << 77;
}

void TestFades::blendRule() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, weight);
    QFETCH(int, expected);
    QCOMPARE(effect::blendChannel(from, to, weight), expected);
    QImage out;
    effect::blend(solid({2, 2}, qRgb(from, from, from)), solid({2, 2}, qRgb(to, to, to)), weight,
                  out);
    QCOMPARE(qRed(out.pixel(1, 1)), expected);
    QCOMPARE(qBlue(out.pixel(0, 0)), expected);
}

void TestFades::blendWholePicture() {
    QImage from(3, 1, QImage::Format_RGB32);
    from.setPixel(0, 0, qRgb(10, 20, 30));
    from.setPixel(1, 0, qRgb(200, 100, 0));
    from.setPixel(2, 0, qRgb(255, 255, 255));
    const QImage to = solid({3, 1}, qRgb(100, 0, 250));
    QImage out;
    effect::blend(from, to, 64, out);
    QCOMPARE(out.pixel(0, 0),
             qRgb(10 + (90 * 64 >> 8), 20 + (-20 * 64 >> 8), 30 + (220 * 64 >> 8)));
    QCOMPARE(out.pixel(1, 0),
             qRgb(200 + (-100 * 64 >> 8), 100 + (-100 * 64 >> 8), 0 + (250 * 64 >> 8)));
    QCOMPARE(out.pixel(2, 0),
             qRgb(255 + (-155 * 64 >> 8), 255 + (-255 * 64 >> 8), 255 + (-5 * 64 >> 8)));
}

void TestFades::blendKeepsFromWhereToIsSmaller() {
    QImage out;
    effect::blend(solid({4, 4}, qRgb(0, 0, 0)), solid({2, 2}, qRgb(255, 255, 255)), 255, out);
    QCOMPARE(out.size(), QSize(4, 4));
    QCOMPARE(out.pixel(1, 1), qRgb(254, 254, 254));
    QCOMPARE(out.pixel(3, 3), qRgb(0, 0, 0));
}

void TestFades::buttonFadeWeightsPerTick() {
    TEffBtnCar fade(nullptr, 0, TEffBtnCar::Clock::Manual);
    fade.setStep(4);
    QList<int> weights;
    QList<QRgb> pixels;
    fade.drawFrame = [&](const TEffBtnCar& e) {
        weights.append(e.lastWeight());
        pixels.append(e.frame().pixel(0, 0));
        QCOMPARE(e.position(), QPoint(7, 9));
    };
    fade.StartFade(solid({3, 3}, qRgb(0, 0, 0)), solid({3, 3}, qRgb(255, 255, 255)), {7, 9});
    QVERIFY(fade.running());
    while (fade.running())
        fade.Tick();
    // 64 ticks: weights 4, 8, ... 252, then the stop frame at 255.
    QCOMPARE(weights.size(), 64);
    QCOMPARE(weights.first(), 4);
    QCOMPARE(weights[62], 252);
    QCOMPARE(weights.last(), 255);
    QCOMPARE(pixels[0], qRgb(3, 3, 3)); // 255 * 4 >> 8
    QCOMPARE(pixels.last(), qRgb(254, 254, 254));
    QVERIFY(fade.frame().isNull()); // work pictures released
    fade.Tick();                    // idle ticks do nothing
    QCOMPARE(weights.size(), 64);

    // Step 1 takes 256 ticks.
    TEffBtnCar slow(nullptr, 0, TEffBtnCar::Clock::Manual);
    int frames = 0;
    slow.drawFrame = [&](const TEffBtnCar&) { ++frames; };
    slow.StartFade(solid({1, 1}, 0), solid({1, 1}, 0xffffff), {});
    while (slow.running())
        slow.Tick();
    QCOMPARE(frames, 256);
}

void TestFades::buttonFadeStepNotDividing256EndsAt255() {
    TEffBtnCar fade(nullptr, 0, TEffBtnCar::Clock::Manual);
    fade.setStep(3);
    QList<int> weights;
    fade.drawFrame = [&](const TEffBtnCar& e) { weights.append(e.lastWeight()); };
    fade.StartFade(solid({1, 1}, 0), solid({1, 1}, 0xffffff), {});
    while (fade.running())
        fade.Tick();
    QCOMPARE(weights[weights.size() - 2], 255); // 85 * 3
    QCOMPARE(weights.last(), 255);              // tick 86: 258, the stop frame
    QCOMPARE(weights.size(), 86);
}

void TestFades::buttonFadeReversalContinuesFromScreen() {
    TEffBtnCar fade(nullptr, 0, TEffBtnCar::Clock::Manual);
    fade.setStep(4);
    QList<int> weights;
    QList<QRgb> pixels;
    fade.drawFrame = [&](const TEffBtnCar& e) {
        weights.append(e.lastWeight());
        pixels.append(e.frame().pixel(0, 0));
    };
    const QImage normal = solid({2, 2}, qRgb(0, 0, 0));
    const QImage hover = solid({2, 2}, qRgb(255, 255, 255));
    fade.StartFade(normal, hover, {});
    for (int i = 0; i < 10; ++i)
        fade.Tick();
    QCOMPARE(weights.last(), 40);
    const QRgb onScreen = pixels.last();
    // The pointer leaves half-way: back from hover to normal.
    fade.StartFade(hover, normal, {});
    QCOMPARE(fade.startWeight(), 215);
    fade.Tick();
    QCOMPARE(weights.last(), 219);
    // The first frame of the return is next to the one on screen.
    QVERIFY(qAbs(qRed(pixels.last()) - qRed(onScreen)) <= 5);
    int ticks = 1;
    while (fade.running()) {
        fade.Tick();
        ++ticks;
    }
    QCOMPARE(ticks, 11); // 215 + 4 * 10 = 255, then the stop at 259
    QCOMPARE(fade.startWeight(), 0);
    QCOMPARE(pixels.last(), qRgb(0, 0, 0));
}

void TestFades::buttonFadeCancel() {
    TEffBtnCar fade(nullptr, 0, TEffBtnCar::Clock::Manual);
    fade.setStep(4);
    int frames = 0;
    fade.drawFrame = [&](const TEffBtnCar&) { ++frames; };
    fade.StartFade(solid({1, 1}, 0), solid({1, 1}, 0xffffff), {});
    fade.Tick();
    fade.Cancel();
    QVERIFY(!fade.running());
    QCOMPARE(fade.startWeight(), 0);
    QVERIFY(fade.frame().isNull());
    fade.Tick();
    QCOMPARE(frames, 1);
    // A new fade after a cancel starts from its own beginning.
    fade.StartFade(solid({1, 1}, 0), solid({1, 1}, 0xffffff), {});
    QCOMPARE(fade.startWeight(), 0);
    fade.Tick();
    QCOMPARE(fade.lastWeight(), 4);
}

void TestFades::buttonFadeNotDrawnWhileBlocked() {
    TEffBtnCar fade(nullptr, 0, TEffBtnCar::Clock::Manual);
    fade.setStep(4);
    bool blocked = true;
    int frames = 0;
    fade.canDraw = [&] { return !blocked; };
    fade.drawFrame = [&](const TEffBtnCar&) { ++frames; };
    fade.StartFade(solid({1, 1}, 0), solid({1, 1}, 0xffffff), {});
    fade.Tick();
    fade.Tick();
    QCOMPARE(frames, 0);
    QCOMPARE(fade.lastWeight(), 8); // computed all the same
    blocked = false;
    fade.Tick();
    QCOMPARE(frames, 1);
}

void TestFades::windowFade51StepsThenStop() {
    QWidget owner;
    owner.resize(4, 3);
    TEffCar fade(&owner, TEffCar::Clock::Manual);
    QList<int> weights;
    QList<bool> states;
    fade.drawFrame = [&] { weights.append(fade.lastWeight()); };
    fade.onFadeState = [&](bool on) { states.append(on); };
    fade.StartWindowFade(solid({4, 3}, qRgb(0, 0, 0)), solid({4, 3}, qRgb(200, 100, 50)));
    QVERIFY(fade.running());
    QCOMPARE(states, QList<bool>{true});
    QCOMPARE(fade.frame().pixel(0, 0), qRgb(0, 0, 0)); // starts as the screen under it
    int n = 0;
    while (fade.running()) {
        fade.Tick();
        ++n;
        if (n == 51)
            QCOMPARE(fade.frame().pixel(3, 2), qRgb(199, 99, 49));
    }
    QCOMPARE(n, 52);
    QCOMPARE(weights.size(), 52);
    QCOMPARE(weights[0], 5);
    QCOMPARE(weights[50], 255);
    QCOMPARE(weights[51], 255);
    QCOMPARE(states, (QList<bool>{true, false}));
    QVERIFY(fade.frame().isNull());
}

void TestFades::timerDrivenFadeRunsToItsEnd() {
    // The real tick source: every tick arrives on this thread, one at a time,
    // and the fade ends with its 255 frame.
    TEffBtnCar fade(nullptr, 0);
    fade.setStep(4);
    QList<int> weights;
    const Qt::HANDLE self = QThread::currentThreadId();
    bool sameThread = true;
    fade.drawFrame = [&](const TEffBtnCar& e) {
        weights.append(e.lastWeight());
        sameThread = sameThread && QThread::currentThreadId() == self;
    };
    fade.StartFade(solid({8, 8}, 0), solid({8, 8}, 0xffffff), {});
    QTRY_VERIFY_WITH_TIMEOUT(!fade.running(), 10000);
    QVERIFY(sameThread);
    QCOMPARE(weights.size(), 64);
    QCOMPARE(weights.last(), 255);
    for (qsizetype i = 1; i < weights.size(); ++i)
        QVERIFY(weights[i] > weights[i - 1] || weights[i] == 255);
}

QTEST_MAIN(TestFades)
#include "tst_fades.moc"
