// End to end: the real program under Xvfb, driven with xdotool, watched with
// screenshots of the root window.
#include "E2eSupport.h"
#include "TestBook.h"

#include "app/TWindowAnimation.h"
#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "data/StructParser.h"
#include "data/TReadBin.h"
#include "skin/TSkinElements.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace e2e;

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void bookInTheSkinnedWindow();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEnd::initTestCase() {
    QVERIFY(m_tmp.isValid());
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (run under xvfb-run)");
    const QString demo = QStringLiteral(VANTREL_BINARY_DIR) + "/demo-book/run";
    // VANTREL_E2E_OWN_BOOK=1 runs on the test's own small book even when the
    // demo book is built.
    if (QFile::exists(demo + "/Dod.dhl") && qEnvironmentVariableIsEmpty("VANTREL_E2E_OWN_BOOK")) {
        m_book = demo;
    } else {
        // No demo book in this build: a small book of our own, with an outline
        // that cuts the corners.
        m_book = m_tmp.filePath("book/run");
        QVERIFY(testbook::write(
            m_book,
            testbook::description("Endtoend", "vertexmain=[12,0;288,0;300,12;300,188;288,200;"
                                              "12,200;0,188;0,12]"),
            testbook::pictures()));
    }
    qInfo() << "book" << m_book;
}

