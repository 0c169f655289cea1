#include "media/TSuperTimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <stdexcept>
#include <thread>

namespace {

void blockUiThread(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

class TstSuperTimer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void defaults() {
        TSuperTimer t;
        QVERIFY(!t.enabled());
        QCOMPARE(t.interval(), quint16(1000));
        QCOMPARE(t.priority(), QThread::HighPriority);
        QVERIFY(!t.driftCorrection());
        QCOMPARE(t.count(), 0u);
        QCOMPARE(t.elapsed(), 0u);
        // A timer that was never enabled never ticks.
        int ticks = 0;
        t.onTimer = [&](TSuperTimer*) { ++ticks; };
        t.setInterval(1);
        QTest::qWait(30);
        QCOMPARE(ticks, 0);
    }

    void countElapsedAndDisableInsideHandler() {
        TSuperTimer t;
        QSignalSpy spy(&t, &TSuperTimer::tick);
        t.setInterval(3);
        std::vector<quint32> seen;
        t.onTimer = [&](TSuperTimer* sender) {
            QCOMPARE(sender, &t);
            seen.push_back(sender->count());
            // Elapsed is the schedule: one interval per delivered tick.
            QCOMPARE(sender->elapsed(), sender->count() * 3u);
            if (sender->count() == 5)
                sender->setEnabled(false);
        };
        t.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(!t.enabled(), 5000);
        QTest::qWait(60);
        // Stopped after the current tick: no tick came after disabling.
        QCOMPARE(seen, (std::vector<quint32>{1, 2, 3, 4, 5}));
        QCOMPARE(t.count(), 5u);
        QCOMPARE(t.elapsed(), 15u);
        QCOMPARE(spy.count(), 5);

        // Enabling again starts from 0.
        t.onTimer = [&](TSuperTimer* sender) {
            seen.push_back(sender->count());
            if (sender->count() == 2)
                sender->setEnabled(false);
        };
        t.setEnabled(true);
        QCOMPARE(t.count(), 0u);
        QCOMPARE(t.elapsed(), 0u);
        QTRY_VERIFY_WITH_TIMEOUT(!t.enabled(), 5000);
        QCOMPARE(seen, (std::vector<quint32>{1, 2, 3, 4, 5, 1, 2}));
    }

    void disabledTimerStopsEvenWithATickPending() {
        TSuperTimer t;
        int ticks = 0;
        t.onTimer = [&](TSuperTimer*) { ++ticks; };
        t.setInterval(1);
        t.setEnabled(true);
        blockUiThread(20); // the worker has posted a tick by now
        t.setEnabled(false);
        QTest::qWait(40);
        QCOMPARE(ticks, 0);
        QCOMPARE(t.count(), 0u);
        // Changing the interval of a disabled timer does not start it.
        t.setInterval(2);
        QTest::qWait(20);
        QCOMPARE(ticks, 0);
    }

    void handlersNeverOverlap() {
        TSuperTimer t;
        t.setInterval(1);
        t.setDriftCorrection(true);
        int depth = 0, maxDepth = 0, ticks = 0;
        t.onTimer = [&](TSuperTimer* sender) {
            maxDepth = std::max(maxDepth, ++depth);
            ++ticks;
            // A handler that runs the event loop itself (a dialog, a repaint)
            // must not get the next tick inside it.
            QElapsedTimer e;
            e.start();
            while (e.elapsed() < 4)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            --depth;
            if (ticks == 20)
                sender->setEnabled(false);
        };
        t.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(!t.enabled(), 10000);
        QCOMPARE(maxDepth, 1);
        QCOMPARE(ticks, 20);
    }

    void errorsInHandlerAreDropped() {
        TSuperTimer t;
        t.setInterval(1);
        int ticks = 0;
        t.onTimer = [&](TSuperTimer* sender) {
            if (++ticks == 3)
                sender->setEnabled(false);
            throw std::runtime_error("handler failed");
        };
        t.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(!t.enabled(), 5000);
        QCOMPARE(ticks, 3);
        QCOMPARE(t.count(), 3u);
    }

    void changingIntervalRestartsTheCount() {
        TSuperTimer t;
        t.setInterval(2);
        t.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(t.count() >= 3, 5000);
        t.setInterval(3);
        QCOMPARE(t.count(), 0u);
        QCOMPARE(t.elapsed(), 0u);
        QVERIFY(t.enabled());
        QTRY_VERIFY_WITH_TIMEOUT(t.count() >= 2, 5000);
        t.setEnabled(false);
        QVERIFY(t.elapsed() % 3 == 0);
    }

    void destroyWhileTickPending() {
        auto ticks = std::make_shared<int>(0);
        for (int i = 0; i < 30; ++i) {
            auto* t = new TSuperTimer;
            t->setInterval(1);
            t->onTimer = [ticks](TSuperTimer*) { ++*ticks; };
            t->setEnabled(true);
            blockUiThread(i % 5); // sometimes a tick is queued, sometimes not
            const int before = *ticks;
            delete t;
            QCoreApplication::processEvents();
            QCOMPARE(*ticks, before);
        }
    }

    void destroyFromInsideHandler() {
        auto* t = new TSuperTimer;
        t->setInterval(1);
        int ticks = 0;
        bool destroyed = false;
        connect(t, &QObject::destroyed, this, [&] { destroyed = true; });
        t->onTimer = [&](TSuperTimer* sender) {
            ++ticks;
            delete sender;
        };
        t->setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(destroyed, 5000);
        QTest::qWait(20);
        QCOMPARE(ticks, 1);
    }

    void destroyEnabledTimerAndDeleteLater() {
        for (int i = 0; i < 10; ++i) {
            auto* t = new TSuperTimer;
            t->setInterval(1);
            int ticks = 0;
            t->onTimer = [&ticks](TSuperTimer* sender) {
                if (++ticks == 2)
                    sender->deleteLater();
            };
            QPointer<TSuperTimer> alive(t);
            t->setEnabled(true);
            QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 5000);
            QVERIFY(ticks >= 2);
        }
    }

