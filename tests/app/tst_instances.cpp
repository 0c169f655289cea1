// The window's side of the messages between copies: the three record kinds,
// the print-then-delete rule, and closing the other copies' windows.
#include "../reader/FakeShell.h"
#include "TestBook.h"

#include "app/TInstanceMessages.h"
#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "data/SettingsStore.h"
#include "dialogs/TPreviewForm.h"
#include "engine/TFrameViewer.h"
#include "platform/TInstanceLink.h"
#include "platform/TTempFolder.h"
#include "reader/THtmlFrame.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace {

// A window of "another copy": a link served on a thread of its own.
class Copy {
public:
    explicit Copy(const QString& caption, int busyMs = 0) {
        link = new TInstanceLink;
        link->onCloseRequest = [this] { ++closeRequests; };
        link->onRecord = [busyMs](const RCopyRecord&) {
            QThread::msleep(busyMs);
            return RReplyFrame{};
        };
        if (busyMs > 0) // it never gets to the close request in time
            link->onCloseRequest = [this, busyMs] {
                QThread::msleep(busyMs);
                ++closeRequests;
            };
        link->moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(
            link, [this, caption] { link->open(caption, true); }, Qt::BlockingQueuedConnection);
        if (busyMs > 0) // busy: its thread sleeps, so connections go unanswered
            QMetaObject::invokeMethod(link, [busyMs] { QThread::msleep(busyMs); });
    }
    ~Copy() {
        QMetaObject::invokeMethod(
            link, [l = link] { delete l; }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
    TInstanceLink* link;
    QThread thread;
    std::atomic<int> closeRequests{0};
};

RCopyRecord record(RCopyRecord::Kind kind, const QString& text) {
    return RCopyRecord::single(kind, text);
}

} // namespace

class TestInstances : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void showPageInTheMainWindow();
    void isThisDocumentShown();
    void printThenDeleteOnlyOwnTemporaryFiles();
    void closingClosesTheOtherCopies();

private:
    QString book(const QString& title);
    QTemporaryDir m_tmp;
    int m_books = 0;
};

void TestInstances::initTestCase() {
    QVERIFY(m_tmp.isValid());
    TSettingsStore::setLocation(m_tmp.filePath("settings"));
    TInstanceLink::setFolder(m_tmp.filePath("windows"));
}

QString TestInstances::book(const QString& title) {
    const QString dir = m_tmp.filePath(QString("book%1/run").arg(++m_books));
    QString error;
    if (!testbook::write(dir, testbook::description(title), testbook::pictures(), &error))
        qWarning() << error;
    for (const char* name : {"page.htm", "two.htm"}) {
        QFile f(dir + "/" + name);
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray("<html><body><p>") + name + "</p></body></html>");
    }
    return dir;
}

void TestInstances::showPageInTheMainWindow() {
    TMainForm form;
    QCOMPARE(form.FormCreate(book("Pages"), {}), std::nullopt);
    QCOMPARE(form.currentScreen(), 0);
    // Screen 1: the record takes the window to the reading screen with the
    // page; the reply names the window. Sent by caption as another copy does.
    TInstanceLink::RSendResult r = TInstanceLink::SendRecord(
        QStringLiteral("pages"), record(RCopyRecord::ShowPage, "two.htm"));
    QVERIFY(r.reply);
    QCOMPARE(r.reply->message, quint16(1690));
    QCOMPARE(r.reply->handle, form.messages()->link().id());
    QCOMPARE(form.currentScreen(), 1);
    TFrameViewer* viewer = form.reading()->frame()->CurrentViewer();
    QVERIFY(viewer);
    QCOMPARE(viewer->currentFile(), form.paths().baseDir() + "two.htm");
    // Another screen: the page opens in the frame...
    r = TInstanceLink::SendRecord(form.windowTitle(), record(RCopyRecord::ShowPage, "page.htm"));
    QCOMPARE(r.reply->message, quint16(1690));
    QCOMPARE(viewer->currentFile(), form.paths().baseDir() + "page.htm");
    // ...unless it is shown already (letter case aside).
    const qsizetype steps = viewer->history().size();
    form.messages()->CopyData(record(RCopyRecord::ShowPage, "PAGE.htm"));
    QCOMPARE(viewer->history().size(), steps);
    // A climb out of the book stays in the book.
    form.messages()->CopyData(record(RCopyRecord::ShowPage, "..\\..\\..\\two.htm"));
    QVERIFY(viewer->currentFile().startsWith(form.paths().bookRoot()));

    // In the thesaurus window the record's text is the page itself.
    form.setThesaurusInstance(true);
    const RReplyFrame t = form.messages()->CopyData(
        record(RCopyRecord::ShowPage, form.paths().baseDir() + "two.htm"));
    QCOMPARE(t.message, quint16(0));
    QCOMPARE(viewer->currentFile(), form.paths().baseDir() + "two.htm");
}

