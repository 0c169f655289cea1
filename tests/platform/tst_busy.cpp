#include "platform/Busy.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

class TestBusy : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        busy::setBusy(false);
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    }

    void waitCursorWhileBusy() {
        QVERIFY(!busy::isBusy());
        QVERIFY(!QGuiApplication::overrideCursor());
        busy::setBusy(true);
        QVERIFY(busy::isBusy());
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        busy::setBusy(false);
        QVERIFY(!busy::isBusy());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void repeatedCallsStayBalanced() {
        busy::setBusy(true);
        busy::setBusy(true);
        busy::setBusy(false);
        QVERIFY(!QGuiApplication::overrideCursor());
        busy::setBusy(false);
        QVERIFY(!QGuiApplication::overrideCursor());
        // Someone else's cursor is left alone.
        QGuiApplication::setOverrideCursor(QCursor(Qt::PointingHandCursor));
        busy::setBusy(true);
        busy::setBusy(false);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    }

    void pendingEventsRunBeforeTheCursorReturns() {
        busy::setBusy(true);
        bool ran = false;
        bool wasBusy = false;
        Qt::CursorShape shape = Qt::ArrowCursor;
        QTimer::singleShot(0, this, [&] {
            ran = true;
            wasBusy = busy::isBusy();
            if (QGuiApplication::overrideCursor())
                shape = QGuiApplication::overrideCursor()->shape();
        });
        busy::setBusy(false);
        QVERIFY(ran);
        // Still busy while the queued work ran: commands queued during the
        // busy spell are ignored, not run late.
        QVERIFY(wasBusy);
        QCOMPARE(shape, Qt::WaitCursor);
        QVERIFY(!busy::isBusy());
    }
};

int main(int argc, char** argv) {
    // Without any application object the flag still works.
    busy::setBusy(true);
    if (!busy::isBusy())
        return 1;
    busy::setBusy(false);
    if (busy::isBusy())
        return 1;

    QGuiApplication app(argc, argv);
    TestBusy test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_busy.moc"