    void driftCorrectionArithmetic() {
        // On time: the sleep stays.
        QCOMPARE(TSuperTimer::correctedSleep(10, 0), qint64(10));
        // Late by 3: the next sleep is shorter; early: longer.
        QCOMPARE(TSuperTimer::correctedSleep(10, 3), qint64(7));
        QCOMPARE(TSuperTimer::correctedSleep(10, -4), qint64(14));
        // The correction accumulates from the previous sleep.
        qint64 sleep = 10;
        for (qint64 lateness : {2, 2, 2})
            sleep = TSuperTimer::correctedSleep(sleep, lateness);
        QCOMPARE(sleep, qint64(4));
        // A long stall means no sleep, never a negative (huge) one.
        QCOMPARE(TSuperTimer::correctedSleep(1, 500), qint64(0));
        QCOMPARE(TSuperTimer::correctedSleep(0, std::numeric_limits<qint32>::max()), qint64(0));
        QCOMPARE(TSuperTimer::correctedSleep(0, -10'000'000), qint64(0xFFFF));
    }

    void driftCorrectionAfterAStallKeepsTicking() {
        // The first handler stalls the UI thread far past the schedule; with
        // drift correction the next sleeps are 0, so the ticks catch up
        // instead of stopping.
        TSuperTimer t;
        t.setInterval(5);
        t.setDriftCorrection(true);
        QVERIFY(t.driftCorrection());
        int ticks = 0;
        t.onTimer = [&](TSuperTimer* sender) {
            if (++ticks == 1)
                blockUiThread(300);
            if (ticks == 30)
                sender->setEnabled(false);
        };
        t.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(!t.enabled(), 10000);
        QCOMPARE(t.count(), 30u);
        QCOMPARE(t.elapsed(), 150u);
    }

    void priorityIsStored() {
        TSuperTimer t;
        t.setPriority(QThread::HighestPriority);
        QCOMPARE(t.priority(), QThread::HighestPriority);
        t.setInterval(1);
        t.onTimer = [](TSuperTimer* s) { s->setEnabled(false); };
        t.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(!t.enabled(), 5000);
        QCOMPARE(t.count(), 1u);
    }
};

QTEST_GUILESS_MAIN(TstSuperTimer)
#include "tst_supertimer.moc"
