// End to end on the demo book: the introduction's print link opens the print
// preview of the inspection card; the sheets are stepped with the keyboard;
// the print dialog prints sheets 2 to 3 to a PDF file, which holds exactly
// those two sheets.
#include "E2eSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace e2e;

namespace {

// Demo book coordinates (demo/README.md).
const QPoint kReadBook(106, 430);
const QPoint kClose(711, 24);
const QRect kNavLine(212, 96, 470, 20); // the top line of the page pane

void click(const QRect& win, QPoint p) {
    mouseTo(win.topLeft() + p);
    QTest::qWait(150);
    runTool("xdotool", {"click", "1"});
}

// Gives the keyboard to the window captioned `title`; false when there is
// none.
bool focusWindow(const QString& title) {
    for (int i = 0; i < 50; ++i) {
        const QStringList ids =
            runTool("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"})
                .split('\n', Qt::SkipEmptyParts);
        if (!ids.isEmpty()) {
            runTool("xdotool", {"windowfocus", "--sync", ids.last()});
            QTest::qWait(200);
            return true;
        }
        QTest::qWait(100);
    }
    return false;
}

void keys(const QStringList& names) {
    for (const QString& k : names) {
        runTool("xdotool", {"key", k});
        QTest::qWait(120);
    }
}

} // namespace

class TestEndToEndPreview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void previewStepsAndPrintsTwoSheets();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEndPreview::initTestCase() {
    QVERIFY(m_tmp.isValid());
    QString why;
    m_book = demoBook(&why);
    if (m_book.isEmpty())
        QSKIP(qPrintable(why));
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed (poppler-utils)");
}

void TestEndToEndPreview::previewStepsAndPrintsTwoSheets() {
    // The PDF file the preview proposes lies in the home folder: a
    // temporary one.
    const QString home = m_tmp.filePath("home");
    QVERIFY(QDir().mkpath(home));
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.toLocal8Bit());
    Program p;
    const auto found = p.open(m_book, m_tmp.filePath("config"));
    qputenv("HOME", realHome);
    QVERIFY2(found, p.failure.constData());
    const QRect win = *found;

    qsizetype at = p.out.size();
    click(win, kReadBook);
    const auto page = p.waitLine("vantrel: page ", at);
    QVERIFY(page);
    QVERIFY2(page->toLower().endsWith("p01_intro.htm"), page->constData());
    QTest::qWait(500);

    // The print link at the end of the top line: found by hovering.
    bool onLink = false;
    for (int x = kNavLine.right(); x >= kNavLine.left() && !onLink; x -= 8)
        for (int y = kNavLine.top(); y <= kNavLine.bottom() && !onLink; y += 4) {
            mouseTo(win.topLeft() + QPoint(x, y));
            qsizetype hover = p.out.size();
            const auto link = p.waitLine("vantrel: link ", hover, 80);
            onLink = link && link->startsWith("printhtml:inspection_card.htm");
        }
    QVERIFY2(onLink, "no print link on the top line of the introduction");
    at = p.out.size();
    runTool("xdotool", {"click", "1"});

    // The preview opens at its first sheet.
    auto shown = p.waitLine("vantrel: preview ", at, 30000);
    QVERIFY2(shown, p.out.right(400).constData());
    static const QRegularExpression re("^page (\\d+) of (\\d+)$");
    auto m = re.match(QString::fromUtf8(*shown));
    QVERIFY2(m.hasMatch(), shown->constData());
    QCOMPARE(m.captured(1).toInt(), 1);
    const int sheets = m.captured(2).toInt();
    QVERIFY2(sheets >= 3, shown->constData());
    const QString caption = QString::fromUtf8("Предварительный просмотр");
    QVERIFY(focusWindow(caption));
    if (const auto preview = windowRect(caption))
        saveShot(screenshot(), *preview, "preview-first.png");

    // Page Down twice, Home: sheets 2, 3 and 1 again.
    for (const auto& [key, expected] :
         {std::pair{"Next", 2}, std::pair{"Next", 3}, std::pair{"Home", 1}}) {
        keys({key});
        shown = p.waitLine("vantrel: preview ", at);
        QVERIFY(shown);
        m = re.match(QString::fromUtf8(*shown));
        QVERIFY2(m.hasMatch() && m.captured(1).toInt() == expected, shown->constData());
    }

    // Ctrl+P: the print dialog; its options, pages from 2 to 3, print.
    keys({"ctrl+p"});
    QVERIFY2(focusWindow("Print"), "no print dialog");
    keys({"alt+o", "Tab", "Tab", "Tab", "Tab", "Tab", "Down", "Tab", "ctrl+a", "2", "Tab", "ctrl+a",
          "3"});
    if (const auto dialog = windowRect("Print"))
        saveShot(screenshot(), *dialog, "preview-print-dialog.png");
    keys({"Return"});
    const auto printed = p.waitLine("vantrel: printed ", at, 30000);
    QVERIFY2(printed, p.out.right(400).constData());
    QVERIFY2(printed->startsWith("2,3 "), printed->constData());
    const QString pdf = QString::fromUtf8(printed->mid(4));
    QVERIFY2(pdf.startsWith(home), qPrintable(pdf));

    const QString info = runTool("pdfinfo", {pdf});
    QVERIFY2(info.contains(QRegularExpression("Pages:\\s+2\\b")), qPrintable(info));
    const QString first = runTool("pdftotext", {"-f", "1", "-l", "1", pdf, "-"});
    const QString second = runTool("pdftotext", {"-f", "2", "-l", "2", pdf, "-"});
    QVERIFY2(first.contains("Страница 2"), qPrintable(first));
    QVERIFY2(second.contains("Страница 3"), qPrintable(second));
    QVERIFY(!first.contains("Карта осмотра автомобиля")); // the heading is on sheet 1

    // Esc closes the preview; the window closes as usual.
    QVERIFY(focusWindow(caption));
    keys({"Escape"});
    QTest::qWait(500);
    QVERIFY(
        runTool("xdotool", {"search", "--onlyvisible", "--name", "^" + caption + "$"}).isEmpty());
    click(win, kClose);
    QVERIFY(p.process.waitForFinished(15000));
}

QTEST_MAIN(TestEndToEndPreview)
#include "tst_e2e_preview.moc"
