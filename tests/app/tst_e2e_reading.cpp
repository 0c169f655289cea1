// End to end on the demo book: reading with the tree, links, history and
// favourites across a restart, and a help window started with " /h".
#include "E2eSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace e2e;

namespace {

// Demo book coordinates (demo/README.md).
const QPoint kReadBook(106, 430);
const QPoint kBack(50, 66);
const QPoint kHistoryBack(509, 24);    // its list ends at the button's right edge (522)
const QPoint kHistoryForward(539, 24); // its list starts at the button's left edge (526)
const QPoint kSectionsMenu(643, 24);   // the cover's own menu, opened at the pointer
const QPoint kAddFavourite(579, 24);
const QPoint kFavourites(609, 24);
const QPoint kClose(711, 24);
const QPoint kFirstTreeItem(70, 97);
const QRect kPage(212, 95, 470, 60); // the top of the page pane

void click(const QRect& win, QPoint p) {
    mouseTo(win.topLeft() + p);
    QTest::qWait(150);
    runTool("xdotool", {"click", "1"});
}

QString fileName(const QByteArray& path) {
    return QString::fromLocal8Bit(path).section(u'\\', -1).toLower();
}

} // namespace

class TestEndToEndReading : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void readTreeLinksHistoryFavourites();
    void helpWindowEndsWithEscape();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEndReading::initTestCase() {
    QVERIFY(m_tmp.isValid());
    QString why;
    m_book = demoBook(&why);
    if (m_book.isEmpty())
        QSKIP(qPrintable(why));
}

