// The search fields in the windows: the main window's search verbs and its
// fields waiting for the dialog; the thesaurus window's field, find button
// and Enter in its page.
#include "../reader/FakeShell.h"
#include "TestBook.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "data/PackWriter.h"
#include "data/SettingsStore.h"
#include "data/StringUtils.h"
#include "dialogs/TCoolDialog.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "platform/Cp1251.h"
#include "reader/TFindTxtHtml.h"
#include "reader/THtmlFrame.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList findField(int screen, int vx, int vy) {
    return {QStringLiteral("[%1] _findtxt").arg(screen),
            QStringLiteral("vx=%1").arg(vx),
            QStringLiteral("vy=%1").arg(vy),
            QStringLiteral("vw=%1").arg(vx + 150),
            QStringLiteral("vh=%1").arg(vy + 18),
            "frame=",
            "nofiles=[]",
            "number=1",
            "hint=word"};
}

QByteArray bmp(const QImage& img) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return bytes;
}

QStringList thesaurusDescription() {
    QStringList d{"title=Тезаурус", "[1] button", "vx=200",       "vy=170",    "fn1=bn.bmp",
                  "fn2=bh.bmp",     "fn3=bp.bmp", "go=findnext1", "hint=find", "wav=no",
                  "[1] _html",      "vx=10",      "vy=30",        "vw=290",    "vh=140",
                  "fn=start.htm",   "number=1"};
    d << findField(1, 10, 150) << "[1] _screen=skin1.bmp";
    return d;
}

// Dialog.cfs: the message box (1) and the search page (2) with its button.
QStringList dialogDescription() {
    QStringList d;
    for (int n = 1; n <= 2; ++n)
        d << QStringLiteral("[%1] _picture=dlg%1.bmp").arg(n) << QStringLiteral("[%1] _text").arg(n)
          << "vx=10"
          << "vy=10"
          << "vw=390"
          << "font=liberation sans"
          << "size=9"
          << "style="
          << "color=255,255,255"
          << "value=" << QStringLiteral("[%1] _button").arg(n) << "vx=300"
          << "vy=40"
          << "align=left"
          << "fn1=bn.bmp"
          << "fn2=bh.bmp"
          << "fn3=bp.bmp" << (n == 2 ? "go=findnext1" : "go=ok") << "hint=go"
          << "wav=no";
    return d;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class TestSearchHost : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        TSettingsStore::setLocation(m_tmp.filePath("settings"));
        TShell::setInstance(&m_shell);
    }
    void cleanupTestCase() { TShell::setInstance(nullptr); }
    void mainWindowVerbsAndFields();
    void thesaurusWindowFindsWithItsField();
    void searchDialogListsAndOpensResults();

private:
    QString book(const QString& title, bool withDialog = false);
    QTemporaryDir m_tmp;
    int m_books = 0;
    FakeShell m_shell;
};

QString TestSearchHost::book(const QString& title, bool withDialog) {
    const QString dir = m_tmp.filePath(QString("book%1/run").arg(++m_books));
    QDir().mkpath(dir);
    QStringList main = testbook::description(title);
    // The field of the reading screen, before that screen's own line.
    const QStringList field = findField(2, 20, 44);
    for (qsizetype i = 0; i < field.size(); ++i)
        main.insert(main.size() - 1, field.at(i));
    PackWriter pack;
    QString error;
    pack.add("Struct.cfs", cfs::encode(main), &error);
    pack.add("Tesaurus.cfs", cfs::encode(thesaurusDescription()), &error);
    if (withDialog)
        pack.add("Dialog.cfs", cfs::encode(dialogDescription()), &error);
    QHash<QString, QImage> pictures = testbook::pictures();
    for (int n = 1; n <= 2; ++n) {
        QImage back(400, 250, QImage::Format_RGB32);
        back.fill(qRgb(n, 40, 40));
        pictures[QString("dlg%1.bmp").arg(n)] = back;
    }
    for (auto it = pictures.begin(); it != pictures.end(); ++it)
        pack.add(it.key(), bmp(it.value()), &error);
    if (!pack.write(dir + "/Dod.dhl", &error))
        qWarning() << error;
    writeFile(dir + "/page.htm", "<p>Page one</p>");
    writeFile(dir + "/belt.htm", cp1251::fromUnicode(QStringLiteral(u"<p>Снять ремень ГРМ</p>")));
    writeFile(dir + "/keywords.idx", cp1251::fromUnicode(QStringLiteral(u"ремень\r\n")));
    writeFile(dir + "/index.idx", "1\r\n");
    writeFile(dir + "/files.idx",
              cp1251::fromUnicode(QStringLiteral(u"belt.htm#:#Ремень ГРМ\r\n")));
    writeFile(dir + "/start.htm",
              cp1251::fromUnicode(QStringLiteral(u"<p>Антифриз: смотри статью</p>"
                                                 u"<p>~ антифриз — охлаждающая жидкость</p>")));
    return dir;
}

