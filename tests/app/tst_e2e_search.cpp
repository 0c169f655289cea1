// End to end on the demo book: Ctrl+F opens the search dialog over the
// reading screen; a word typed in its field and searched in the whole book
// gives a result list; a result opens its page with the word selected.
#include "E2eSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace e2e;

namespace {

// Demo book coordinates (demo/README.md and the search page of Dialog.cfs).
const QPoint kReadBook(106, 430);
const QPoint kField(40, 54);         // the search field, dialog coordinates
const QPoint kWholeBook(150, 96);    // the "whole book" scope switch
const QPoint kSecondResult(40, 149); // the first is the page shown

void click(QPoint global) {
    mouseTo(global);
    QTest::qWait(150);
    runTool("xdotool", {"click", "1"});
}

} // namespace

class TestEndToEndSearch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void wordFoundInTheBookAndShownOnItsPage();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEndSearch::initTestCase() {
    QVERIFY(m_tmp.isValid());
    QString why;
    m_book = demoBook(&why);
    if (m_book.isEmpty())
        QSKIP(qPrintable(why));
}

void TestEndToEndSearch::wordFoundInTheBookAndShownOnItsPage() {
    Book book;
    QVERIFY(book.load(m_book));
    const auto picture = book.pack.read("dlg_find.bmp");
    QVERIFY(picture);
    const QSize dialogSize = QImage::fromData(*picture).size();
    QVERIFY(!dialogSize.isEmpty());

    Program p;
    const auto found = p.open(m_book, m_tmp.filePath("config"));
    QVERIFY2(found, p.failure.constData());
    const QRect win = *found;

    qsizetype at = p.out.size();
    click(win.topLeft() + kReadBook);
    QVERIFY(p.waitLine("vantrel: page ", at));
    QTest::qWait(300);

    // Ctrl+F: the search page, centred on the main window.
    runTool("xdotool", {"key", "ctrl+f"});
    QTest::qWait(800); // the dialog's fade
    const QPoint dialog(win.left() + win.width() / 2 - dialogSize.width() / 2,
                        win.top() + win.height() / 2 - dialogSize.height() / 2);

    // The whole book, then a word (a stem the index does not hold, so the
    // index search fails quietly and every page is searched).
    click(dialog + kWholeBook);
    QTest::qWait(300);
    click(dialog + kField);
    QTest::qWait(200);
    runTool("xdotool", {"type", "--delay", "60", QString::fromUtf8("колодк")});
    QTest::qWait(300);
    at = p.out.size();
    runTool("xdotool", {"key", "Return"});
    const auto results = p.waitLine("vantrel: results ", at, 20000);
    QVERIFY2(results, "no result list");
    QVERIFY2(results->toInt() >= 2, results->constData());
    QTest::qWait(500);
    saveShot(screenshot(), QRect(dialog, QSize(dialogSize.width(), dialogSize.height() + 140)),
             "search-results.png");

    // The second result, another page: it opens with the word selected.
    at = p.out.size();
    click(dialog + kSecondResult);
    const auto page = p.waitLine("vantrel: page ", at);
    QVERIFY(page);
    const auto hit = p.waitLine("vantrel: found ", at);
    QVERIFY(hit);
    const QString hitText = QString::fromUtf8(*hit);
    QVERIFY2(hitText.startsWith(QString::fromUtf8(*page).trimmed(), Qt::CaseInsensitive),
             hit->constData());
    QVERIFY2(hitText.endsWith(QString::fromUtf8("колодк"), Qt::CaseInsensitive), hit->constData());
    // Esc closes the idle dialog: the selected word shows on the page.
    runTool("xdotool", {"key", "Escape"});
    QTest::qWait(500);
    saveShot(screenshot(), win, "search-found.png");
    p.process.terminate();
    QVERIFY(p.process.waitForFinished(20000));
}

QTEST_MAIN(TestEndToEndSearch)
#include "tst_e2e_search.moc"