void TestEndToEndReading::readTreeLinksHistoryFavourites() {
    const QString config = m_tmp.filePath("config");
    int favouritePosition = -1;
    QString favouritePage;
    {
        Program p;
        const auto found = p.open(m_book, config);
        QVERIFY2(found, p.failure.constData());
        const QRect win = *found;

        // Cover -> reading screen: the start page shows.
        qsizetype at = p.out.size();
        click(win, kReadBook);
        auto page = p.waitLine("vantrel: page ", at);
        QVERIFY(page);
        QCOMPARE(fileName(*page), QString("p01_intro.htm"));

        // The tree: the first item, then one down opens the second chapter.
        click(win, kFirstTreeItem);
        QTest::qWait(300);
        runTool("xdotool", {"key", "Down"});
        page = p.waitLine("vantrel: page ", at);
        QVERIFY(page);
        QCOMPARE(fileName(*page), QString("p02_specs.htm"));
        QTest::qWait(300);
        saveShot(screenshot(), win, "reading-tree.png");

        // A link near the top of the page: found by hovering, then followed.
        std::optional<QByteArray> link;
        for (int y = kPage.top(); y <= kPage.bottom() && !link; y += 5)
            for (int x = kPage.left(); x <= kPage.right() && !link; x += 10) {
                mouseTo(win.topLeft() + QPoint(x, y));
                qsizetype hover = p.out.size();
                link = p.waitLine("vantrel: link ", hover, 80);
                if (link && link->isEmpty())
                    link.reset();
            }
        QVERIFY2(link, "no link found at the top of the page");
        runTool("xdotool", {"click", "1"});
        page = p.waitLine("vantrel: page ", at);
        QVERIFY(page);
        const QString linked = fileName(*page);
        QVERIFY(linked != "p02_specs.htm");
        QTest::qWait(300);
        saveShot(screenshot(), win, "reading-link.png");

        // Back: the page before the link again.
        click(win, kBack);
        page = p.waitLine("vantrel: page ", at);
        QVERIFY(page);
        QCOMPARE(fileName(*page), QString("p02_specs.htm"));

        // The back list: its first item is the page before, p01.
        click(win, kHistoryBack);
        QVERIFY(p.waitLine("vantrel: popup -1", at));
        QTest::qWait(300);
        click(win, QPoint(522 - 190 + 20, 37 + 5 + 10));
        page = p.waitLine("vantrel: page ", at);
        QVERIFY(page);
        QCOMPARE(fileName(*page), QString("p01_intro.htm"));
        // The forward list: the nearest page ahead is its top item.
        click(win, kHistoryForward);
        QVERIFY(p.waitLine("vantrel: popup -2", at));
        QTest::qWait(300);
        saveShot(screenshot(), win, "reading-history-popup.png");
        click(win, QPoint(526 + 20, 37 + 5 + 10));
        page = p.waitLine("vantrel: page ", at);
        QVERIFY(page);
        QCOMPARE(fileName(*page), QString("p02_specs.htm"));

        // Scroll down a little and keep the place as a favourite.
        mouseTo(win.topLeft() + QPoint(440, 300));
        for (int i = 0; i < 4; ++i)
            runTool("xdotool", {"click", "5"});
        QTest::qWait(300);
        click(win, kAddFavourite);
        const auto position = p.waitLine("vantrel: favourite ", at);
        QVERIFY(position);
        favouritePosition = position->toInt();
        QVERIFY(favouritePosition > 0);
        favouritePage = "p02_specs.htm";

        click(win, kClose);
        QVERIFY(p.process.waitForFinished(20000));
        QCOMPARE(p.process.exitCode(), 0);
    }
    // The favourite is stored with the book's settings.
    QFile settings(config + "/Quorvel/Vantrel.conf");
    QVERIFY(settings.open(QIODevice::ReadOnly));
    const QByteArray stored = settings.readAll();
    QVERIFY2(stored.contains("Favorite0") && stored.contains("htmlpos="), stored.constData());

    // After a restart the favourite opens its page at the same place.
    Program p;
    const auto found = p.open(m_book, config);
    QVERIFY2(found, p.failure.constData());
    const QRect win = *found;
    qsizetype at = p.out.size();
    // The cover's sections menu opens the reading screen at its second item.
    click(win, kSectionsMenu);
    QVERIFY(p.waitLine("vantrel: popup 1", at));
    QTest::qWait(300);
    saveShot(screenshot(), win, "cover-sections-menu.png");
    click(win, kSectionsMenu + QPoint(20, 8 + 22 + 10));
    // The screen's start page may show first.
    QString section;
    for (int i = 0; i < 3 && section != "p03_engine.htm"; ++i)
        if (const auto shown = p.waitLine("vantrel: page ", at))
            section = fileName(*shown);
    QCOMPARE(section, QString("p03_engine.htm"));
    click(win, kFavourites);
    QTest::qWait(500);
    // The list opens under the button; its first item is the favourite.
    click(win, kFavourites + QPoint(20, 26));
    const auto page = p.waitLine("vantrel: page ", at);
    QVERIFY(page);
    QCOMPARE(fileName(*page), favouritePage);
    const auto position = p.waitLine("vantrel: position ", at);
    QVERIFY(position);
    QCOMPARE(position->toInt(), favouritePosition);
    QTest::qWait(300);
    saveShot(screenshot(), win, "reading-favourite.png");
}

void TestEndToEndReading::helpWindowEndsWithEscape() {
    Program help;
    help.start(m_book, m_tmp.filePath("config-help"), {"help/help.htm /h"});
    QVERIFY2(help.waitFirstFrame(), help.process.readAllStandardError().constData());
    const auto found = windowRect(QString::fromUtf8("Помощь"));
    QVERIFY(found);
    const QRect win = *found;
    QVERIFY(win.width() > 200 && win.height() > 150);
    QTest::qWait(500);
    saveShot(screenshot(), win, "help.png");
    mouseTo(win.center());
    QTest::qWait(200);
    runTool("xdotool", {"key", "Escape"});
    QVERIFY(help.process.waitForFinished(10000));
    QCOMPARE(help.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(help.process.exitCode(), 0);
}

QTEST_MAIN(TestEndToEndReading)
#include "tst_e2e_reading.moc"
