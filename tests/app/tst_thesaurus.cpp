// The thesaurus window ("/t"): its skinned window showing the page of its
// command line, one copy only; and the lookup of the main window (verb
// tesaurus, Shift+T) that hands the page to a running thesaurus window or
// starts one.
#include "../reader/FakeShell.h"
#include "TestBook.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "app/TThesaurusOpener.h"
#include "data/BookPaths.h"
#include "data/PackWriter.h"
#include "data/SettingsStore.h"
#include "data/StringUtils.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "platform/Cp1251.h"
#include "reader/THtmlFrame.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QRgb kThesaurusSkin = qRgb(0, 96, 0);
const QRgb kFindButton = qRgb(250, 200, 0);

QByteArray bmp(const QImage& img) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return bytes;
}

QImage solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QStringList thesaurusDescription() {
    return {"title=Тезаурус",
            "minimize",
            "vx=250",
            "vy=5",
            "fn1=mn.bmp",
            "fn2=mh.bmp",
            "fn3=mp.bmp",
            "hint=smaller",
            "wav=no",
            "close",
            "vx=275",
            "vy=5",
            "fn1=cn.bmp",
            "fn2=ch.bmp",
            "fn3=cp.bmp",
            "hint=leave",
            "wav=no",
            "[1] button",
            "vx=200",
            "vy=170",
            "fn1=tf.bmp",
            "fn2=tf.bmp",
            "fn3=tf.bmp",
            "go=findnext1",
            "hint=find",
            "wav=no",
            "[1] _html",
            "vx=10",
            "vy=30",
            "vw=290",
            "vh=160",
            "fn=start.htm",
            "number=1",
            "[1] _text",
            "vx=10",
            "vy=175",
            "vw=190",
            "font=dejavu sans",
            "size=9",
            "style=bold",
            "color=255,255,255",
            "value=",
            "ident=statusline",
            "number=0",
            "[1] _screen=ts.bmp"};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class TestThesaurus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void windowShowsItsPageOnce();
    void lookupStartsOrHandsOver();
    void lookupInTheThesaurusWindow();

private:
    QString book(const QString& title);
    QTemporaryDir m_tmp;
    int m_books = 0;
    FakeShell m_shell;
};

void TestThesaurus::initTestCase() {
    QVERIFY(m_tmp.isValid());
    TSettingsStore::setLocation(m_tmp.filePath("settings"));
    TShell::setInstance(&m_shell);
}

void TestThesaurus::cleanup() {
    m_shell.instances.clear();
}

QString TestThesaurus::book(const QString& title) {
    const QString dir = m_tmp.filePath(QString("book%1/run").arg(++m_books));
    QDir().mkpath(dir);
    PackWriter pack;
    QString error;
    pack.add("Struct.cfs", cfs::encode(testbook::description(title)), &error);
    pack.add("Tesaurus.cfs", cfs::encode(thesaurusDescription()), &error);
    QHash<QString, QImage> pictures = testbook::pictures();
    pictures["ts.bmp"] = solid(300, 200, kThesaurusSkin);
    pictures["tf.bmp"] = solid(60, 20, kFindButton);
    for (auto it = pictures.begin(); it != pictures.end(); ++it)
        pack.add(it.key(), bmp(it.value()), &error);
    if (!pack.write(dir + "/Dod.dhl", &error))
        qWarning() << error;
    writeFile(dir + "/start.htm", "<html><body><p>Start</p></body></html>");
    writeFile(dir + "/g.htm", "<html><body><h1>Glossary</h1><a name=\"cool\"></a>"
                              "<p>Coolant</p></body></html>");
    writeFile(dir + "/page.htm", cp1251::fromUnicode(QStringLiteral(
                                     u"<html><head><meta charset=\"windows-1251\"></head><body>"
                                     u"<p>Залейте Антифриз до метки.</p></body></html>")));
    writeFile(dir + "/tezaurus.idx",
              cp1251::fromUnicode(QStringLiteral(u"словарь~g.htm#top\r\nантифриз~g.htm#cool\r\n"
                                                 u"пропавш~nowhere.htm\r\n")));
    return dir;
}

