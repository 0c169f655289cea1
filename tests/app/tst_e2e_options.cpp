// End to end on the demo book: the cover's "Настройки" button opens the
// options window; the button sounds are turned off, the program is closed
// and started again, and the box is still unticked (and the setting stored).
#include "E2eSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace e2e;

namespace {

// Demo book coordinates (demo/README.md).
const QPoint kOptions(442, 430);
const QPoint kClose(711, 24);

void clickAt(QPoint global) {
    mouseTo(global);
    QTest::qWait(150);
    runTool("xdotool", {"click", "1"});
}

// "shown wav=1 box=x,y ok=x,y": the box's state and the two places.
struct Shown {
    bool wav = false;
    QPoint box, ok;
};
std::optional<Shown> parseShown(const QByteArray& line) {
    static const QRegularExpression re("^shown wav=(\\d) box=(\\d+),(\\d+) ok=(\\d+),(\\d+)$");
    const auto m = re.match(QString::fromLatin1(line));
    if (!m.hasMatch())
        return std::nullopt;
    return Shown{m.captured(1) == "1", QPoint(m.captured(2).toInt(), m.captured(3).toInt()),
                 QPoint(m.captured(4).toInt(), m.captured(5).toInt())};
}

} // namespace

class TestEndToEndOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void soundsOffKeptAcrossARestart();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEndOptions::initTestCase() {
    QVERIFY(m_tmp.isValid());
    QString why;
    m_book = demoBook(&why);
    if (m_book.isEmpty())
        QSKIP(qPrintable(why));
}

void TestEndToEndOptions::soundsOffKeptAcrossARestart() {
    const QString config = m_tmp.filePath("config");
    QImage ticked;
    {
        Program p;
        const auto found = p.open(m_book, config);
        QVERIFY2(found, p.failure.constData());
        qsizetype at = p.out.size();
        clickAt(found->topLeft() + kOptions);
        const auto line = p.waitLine("vantrel: options ", at);
        QVERIFY(line);
        const auto shown = parseShown(*line);
        QVERIFY2(shown, line->constData());
        QVERIFY(shown->wav); // the default: on
        const auto dialog = windowRect(QString::fromUtf8("Настройки"));
        QVERIFY(dialog);
        mouseTo(QPoint(1, 1)); // away from the box
        QTest::qWait(300);
        saveShot(screenshot(), *dialog, "options-first.png");
        ticked = screenshot().copy(
            QRect(dialog->topLeft() + shown->box, QSize(1, 1)).adjusted(-8, -8, 8, 8));

        clickAt(dialog->topLeft() + shown->box);
        QTest::qWait(200);
        clickAt(dialog->topLeft() + shown->ok);
        QTest::qWait(300);
        QVERIFY(runTool("xdotool", {"search", "--onlyvisible", "--name", "^Настройки$"}).isEmpty());

        clickAt(found->topLeft() + kClose);
        QVERIFY(p.process.waitForFinished(15000));
    }
    QFile settings(config + "/Quorvel/Vantrel.conf");
    QVERIFY(settings.open(QIODevice::ReadOnly));
    const QByteArray stored = settings.readAll();
    QVERIFY2(stored.contains("Wav=0"), stored.constData());
    QVERIFY(stored.contains("SizeInterface=0"));
    QVERIFY(stored.contains("SlideShowTime=5")); // the album's slide show (read at start)
    settings.close();

    Program p;
    const auto found = p.open(m_book, config);
    QVERIFY2(found, p.failure.constData());
    qsizetype at = p.out.size();
    clickAt(found->topLeft() + kOptions);
    const auto line = p.waitLine("vantrel: options ", at);
    QVERIFY(line);
    const auto shown = parseShown(*line);
    QVERIFY2(shown, line->constData());
    QVERIFY(!shown->wav);
    const auto dialog = windowRect(QString::fromUtf8("Настройки"));
    QVERIFY(dialog);
    mouseTo(QPoint(1, 1));
    QTest::qWait(300);
    const QImage shot = screenshot();
    saveShot(shot, *dialog, "options-again.png");
    // The box looks different from its ticked self.
    const QImage unticked =
        shot.copy(QRect(dialog->topLeft() + shown->box, QSize(1, 1)).adjusted(-8, -8, 8, 8));
    QVERIFY(unticked != ticked);
}

QTEST_MAIN(TestEndToEndOptions)
#include "tst_e2e_options.moc"