void TestInstances::isThisDocumentShown() {
    const QString dir = book("Shown");
    TMainForm picture;
    QCOMPARE(picture.FormCreate(dir, {dir + "/page.htm"}), std::nullopt);
    QCOMPARE(picture.windowTitle(), QStringLiteral("Увеличенная картинка"));
    const QString shown = BookPaths::fromNative(dir + "/page.htm");
    QCOMPARE(picture.documentPath(), shown);
    const auto ask = [&](const QString& text, int code = 0) {
        RCopyRecord r = record(RCopyRecord::IsShown, text);
        r.codes[0] = code;
        const RReplyFrame reply = picture.messages()->CopyData(r);
        return reply.message == RReplyFrame::ShownReply ? reply.param : -1;
    };
    QCOMPARE(ask(shown), 1);
    // Exactly that text: other letter case, spaces or another code say no.
    QCOMPARE(ask(shown.toUpper()), 0);
    QCOMPARE(ask(shown + " "), 0);
    QCOMPARE(ask(shown, 1), 0);
    QCOMPARE(ask(BookPaths::fromNative(dir + "/two.htm")), 0);
    QVERIFY(picture.messages()->servingRemote());
    // The picture link's question to the shown picture windows.
    QVERIFY(TInstanceMessages::sendToPictureWindow(shown));
    QVERIFY(!TInstanceMessages::sendToPictureWindow(shown + "#x"));
    // A path too long for a record is not asked about (a new copy shows it).
    QVERIFY(!TInstanceMessages::sendToPictureWindow(QString(300, u'a')));
    // No thesaurus window runs: nothing is sent.
    QVERIFY(!TInstanceMessages::showInThesaurus(shown));
}

void TestInstances::printThenDeleteOnlyOwnTemporaryFiles() {
    const QString dir = book("Print");
    TMainForm form;
    QCOMPARE(form.FormCreate(dir, {dir + "/page.htm"}), std::nullopt);
    FakeShell shell;
    form.reading()->frame()->setShell(&shell);
    const QString html = "<html><body><p>Printed</p></body></html>";
    const auto write = [&](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(html.toUtf8()) > 0;
    };
    // A print request opens the print preview: it prints all sheets and
    // closes.
    QTimer previewer;
    int previews = 0;
    connect(&previewer, &QTimer::timeout, [&] {
        if (auto* preview = qobject_cast<TPreviewForm*>(QApplication::activeModalWidget())) {
            ++previews;
            preview->Print();
            preview->reject();
        }
    });
    previewer.start(20);
    const auto print = [&](const QString& file) {
        RCopyRecord r;
        r.kind = RCopyRecord::PrintFile;
        r.count = 3;
        r.codes = {1, 0, 2};
        r.texts = {"640", file, " 480"};
        return form.messages()->CopyData(r);
    };

    // A file of the program's own temporary folder: printed, then deleted.
    const QString ours = TTempFolder::path() + "/print-request.htm";
    QVERIFY(write(ours));
    shell.pdf = m_tmp.filePath("out1.pdf");
    QCOMPARE(print(ours).message, quint16(0));
    QCOMPARE(form.messages()->remotePrintValue(0), 640);
    QCOMPARE(form.messages()->remotePrintValue(1), 480);
    QTRY_VERIFY(!QFile::exists(ours));
    QVERIFY(QFile::exists(shell.pdf));
    QCOMPARE(previews, 1);
    // Without printers the preview says so (a warning box: this book has no
    // skinned dialog) and prints to a PDF file.
    if (QPrinterInfo::availablePrinters().isEmpty())
        QCOMPARE(shell.messages.count(QStringLiteral("!Не найдено установленных принтеров!")), 1);

    // A file somewhere else (a path text too): printed and kept.
    const QString elsewhere = m_tmp.filePath("keep.htm");
    QVERIFY(write(elsewhere));
    shell.pdf = m_tmp.filePath("out2.pdf");
    print(BookPaths::fromNative(elsewhere));
    QTRY_VERIFY(QFile::exists(shell.pdf));
    QTest::qWait(50);
    QVERIFY(QFile::exists(elsewhere));

    // A link in our folder to a file elsewhere, and a name that only passes
    // through our folder: neither the link nor the file goes.
    const QString link = TTempFolder::path() + "/link.htm";
    QFile::remove(link);
    QVERIFY(QFile::link(elsewhere, link));
    print(link);
    const QString through =
        TTempFolder::path() + "/../" + QFileInfo(m_tmp.path()).fileName() + "/keep.htm";
    print(through);
    QTest::qWait(200);
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(QFile::exists(elsewhere));
    QFile::remove(link);
}

void TestInstances::closingClosesTheOtherCopies() {
    TMainForm form;
    // The book's title is also a help-viewer caption: the window does not
    // ask itself to close.
    QCOMPARE(form.FormCreate(book("Vantrel"), {}), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(!form.openingRunning(), 5000);
    Copy help(QStringLiteral("Помощь")), help2(QStringLiteral("Помощь"));
    Copy thesaurus(QStringLiteral("Тезаурус"));
    Copy diagram1(QStringLiteral("Электросхема")), diagram2(QStringLiteral("ЭЛЕКТРОСХЕМА"));
    Copy viewer(QStringLiteral("Справка: Vantrel"));
    Copy picture1(QStringLiteral("Увеличенная картинка"));
    Copy picture2(QStringLiteral("Увеличенная картинка"));
    Copy silent(QStringLiteral("Увеличенная картинка"), 3000);
    Copy other(QStringLiteral("Другая книга"));
    QElapsedTimer t;
    t.start();
    form.close();
    // One silent copy costs half a second, no more.
    QVERIFY2(t.elapsed() < 2500, qPrintable(QString::number(t.elapsed())));
    QVERIFY(form.closingRunning() || form.state() == TMainForm::State::Terminating);
    for (Copy* c : {&thesaurus, &diagram1, &diagram2, &viewer, &picture1, &picture2})
        QTRY_COMPARE(c->closeRequests.load(), 1);
    // "Помощь" once: one of the two.
    QTRY_COMPARE(help.closeRequests.load() + help2.closeRequests.load(), 1);
    QCOMPARE(other.closeRequests.load(), 0);
}

QTEST_MAIN(TestInstances)
#include "tst_instances.moc"