void TestThesaurus::windowShowsItsPageOnce() {
    const QString dir = book("Glossary");
    const QString page = BookPaths::fromNative(dir) + "\\g.htm#cool";
    TMainForm form;
    QCOMPARE(form.FormCreate(dir, {page, "/t"}), std::nullopt);
    QVERIFY(form.thesaurusMode());
    QCOMPARE(form.windowTitle(), QStringLiteral(u"Тезаурус"));
    QVERIFY(form.isVisible());
    // The skin of its own description, its buttons drawn on it.
    QCOMPARE(form.size(), QSize(300, 200));
    const QImage shot = form.grab().toImage();
    QCOMPARE(shot.pixel(5, 195), kThesaurusSkin);
    QCOMPARE(shot.pixel(210, 175), kFindButton);
    QVERIFY(form.elements()->buttons().size() == 3); // find, minimize, close
    // The page of the command line in place of the description's own.
    TFrameViewer* viewer = form.reading()->frame()->CurrentViewer();
    QVERIFY(viewer && viewer->isVisible());
    QVERIFY2(viewer->currentFile().endsWith("g.htm"), qPrintable(viewer->currentFile()));
    QCOMPARE(viewer->geometry(), QRect(10, 30, 280, 130));
    QCOMPARE(form.statusLine() != nullptr, true);

    // A second "/t" start ends at once, quietly, showing nothing.
    {
        TMainForm second;
        QCOMPARE(second.FormCreate(dir, {BookPaths::fromNative(dir) + "\\start.htm", "/t"}),
                 std::optional<int>(0));
        QVERIFY(!second.isVisible());
    }
    // The thesaurus window closes at once (no closing animation).
    QVERIFY(form.close());
    QVERIFY(!form.isVisible());
    QCOMPARE(form.state(), TMainForm::State::Running);
}

void TestThesaurus::lookupStartsOrHandsOver() {
    const QString dir = book("Lookup");
    const QString base = BookPaths::fromNative(dir) + "\\";
    TMainForm form;
    QCOMPARE(form.FormCreate(dir, {}), std::nullopt);
    form.SwitchScreen(1, QString());
    TThesaurusOpener* opener = form.thesaurus();
    QVERIFY(opener);

    // No word selected: the thesaurus's start page, its anchor kept, in a
    // new "/t" copy of this book.
    form.Dispatch("tesaurus", QString(), false, 0, 0);
    QCOMPARE(m_shell.instances.size(), 1);
    QCOMPARE(m_shell.instances[0],
             (QStringList{"--book", BookPaths::toNative(base), base + "g.htm#top", "/t"}));

    // A selected word: its page, anchor and all (Shift+T).
    THTMLViewer* page = form.reading()->frame()->CurrentViewer()->activeViewer();
    QVERIFY(page);
    page->selectAll();
    QVERIFY(page->selectedText().contains(QStringLiteral(u"Антифриз")));
    QTest::keyClick(&form, Qt::Key_T, Qt::ShiftModifier);
    QCOMPARE(m_shell.instances.size(), 2);
    QCOMPARE(m_shell.instances[1][2], base + "g.htm#cool");

    // A running thesaurus window takes the page: no new copy.
    QStringList handed;
    opener->sendToThesaurusWindow = [&](const QString& p) {
        handed << p;
        return true;
    };
    QCOMPARE(opener->OpenThesaurus(QStringLiteral(u"  АНТИФРИЗ ")), base + "g.htm#cool");
    QCOMPARE(handed, QStringList{base + "g.htm#cool"});
    QCOMPARE(m_shell.instances.size(), 2);

    // None answers: a new copy again.
    opener->sendToThesaurusWindow = [](const QString&) { return false; };
    QCOMPARE(opener->OpenThesaurus(QString()), base + "g.htm#top");
    QCOMPARE(m_shell.instances.size(), 3);

    // A word the index does not know, or a page the book lacks: nothing starts.
    QCOMPARE(opener->OpenThesaurus("carburettor"), QString());
    QCOMPARE(opener->OpenThesaurus(QStringLiteral(u"пропавшие")), QString());
    QCOMPARE(m_shell.instances.size(), 3);

    // A book without tezaurus.idx: the verb does nothing.
    QVERIFY(QFile::remove(dir + "/tezaurus.idx"));
    form.Dispatch("tesaurus", QString(), false, 0, 0);
    QCOMPARE(m_shell.instances.size(), 3);
}

void TestThesaurus::lookupInTheThesaurusWindow() {
    // Shift+T in the thesaurus window itself opens the page there.
    const QString dir = book("Inside");
    const QString base = BookPaths::fromNative(dir) + "\\";
    // The window of the first case is gone, and with it its key: this one runs.
    TMainForm form;
    QCOMPARE(form.FormCreate(dir, {base + "start.htm", "/t"}), std::nullopt);
    TFrameViewer* viewer = form.reading()->frame()->CurrentViewer();
    QVERIFY(viewer->currentFile().endsWith("start.htm"));
    QTest::keyClick(&form, Qt::Key_T, Qt::ShiftModifier);
    QVERIFY(m_shell.instances.isEmpty());
    QVERIFY2(form.reading()->frame()->CurrentViewer()->currentFile().endsWith("g.htm"),
             qPrintable(viewer->currentFile()));
}

QTEST_MAIN(TestThesaurus)
#include "tst_thesaurus.moc"