void TestEndToEnd::bookInTheSkinnedWindow() {
    Book book;
    QVERIFY(book.load(m_book));
    const QString config = m_tmp.filePath("config");
    auto cover = book.screen(0);
    const QImage coverSkin = cover->skin();
    const QRegion visible = TWindowAnimation::finalOpeningRegion(coverSkin.size());

    Program first;
    first.start(m_book, config);
    QVERIFY2(first.waitFirstFrame(), first.process.readAllStandardError().constData());
    const auto found = windowRect(book.model.title);
    QVERIFY(found);
    QRect win = *found;
    QCOMPARE(win.size(), coverSkin.size());

    // The skin, once the opening animation is over.
    QImage shot;
    const QRect all(QPoint(0, 0), win.size());
    const double skinShare = pollShare(
        shot,
        [&](const QImage& img) {
            return matchShare(img, win.topLeft(), coverSkin, {}, all, visible, book.widgetAreas(0));
        },
        0.95);
    QTest::qWait(200);
    shot = screenshot();
    saveShot(shot, win, "screen1.png");
    qInfo() << "screen 1 matches its skin at" << skinShare;
    QVERIFY(skinShare > 0.9);
    if (book.model.outline.size() >= 3) {
        // The last opening ellipse replaces the book's outline: the corners
        // the outline cuts off show the skin (the close button may sit there).
        const QPoint corner(1, 1);
        QVERIFY(!QRegion(book.model.outline, Qt::WindingFill).contains(corner));
        QVERIFY(visible.contains(corner));
        QCOMPARE(shot.pixel(win.topLeft() + corner), coverSkin.pixel(corner));
    }

    // A second copy of the same book ends at once, quietly.
    {
        Program second;
        second.start(m_book, config);
        QVERIFY(second.process.waitForFinished(10000));
        QCOMPARE(second.process.exitCode(), 0);
        QVERIFY(!second.out.contains("first frame"));
    }

    // Dragging by bare skin moves the window.
    QPoint bare(-1, -1);
    for (int y = 5; y < win.height() && bare.x() < 0; y += 7)
        for (int x = 5; x < win.width() && bare.x() < 0; x += 7) {
            const QPoint p(x, y);
            bool free = visible.contains(p) && cover->hitTest(p).kind == TSkinElements::None;
            for (const QRect& r : book.widgetAreas(0))
                free = free && !r.adjusted(-5, -5, 5, 5).contains(p);
            if (free && cover->hitTest(p + QPoint(40, 25)).kind == TSkinElements::None)
                bare = p;
        }
    QVERIFY(bare.x() >= 0);
    mouseTo(win.topLeft() + bare);
    runTool("xdotool", {"mousedown", "1"});
    for (int i = 1; i <= 5; ++i)
        mouseTo(win.topLeft() + bare + QPoint(8 * i, 5 * i));
    runTool("xdotool", {"mouseup", "1"});
    QTest::qWait(300);
    const auto moved = windowRect(book.model.title);
    QVERIFY(moved);
    QCOMPARE(moved->topLeft(), win.topLeft() + QPoint(40, 25));
    win = *moved;

    // Toggle a stored switch (the next start must find it).
    int storedKind = -1, storedIndex = -1;
    bool storedOn = false;
    QRect storedRect;
    for (qsizetype i = 0; i < cover->switchOnes().size() && storedKind < 0; ++i) {
        const RSwthOne& s = cover->switchOnes()[i];
        if (s.store && s.right > s.vx) {
            storedKind = 1;
            storedIndex = int(i);
            storedOn = !s.on;
            storedRect = TSkinElements::rectOf(s.vx, s.vy, s.right, s.bottom);
        }
    }
    if (storedKind >= 0) {
        mouseTo(win.topLeft() + storedRect.center());
        runTool("xdotool", {"click", "1"});
        QTest::qWait(400);
    }

    // Hovering the reading-screen button changes its picture.
    int reading = -1;
    for (qsizetype i = 0; i < cover->buttons().size(); ++i)
        if (cover->buttons()[i].go.startsWith("screen2") && reading < 0)
            reading = int(i);
    QVERIFY(reading >= 0);
    const RBtn rb = cover->buttons()[reading];
    const QRect rbRect = TSkinElements::rectOf(rb.vx, rb.vy, rb.right, rb.bottom);
    const auto& rbPics = cover->buttonPics()[reading];
    const QRect inner = rbRect.adjusted(1, 1, -1, -1);
    mouseTo(win.topLeft() + QPoint(rbRect.center().x(), rbRect.bottom() + 30));
    QTest::qWait(400);
    shot = screenshot();
    const double normalBefore =
        matchShare(shot, win.topLeft(), rbPics.normal, rbRect.topLeft(), inner, visible);
    mouseTo(win.topLeft() + rbRect.center());
    const double hoverShare = pollShare(
        shot,
        [&](const QImage& img) {
            return matchShare(img, win.topLeft(), rbPics.hover, rbRect.topLeft(), inner, visible);
        },
        0.95, 5000);
    saveShot(shot, win, "screen1-hover.png");
    const double normalShare =
        matchShare(shot, win.topLeft(), rbPics.normal, rbRect.topLeft(), inner, visible);
    qInfo() << "reading button: normal before" << normalBefore << "hover" << hoverShare
            << "normal while hovered" << normalShare;
    QVERIFY(normalBefore > 0.9);
    QVERIFY(hoverShare > 0.9);
    QVERIFY(normalShare < hoverShare);

    // Clicking it switches to the reading screen.
    runTool("xdotool", {"click", "1"});
    auto readingScreen = book.screen(1);
    const QRegion visible2 = TWindowAnimation::finalOpeningRegion(readingScreen->skin().size());
    const double share2 = pollShare(
        shot,
        [&](const QImage& img) {
            return matchShare(img, win.topLeft(), readingScreen->skin(), {},
                              QRect(QPoint(0, 0), readingScreen->skin().size()), visible2,
                              book.widgetAreas(1) << rbRect.adjusted(-40, -40, 40, 40));
        },
        0.9, 5000);
    QTest::qWait(300);
    saveShot(screenshot(), win, "screen2.png");
    qInfo() << "screen 2 matches its skin at" << share2;
    QVERIFY(share2 > 0.8);

    // The exit button: the closing animation, then the process ends.
    int exitButton = -1;
    for (qsizetype i = 0; i < readingScreen->buttons().size(); ++i)
        if (readingScreen->buttons()[i].go == "exit")
            exitButton = int(i);
    QVERIFY(exitButton >= 0);
    const RBtn eb = readingScreen->buttons()[exitButton];
    mouseTo(win.topLeft() + TSkinElements::rectOf(eb.vx, eb.vy, eb.right, eb.bottom).center());
    QTest::qWait(300);
    QElapsedTimer closing;
    closing.start();
    runTool("xdotool", {"click", "1"});
    const bool animating = first.process.state() == QProcess::Running;
    QVERIFY(first.process.waitForFinished(20000));
    qInfo() << "closed after" << closing.elapsed() << "ms" << first.process.readAllStandardError();
    QVERIFY(animating);
    QCOMPARE(first.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.process.exitCode(), 0);
    QVERIFY(closing.elapsed() > 150);

    // The second start finds the stored switch state.
    if (storedKind < 0)
        QSKIP("the book has no stored switch on screen 1");
    Program again;
    again.start(m_book, config);
    QVERIFY(again.waitFirstFrame());
    const auto win3 = windowRect(book.model.title);
    QVERIFY(win3);
    mouseTo(QPoint(0, 0));
    const auto& pics = cover->switchOnePics()[storedIndex];
    const double share = pollShare(
        shot,
        [&](const QImage& img) {
            return matchShare(img, win3->topLeft(), storedOn ? pics.on : pics.off,
                              storedRect.topLeft(), storedRect.adjusted(1, 1, -1, -1), visible);
        },
        0.95);
    saveShot(shot, *win3, "restart.png");
    qInfo() << "stored switch" << storedIndex << "on" << storedOn << "match" << share;
    QVERIFY(share > 0.9);

    // A copy killed outright leaves nothing behind that keeps the next start out.
    again.process.kill();
    QVERIFY(again.process.waitForFinished(5000));
    Program next;
    next.start(m_book, config);
    QVERIFY(next.waitFirstFrame());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
