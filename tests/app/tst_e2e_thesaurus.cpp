// End to end on the demo book: the page's text selected, Shift+T opens the
// glossary in a second copy of the program, the skinned window captioned
// "Тезаурус"; asking again starts no second thesaurus window.
#include "E2eSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace e2e;

namespace {

// Demo book coordinates (demo/README.md).
const QPoint kReadBook(106, 430);
const QPoint kPage(450, 300);

const QString kCaption = QString::fromUtf8("Тезаурус");

QStringList thesaurusWindows() {
    return runTool("xdotool", {"search", "--onlyvisible", "--name", "^" + kCaption + "$"})
        .split('\n', Qt::SkipEmptyParts);
}

// Ends the thesaurus copy this test made start (found by its window).
void endThesaurus() {
    for (const QString& id : thesaurusWindows()) {
        const QString pid = runTool("xdotool", {"getwindowpid", id});
        if (pid.toLongLong() > 1)
            QProcess::execute("kill", {pid});
    }
}

} // namespace

class TestEndToEndThesaurus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void selectedWordOpensTheThesaurus();
    void cleanupTestCase() { endThesaurus(); }

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEndThesaurus::initTestCase() {
    QVERIFY(m_tmp.isValid());
    QString why;
    m_book = demoBook(&why);
    if (m_book.isEmpty())
        QSKIP(qPrintable(why));
}

void TestEndToEndThesaurus::selectedWordOpensTheThesaurus() {
    Program p;
    const auto found = p.open(m_book, m_tmp.filePath("config"));
    QVERIFY2(found, p.failure.constData());
    const QRect win = *found;

    qsizetype at = p.out.size();
    mouseTo(win.topLeft() + kReadBook);
    QTest::qWait(150);
    runTool("xdotool", {"click", "1"});
    QVERIFY(p.waitLine("vantrel: page ", at));
    QVERIFY(thesaurusWindows().isEmpty());

    // The page's text selected; Shift+T looks it up: the glossary opens in
    // its own window (its trace joins ours: the copies share the output).
    mouseTo(win.topLeft() + kPage);
    runTool("xdotool", {"click", "1"});
    QTest::qWait(200);
    runTool("xdotool", {"key", "ctrl+a"});
    QTest::qWait(200);
    runTool("xdotool", {"key", "shift+t"});
    const auto glossary = p.waitLine("vantrel: page ", at, 20000);
    QVERIFY(glossary);
    QVERIFY2(glossary->toLower().contains("g_glossary.htm"), glossary->constData());
    const auto thesaurus = windowRect(kCaption);
    QVERIFY2(thesaurus, "no window captioned Тезаурус");
    QCOMPARE(thesaurus->size(), QSize(560, 440));
    QTest::qWait(500);
    saveShot(screenshot(), *thesaurus, "thesaurus.png");

    // Asking again: the second thesaurus copy ends at once; one window stays.
    const QString main = runTool("xdotool", {"search", "--name", "^Vantrel$"}).section('\n', 0, 0);
    runTool("xdotool", {"windowfocus", "--sync", main});
    QTest::qWait(200);
    runTool("xdotool", {"key", "ctrl+a"});
    runTool("xdotool", {"key", "shift+t"});
    QTest::qWait(3000);
    QCOMPARE(thesaurusWindows().size(), 1);
    QVERIFY(p.process.state() == QProcess::Running);
    endThesaurus();
}

QTEST_MAIN(TestEndToEndThesaurus)
#include "tst_e2e_thesaurus.moc"
