// End to end: the real program under Xvfb on a small book whose cover
// button runs "about". The box appears centred on the screen over the
// book's window, its close button closes it, and Esc closes it the next time.
#include "E2eSupport.h"
#include "TestBook.h"

#include "data/PackWriter.h"
#include "data/StringUtils.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace e2e;

namespace {

const QRgb kAboutColour = qRgb(30, 140, 70);
const QRgb kCloseColour = qRgb(220, 200, 20);
const QSize kAboutSize(240, 160);

QByteArray bmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QImage solid(QSize size, QRgb colour) {
    QImage i(size, QImage::Format_RGB32);
    i.fill(colour);
    return i;
}

// The share of the box's inner area (away from its texts) in its colour.
double aboutShare(const QImage& shot, const QRect& box) {
    int hits = 0, all = 0;
    for (int y = box.top() + 40; y < box.top() + 100; y += 3)
        for (int x = box.left() + 10; x < box.right() - 10; x += 3) {
            ++all;
            if (near(shot.pixel(x, y), kAboutColour))
                ++hits;
        }
    return all ? double(hits) / all : 0;
}

void click(QPoint global) {
    mouseTo(global);
    QTest::qWait(150);
    runTool("xdotool", {"click", "1"});
}

} // namespace

class TestEndToEndAbout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void openFromTheCoverAndClose();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEndAbout::initTestCase() {
    QVERIFY(m_tmp.isValid());
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (run under xvfb-run)");
    m_book = m_tmp.filePath("book/run");
    QStringList description = testbook::description("Aboutbook");
    description.replaceInStrings("go=screen2=page.htm", "go=about");
    const QStringList about{"picture=about.bmp",
                            "vertex=[0,0;240,0;240,160;0,160]",
                            "text",
                            "vx=10;vy=10;font=liberation sans;size=9;style=;color=255,255,255",
                            "value=Об этой книге",
                            "idenf=title",
                            "button",
                            "vx=180",
                            "vy=120",
                            "fn1=close1.bmp",
                            "fn2=close2.bmp",
                            "hint=Закрыть",
                            "wav=no"};
    QString error;
    QVERIFY2(testbook::write(m_book, description, testbook::pictures(), &error), qPrintable(error));
    PackWriter pack;
    pack.add("Struct.cfs", cfs::encode(description), &error);
    const QHash<QString, QImage> pictures = testbook::pictures();
    for (auto it = pictures.begin(); it != pictures.end(); ++it)
        pack.add(it.key(), bmp(it.value()), &error);
    pack.add("About.cfs", cfs::encode(about), &error);
    pack.add("about.bmp", bmp(solid(kAboutSize, kAboutColour)), &error);
    pack.add("close1.bmp", bmp(solid(QSize(40, 24), kCloseColour)), &error);
    pack.add("close2.bmp", bmp(solid(QSize(40, 24), kCloseColour)), &error);
    QVERIFY2(pack.write(m_book + "/Dod.dhl", &error), qPrintable(error));
}

void TestEndToEndAbout::openFromTheCoverAndClose() {
    Program program;
    program.start(m_book, m_tmp.filePath("config"));
    QVERIFY2(program.waitFirstFrame(), program.process.readAllStandardError().constData());
    const auto found = windowRect("Aboutbook");
    QVERIFY(found);
    const QRect win = *found;
    QTest::qWait(600); // the opening animation
    const QSize screen = screenshot().size();
    const QRect box(QPoint(screen.width() / 2 - kAboutSize.width() / 2,
                           screen.height() / 2 - kAboutSize.height() / 2),
                    kAboutSize);
    qsizetype from = 0;

    // 1. The cover's button opens the box, centred on the screen.
    click(win.topLeft() + QPoint(40, 30));
    QVERIFY2(program.waitLine("vantrel: about ", from) == QByteArray("shown"),
             program.out.constData());
    QImage shot;
    // The box is revealed step by step: the share measured can pass while
    // the part with the close button is still to come.
    const QPoint button = box.topLeft() + QPoint(200, 132);
    QVERIFY(pollShare(
                shot,
                [&](const QImage& s) {
                    return near(s.pixel(button), kCloseColour) ? aboutShare(s, box) : 0.0;
                },
                0.95) > 0.95);

    // 2. Its close button closes it; the cover shows again.
    click(button);
    QCOMPARE(program.waitLine("vantrel: about ", from), QByteArray("closed"));
    QVERIFY(pollShare(
                shot, [&](const QImage& s) { return 1 - aboutShare(s, box); }, 0.95) > 0.95);

    // 3. Shown again, Esc closes it.
    click(win.topLeft() + QPoint(40, 30));
    QCOMPARE(program.waitLine("vantrel: about ", from), QByteArray("shown"));
    QVERIFY(pollShare(
                shot, [&](const QImage& s) { return aboutShare(s, box); }, 0.95) > 0.95);
    mouseTo(box.topLeft() + QPoint(100, 60));
    runTool("xdotool", {"key", "Escape"});
    QCOMPARE(program.waitLine("vantrel: about ", from), QByteArray("closed"));
}

QTEST_MAIN(TestEndToEndAbout)
#include "tst_e2e_about.moc"
