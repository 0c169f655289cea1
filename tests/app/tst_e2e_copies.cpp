// End to end on the demo book, with real copies of the program: a page sent
// to the main window from another process, a picture window reused for the
// same picture, and closing the main window closing the picture window.
#include "E2eSupport.h"

#include "platform/TInstanceLink.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace e2e;

namespace {

const QString kPicture = QStringLiteral("Увеличенная картинка");
const QPoint kClose(711, 24);
const int kPaneCentreX = 446;

void click(const QRect& win, QPoint p) {
    mouseTo(win.topLeft() + p);
    QTest::qWait(150);
    runTool("xdotool", {"click", "1"});
}

// The picture windows as the copies see them.
QList<RWindowEntry> pictureWindows() {
    return TInstanceLink::findWindows(kPicture);
}

} // namespace

class TestEndToEndCopies : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pictureWindowReusedAndClosedWithTheBook();
    void cleanupTestCase();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEndCopies::initTestCase() {
    QVERIFY(m_tmp.isValid());
    QString why;
    m_book = demoBook(&why);
    if (m_book.isEmpty())
        QSKIP(qPrintable(why));
}

void TestEndToEndCopies::cleanupTestCase() {
    // A picture window left by a failed run ends with the test.
    for (const RWindowEntry& e : TInstanceLink::windows())
        if (!TInstanceLink::isOwn(e))
            ::kill(pid_t(e.pid), SIGTERM);
}

void TestEndToEndCopies::pictureWindowReusedAndClosedWithTheBook() {
    Program p;
    const auto found = p.open(m_book, m_tmp.filePath("config"));
    QVERIFY2(found, p.failure.constData());
    const QRect win = *found;

    // Another copy sends a page to the main window: on the cover it moves to
    // the reading screen with that page.
    qsizetype at = p.out.size();
    const TInstanceLink::RSendResult sent = TInstanceLink::SendRecord(
        QStringLiteral("Vantrel"), RCopyRecord::single(RCopyRecord::ShowPage, "p03_engine.htm"),
        5000);
    QVERIFY(sent.delivered);
    QVERIFY(sent.reply);
    QCOMPARE(sent.reply->message, quint16(1690));
    // (The reading screen's start page may come first.)
    auto page = p.waitLine("vantrel: page ", at);
    if (page && !page->toLower().endsWith("p03_engine.htm"))
        page = p.waitLine("vantrel: page ", at);
    QVERIFY(page);
    QVERIFY2(page->toLower().endsWith("p03_engine.htm"), page->constData());
    QTest::qWait(500);

    // The enlarged picture link: found by hovering down the pane.
    std::optional<QByteArray> link;
    int linkY = 0;
    for (int y = 100; y <= 540 && !link; y += 12) {
        mouseTo(win.topLeft() + QPoint(kPaneCentreX, y));
        qsizetype hover = p.out.size();
        link = p.waitLine("vantrel: link ", hover, 80);
        if (link && !link->contains("engine_big"))
            link.reset();
        linkY = y;
    }
    QVERIFY2(link, "no picture link on the page");
    const QPoint picturePoint(kPaneCentreX, linkY);

    // First click: no picture window runs, a new copy shows the picture.
    QVERIFY(pictureWindows().isEmpty());
    click(win, picturePoint);
    auto asked = p.waitLine("vantrel: picture ", at);
    QVERIFY(asked);
    QVERIFY2(asked->startsWith("new"), asked->constData());
    const auto shown = windowRect(kPicture);
    QVERIFY(shown);
    QTRY_COMPARE_WITH_TIMEOUT(pictureWindows().size(), 1, 10000);
    const RWindowEntry picture = pictureWindows().first();
    // Out of the way of the main window's page and buttons.
    const QString xid =
        runTool("xdotool", {"search", "--onlyvisible", "--name", "^" + kPicture + "$"})
            .section('\n', 0, 0);
    runTool("xdotool", {"windowmove", xid, QString::number(win.right() + 20), "0"});
    // Until it has moved: a click on the page meanwhile would land on it.
    QTRY_VERIFY_WITH_TIMEOUT(windowRect(kPicture) && windowRect(kPicture)->left() > win.right(),
                             10000);
    QTest::qWait(500);

    // Second click on the same picture: the running window takes it.
    click(win, picturePoint);
    asked = p.waitLine("vantrel: picture ", at);
    QVERIFY(asked);
    QVERIFY2(asked->startsWith("reused"), asked->constData());
    QVERIFY(asked->contains(picture.id.toUtf8()));
    QTest::qWait(1000);
    QCOMPARE(pictureWindows().size(), 1);
    QCOMPARE(runTool("xdotool", {"search", "--onlyvisible", "--name", "^" + kPicture + "$"})
                 .split('\n', Qt::SkipEmptyParts)
                 .size(),
             1);

    // Closing the book closes the picture window with it.
    click(win, kClose);
    const auto closed = p.waitLine("vantrel: close ", at);
    QVERIFY(closed);
    QVERIFY2(closed->contains(picture.id.toUtf8()) && closed->endsWith("closing"),
             closed->constData());
    QVERIFY(p.process.waitForFinished(20000));
    QCOMPARE(p.process.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(TInstanceLink::windows().isEmpty(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!TInstanceLink::processAlive(picture.pid), 10000);
}

QTEST_MAIN(TestEndToEndCopies)
#include "tst_e2e_copies.moc"