void TestSearchHost::mainWindowVerbsAndFields() {
    TMainForm form;
    QCOMPARE(form.FormCreate(book("Searcher"), {}), std::nullopt);
    TFindTxtHtml* search = form.textSearch();
    QVERIFY(search);
    QCOMPARE(search->fieldCount(), 1);
    QLineEdit* field = search->field(0);
    QCOMPARE(field->parentWidget(), &form);
    QCOMPARE(field->geometry(), QRect(20, 44, 150, 18));
    // The stored "caseon" switch of screen 1 was replayed at start.
    QVERIFY(search->caseSensitive());
    form.Dispatch("caseoff", QString(), true, 0, 0);
    QVERIFY(!search->caseSensitive());
    form.Dispatch("findtxtall", QString(), true, 0, 0);
    QVERIFY(search->allPages());
    search->setBookMode();
    form.Dispatch("findtxtlimit", QString(), true, 0, 0);
    QVERIFY(!search->allPages());
    QVERIFY(!search->bookMode());
    // On the reading screen the field still waits for the search dialog;
    // without one, findnext and Ctrl+F open nothing.
    form.SwitchScreen(1, QString());
    QVERIFY(field->isHidden());
    form.Dispatch("findnext1", QString(), true, 0, 0);
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(field->isHidden());
    QVERIFY(search->IsIdle());
}

void TestSearchHost::thesaurusWindowFindsWithItsField() {
    const QString dir = book("Glossary");
    TMainForm form;
    QCOMPARE(form.FormCreate(dir, {BookPaths::fromNative(dir) + "\\start.htm", "/t"}),
             std::nullopt);
    TFindTxtHtml* search = form.textSearch();
    QVERIFY(search);
    QLineEdit* field = search->field(0);
    QVERIFY(field->isVisible());
    QCOMPARE(field->parentWidget(), &form);
    QCOMPARE(field->geometry(), QRect(10, 150, 150, 18));
    THTMLViewer* page = form.reading()->frame()->CurrentViewer()->activeViewer();

    // The find button: the entry of the word first.
    field->setText(QStringLiteral(u"антифриз"));
    form.Dispatch("findnext1", "no", false, 0, 0);
    QCOMPARE(page->selectedText(), QStringLiteral(u"~ антифриз"));
    // Enter in the page goes to the field: the next one, wrapping to the top.
    QTest::keyClick(page, Qt::Key_Return);
    QCOMPARE(page->selectedText(), QStringLiteral(u"Антифриз"));
    QCOMPARE(page->selStart(), 0);
    // Enter in the field itself.
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(page->selectedText(), QStringLiteral(u"антифриз"));
    QVERIFY(search->IsIdle());
}

void TestSearchHost::searchDialogListsAndOpensResults() {
    TMainForm form;
    QCOMPARE(form.FormCreate(book("Dialogue", true), {}), std::nullopt);
    TCoolDialog* dialog = form.dialog();
    TFindTxtHtml* search = form.textSearch();
    QVERIFY(dialog && search);
    form.SwitchScreen(1, QString());
    form.Dispatch("caseoff", QString(), true, 0, 0); // the stored switch had it on
    // Ctrl+F on the reading screen: the search page, with the field on it.
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(dialog->searchShown());
    QLineEdit* field = search->field(0);
    QCOMPARE(field->parentWidget(), dialog);
    // Hidden while the dialog fades in, shown when it has.
    QTRY_VERIFY(field->isVisible());

    // The whole book, through its index: one result, listed by title.
    field->setText(QStringLiteral(u"Ремень"));
    dialog->RunVerb("findtxtall", "no");
    QVERIFY(search->bookMode());
    dialog->RunVerb("findnext1", "no");
    QListWidget* list = dialog->resultList();
    QVERIFY(list);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral(u"Ремень ГРМ"));
    QVERIFY(search->IsIdle());

    // A click on it opens the page with the word selected.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    TFrameViewer* viewer = form.reading()->frame()->CurrentViewer();
    QVERIFY2(viewer->currentFile().endsWith("belt.htm"), qPrintable(viewer->currentFile()));
    QCOMPARE(viewer->activeViewer()->selectedText(), QStringLiteral(u"ремень"));
    QVERIFY(search->bookMode());

    // Esc while idle closes the dialog.
    QVERIFY(form.runKey(Qt::Key_Escape, Qt::NoModifier));
    QVERIFY(!dialog->isVisible());
}

QTEST_MAIN(TestSearchHost)
#include "tst_searchhost.moc"
