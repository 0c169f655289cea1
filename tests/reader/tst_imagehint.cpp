#include "engine/TFileSource.h"
#include "engine/THTMLViewer.h"
#include "reader/TImageHint.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

// Title hints of pictures, tick by tick, on a real page.
class TstImageHint : public QObject {
    Q_OBJECT

private slots:
    void hintsFollowTheTicks() {
        QTemporaryDir dir;
        QFile page(dir.filePath("p.htm"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<img src=a.png width=100 height=80 title='Engine block'>"
                   "<img src=b.png width=100 height=80>"
                   "<div style='height:200px'>text</div>");
        page.close();
        TDiskSource source;
        THTMLViewer v;
        v.setFileSource(&source);
        v.resize(400, 300);
        QVERIFY(v.loadFile(dir.filePath("p.htm")));
        v.ensureLayout();

        TImageHint hint;
        hint.objectAt = [&](const QPoint& global) { return v.objectAt(global); };
        QPoint cursor(20, 20); // "global" here: the viewer's own coordinates
        hint.cursorPos = [&] { return cursor; };
        QVERIFY(v.objectAt(cursor).isImage);

        hint.mouseMoved(cursor);
        QVERIFY(hint.timerActive());
        hint.tick(); // the first tick only counts
        QVERIFY(!hint.hintShown());
        hint.tick();
        QVERIFY(hint.hintShown());
        QCOMPARE(hint.hintText(), QStringLiteral("Engine block"));
        QCOMPARE(hint.window()->pos(), cursor + QPoint(0, 18));
        QVERIFY(hint.window()->width() <= TImageHint::kMaxWidth + 8);
        QCOMPARE(hint.window()->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xE1));
        // It stays until the 21st tick, then goes.
        for (int i = hint.ticks(); i < TImageHint::kLastTick - 1; ++i)
            hint.tick();
        QVERIFY(hint.hintShown());
        hint.tick();
        QVERIFY(!hint.hintShown());
        QVERIFY(!hint.timerActive());
        // The same picture does not start again until the mouse left it.
        hint.mouseMoved(cursor);
        QVERIFY(!hint.timerActive());
        hint.mouseMoved(QPoint(300, 250)); // plain text: no object
        hint.mouseMoved(cursor);
        QVERIFY(hint.timerActive());
        // Leaving the picture hides the hint at the next tick.
        hint.tick();
        hint.tick();
        QVERIFY(hint.hintShown());
        cursor = QPoint(300, 250);
        hint.tick();
        QVERIFY(!hint.hintShown());
        QVERIFY(!hint.timerActive());
        // A picture without a title never starts the timer.
        cursor = QPoint(150, 20);
        QVERIFY(v.objectAt(cursor).isImage);
        hint.mouseMoved(cursor);
        QVERIFY(!hint.timerActive());
    }
};

QTEST_MAIN(TstImageHint)
#include "tst_imagehint.moc"
