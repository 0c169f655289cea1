// End to end on the demo book: the files page leads to the archive page, the
// archive link lists the RAR archive in the page pane, and a file of the
// listing, clicked, is unpacked and opened.
#include "E2eSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace e2e;

namespace {

// Demo book coordinates (demo/README.md).
const QPoint kReadBook(106, 430);
const QPoint kFirstTreeItem(70, 97);
const QRect kPane(212, 95, 470, 250); // the upper part of the page pane

void click(const QRect& win, QPoint p) {
    mouseTo(win.topLeft() + p);
    QTest::qWait(150);
    runTool("xdotool", {"click", "1"});
}

QString fileName(const QByteArray& path) {
    return QString::fromLocal8Bit(path).section(u'\\', -1);
}

// Hovers down the left part of the pane until the status text names a link
// to `target`; true with the pointer on it.
bool hoverTo(Program& p, const QRect& win, const QString& target) {
    for (int y = kPane.top(); y <= kPane.bottom(); y += 4)
        for (int x : {kPane.left() + 20, kPane.left() + 50}) {
            mouseTo(win.topLeft() + QPoint(x, y));
            qsizetype at = p.out.size();
            const std::optional<QByteArray> link = p.waitLine("vantrel: link ", at, 80);
            if (link && QString::fromUtf8(*link).contains(target))
                return true;
        }
    return false;
}

} // namespace

class TestEndToEndArchive : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void browseTheDemoArchive();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEndArchive::initTestCase() {
    QVERIFY(m_tmp.isValid());
    QString why;
    m_book = demoBook(&why);
    if (m_book.isEmpty())
        QSKIP(qPrintable(why));
}

void TestEndToEndArchive::browseTheDemoArchive() {
    Program p;
    const auto found = p.open(m_book, m_tmp.filePath("config"));
    QVERIFY2(found, p.failure.constData());
    const QRect win = *found;
    qsizetype at = p.out.size();
    click(win, kReadBook);
    QVERIFY(p.waitLine("vantrel: page ", at));

    // The tree's second last item: the files page.
    click(win, kFirstTreeItem);
    QTest::qWait(300);
    runTool("xdotool", {"key", "End"});
    QTest::qWait(300);
    runTool("xdotool", {"key", "Up"});
    std::optional<QByteArray> page;
    do
        page = p.waitLine("vantrel: page ", at);
    while (page && fileName(*page).toLower() != "p20_files.htm");
    QVERIFY2(page, "the files page did not open");
    QTest::qWait(300);

    // Its link to the archive page, then the archive link there.
    QVERIFY2(hoverTo(p, win, "p21_archive.htm"), "no link to the archive page");
    runTool("xdotool", {"click", "1"});
    page = p.waitLine("vantrel: page ", at);
    QVERIFY(page);
    QCOMPARE(fileName(*page).toLower(), QString("p21_archive.htm"));
    QTest::qWait(300);
    QVERIFY2(hoverTo(p, win, "extras.rar"), "no archive link");
    runTool("xdotool", {"click", "1"});
    page = p.waitLine("vantrel: page ", at);
    QVERIFY(page);
    QCOMPARE(fileName(*page), QString("as_extras.rar.htm"));
    QTest::qWait(500);
    saveShot(screenshot(), win, "archive-listing.png");

    // The listing: the folder row comes first, the text file below it. A
    // click far enough right to miss the short folder name finds the file.
    std::optional<QByteArray> opened;
    for (int y = kPane.top() + 50; y <= kPane.top() + 160 && !opened; y += 5) {
        click(win, QPoint(kPane.left() + 60, y));
        qsizetype from = p.out.size();
        opened = p.waitLine("vantrel: page ", from, 400);
    }
    QVERIFY2(opened, "no file of the listing opened");
    QVERIFY2(fileName(*opened).endsWith("readme_first.txt"), opened->constData());
    QTest::qWait(300);
    saveShot(screenshot(), win, "archive-file.png");
    // It was unpacked into the listing folder below the program's own
    // temporary folder.
    const QString native = QString::fromLocal8Bit(*opened).replace(u'\\', u'/');
    QVERIFY2(QFile::exists(native), qPrintable(native));
}

QTEST_MAIN(TestEndToEndArchive)
#include "tst_e2e_archive.moc"
