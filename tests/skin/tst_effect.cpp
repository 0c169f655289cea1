#include "skin/TEffect.h"

#include <QTest>
#include <QWidget>

// The curtain of the about box: its strips, its pace per tick, its last
// picture, and the one-at-a-time rule. Ticks are given by hand.
class TestEffect : public QObject {
    Q_OBJECT

private:
    // Every pixel its own colour, so a misplaced column shows.
    static QImage pattern(int w, int h) {
        QImage i(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                i.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + (y / 256) + 1));
        return i;
    }
    static QImage blank(int w, int h) {
        QImage i(w, h, QImage::Format_RGB32);
        i.fill(Qt::black);
        return i;
    }
    // Runs an effect to its end; returns the number of ticks it took.
    static int runToEnd(TEffect& e) {
        int ticks = 0;
        while (e.running() && ticks < 100000) {
            e.Tick();
            ++ticks;
        }
        return ticks;
    }

private slots:
    void strips_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<QList<int>>("tops");
        QTest::addColumn<int>("lastHeight");
        QTest::newRow("200") << 200 << QList<int>{0, 20, 40, 60, 80, 100, 120, 140, 160, 180} << 20;
        QTest::newRow("210") << 210 << QList<int>{0, 21, 42, 63, 84, 105, 126, 147, 168, 189} << 21;
        QTest::newRow("39") << 39 << QList<int>{0} << 39;
        QTest::newRow("59") << 59 << QList<int>{0, 30} << 29;
        QTest::newRow("19") << 19 << QList<int>{} << 0;
    }
    void strips() {
        QFETCH(int, height);
        QFETCH(QList<int>, tops);
        QFETCH(int, lastHeight);
        const QList<TEffect::Strip> strips = TEffect::stripsFor(100, height);
        QCOMPARE(strips.size(), tops.size());
        int covered = 0;
        for (int i = 0; i < strips.size(); ++i) {
            QCOMPARE(strips[i].top, tops[i]);
            QCOMPARE(strips[i].left, 50);
            QCOMPARE(strips[i].right, 50);
            covered += strips[i].height;
        }
        if (!strips.isEmpty()) {
            QCOMPARE(strips.last().height, lastHeight);
            QCOMPARE(covered, height); // the strips cover the box exactly
        }
    }

    // Each started strip opens by one column a side per tick; the next one
    // starts once the newest passes the threshold (half width + 20 % of
    // it). The unrevealed rest shows the backdrop; the last picture is the
    // plain picture, pixel for pixel, after the predicted number of ticks.
    void revealsStripByStrip() {
        QWidget box;
        box.resize(200, 210);
        const QImage picture = pattern(200, 210);
        TEffect effect(nullptr, TEffect::Clock::Manual);
        QRegion drawnSoFar;
        effect.drawn = [&drawnSoFar](const QRegion& r) { drawnSoFar += r; };
        QVERIFY(effect.Start(&box, picture, blank(200, 210)));
        QCOMPARE(effect.threshold(), 120);
        QVERIFY(TEffect::anyRunning());

        // Tick 1: columns 100 of strip 0 only (left and right edge both 100).
        effect.Tick();
        QCOMPARE(effect.revealed().pixel(100, 0), picture.pixel(100, 0));
        QCOMPARE(effect.revealed().pixel(100, 20), picture.pixel(100, 20));
        QCOMPARE(effect.revealed().pixel(100, 21), qRgb(0, 0, 0));
        QCOMPARE(effect.revealed().pixel(99, 0), qRgb(0, 0, 0));
        // After 21 ticks strip 0 holds columns 80..120 and has passed the
        // threshold: strip 1 starts.
        for (int i = 1; i < 21; ++i)
            effect.Tick();
        QCOMPARE(effect.currentStrip(), 1);
        QCOMPARE(effect.strips()[0].left, 79);
        QCOMPARE(effect.strips()[0].right, 121);
        QCOMPARE(effect.revealed().pixel(80, 5), picture.pixel(80, 5));
        QCOMPARE(effect.revealed().pixel(79, 5), qRgb(0, 0, 0));
        QCOMPARE(effect.revealed().pixel(120, 5), picture.pixel(120, 5));
        QCOMPARE(effect.revealed().pixel(121, 5), qRgb(0, 0, 0));
        QCOMPARE(effect.revealed().pixel(100, 21), qRgb(0, 0, 0));
        effect.Tick();
        QCOMPARE(effect.revealed().pixel(100, 21), picture.pixel(100, 21));
        QCOMPARE(effect.revealed().pixel(100, 41), picture.pixel(100, 41));
        QCOMPARE(effect.revealed().pixel(100, 42), qRgb(0, 0, 0));

        const int rest = runToEnd(effect);
        QCOMPARE(22 + rest, TEffect::tickCount(200, 210));
        QVERIFY(!effect.running());
        QVERIFY(!TEffect::anyRunning());
        QCOMPARE(effect.revealed(), picture);
        QCOMPARE(drawnSoFar, QRegion(0, 0, 200, 210));
    }

    // Odd widths and heights, a picture smaller than the box: the result is
    // still exactly the picture where it covers the box.
    void exactForOtherSizes_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("480x330") << 480 << 330;
        QTest::newRow("1x20") << 1 << 20;
        QTest::newRow("333x219") << 333 << 219;
        QTest::newRow("57x799") << 57 << 799;
    }
    void exactForOtherSizes() {
        QFETCH(int, width);
        QFETCH(int, height);
        QWidget box;
        box.resize(width, height);
        const QImage picture = pattern(width, height);
        TEffect effect(nullptr, TEffect::Clock::Manual);
        QVERIFY(effect.Start(&box, picture));
        QCOMPARE(runToEnd(effect), TEffect::tickCount(width, height));
        QCOMPARE(effect.revealed(), picture);

        // A smaller picture: the rest of the box keeps the backdrop.
        QVERIFY(effect.Start(&box, pattern(width / 2 + 1, height / 2 + 1)));
        runToEnd(effect);
        QCOMPARE(effect.revealed().copy(0, 0, width / 2 + 1, height / 2 + 1),
                 pattern(width / 2 + 1, height / 2 + 1));
        QCOMPARE(effect.revealed().pixel(width - 1, height - 1), qRgb(0, 0, 0));
    }

    // One effect at a time in the whole program, boxes under 20 pixels
    // never start, and stopping (the box closes) frees the flag at once.
    void oneAtATime() {
        QWidget box, other, low;
        box.resize(100, 100);
        other.resize(100, 100);
        low.resize(300, 19);
        TEffect first(nullptr, TEffect::Clock::Manual);
        TEffect second(nullptr, TEffect::Clock::Manual);
        QVERIFY(!first.Start(&low, pattern(300, 19)));
        QVERIFY(!TEffect::anyRunning());
        QVERIFY(first.Start(&box, pattern(100, 100)));
        QVERIFY(!second.Start(&other, pattern(100, 100)));
        QVERIFY(!first.Start(&box, pattern(100, 100)));
        first.Tick();
        QCOMPARE(first.ticks(), 1); // the second Start did not restart it
        second.Tick();
        QVERIFY(!second.running());
        first.Stop();
        QVERIFY(!TEffect::anyRunning());
        QVERIFY(first.revealed().isNull());
        first.Tick(); // no effect: nothing happens
        QVERIFY(second.Start(&other, pattern(100, 100)));
        {
            // An effect destroyed while it runs frees the flag too.
            TEffect third(nullptr, TEffect::Clock::Manual);
            second.Stop();
            QVERIFY(third.Start(&box, pattern(100, 100)));
        }
        QVERIFY(!TEffect::anyRunning());
    }

    // With the real timer the effect ends by itself, with the picture.
    void runsOnItsTimer() {
        QWidget box;
        box.resize(120, 60);
        TEffect effect(&box);
        QVERIFY(effect.Start(&box, pattern(120, 60)));
        QTRY_VERIFY_WITH_TIMEOUT(!effect.running(), 5000);
        QCOMPARE(effect.revealed(), pattern(120, 60));
    }
};

QTEST_MAIN(TestEffect)
#include "tst_effect.moc"
