#include "FakeShell.h"

#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "data/SettingsStore.h"
#include "data/TreeDescription.h"
#include "engine/TFileSource.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "platform/Busy.h"
#include "platform/Cp1251.h"
#include "reader/TFindTxtHtml.h"
#include "reader/THtmlFrame.h"
#include "reader/TPanelBkgrd.h"
#include "reader/TTreeSet.h"
#include "skin/TScaleBar.h"
#include "skin/TStatusLine.h"
#include "skin/TTextMsg.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kEnterWord = QString::fromUtf16(TFindTxtHtml::kEnterWord);
const QString kNotFound = QString::fromUtf16(TFindTxtHtml::kNotFound);

RFindTxt fieldRow(int number, int vx, int vy, const QString& frame = {}) {
    RFindTxt r;
    r.vx = vx, r.vy = vy, r.vw = vx + 200, r.vh = vy + 20;
    r.number = number;
    r.frame = frame;
    r.hint = QStringLiteral("hint %1").arg(number);
    return r;
}

// A book in a temporary folder ("run" below it is the base directory): pages
// on disk or in an interface.dat, one content frame on a window, a status
// line, and the search with two fields.
struct Book {
    QTemporaryDir dir;
    ContentArchive archive;
    TArchiveSource source{archive};
    BookPaths paths{dir.filePath(QStringLiteral("run"))};
    QWidget window;
    TTextMsg* texts = nullptr;
    TStatusLine* status = nullptr;
    std::unique_ptr<THtmlFrame> frame;
    std::unique_ptr<TFindTxtHtml> search;
    std::unique_ptr<TPanelBkgrd> panel;
    std::unique_ptr<TTreeSet> trees;

    Book() {
        QDir().mkpath(dir.filePath(QStringLiteral("run")));
        BookPaths::setCurrent(paths);
        archive.setRootPrefix(paths.bookRoot());
        window.resize(800, 600);
        RText line;
        line.ident = QStringLiteral("statusline");
        texts = new TTextMsg(
            {line}, &window, [] { return 0; }, &window);
        status = new TStatusLine(texts, &window);
    }
    QString page(const QString& name) const { return paths.baseDir() + name; }
    // Pages and index files are code page 1251, as a book ships them.
    void write(const QString& name, const char* utf8) {
        writeBytes(name, cp1251::fromUnicode(QString::fromUtf8(utf8)));
    }
    void writeBytes(const QString& name, const QByteArray& bytes) {
        const QString native = dir.filePath(QStringLiteral("run/") + name);
        QDir().mkpath(QFileInfo(native).path());
        QFile f(native);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Opens the frame on `first` and creates the fields.
    void open(const QString& first,
              const TDynamicFindTxtArray& rows = {fieldRow(1, 20, 44), fieldRow(2, 20, 70)}) {
        RHtml h;
        h.vx = 0, h.vy = 100, h.vw = 600, h.vh = 500, h.fn = page(first), h.number = 1;
        frame = std::make_unique<THtmlFrame>(&window, &source, QStringLiteral("FindBook"));
        frame->Create({h});
        search = std::make_unique<TFindTxtHtml>(&window, frame.get());
        search->setBook(&archive, &source, &paths);
        search->setStatusLine(status);
        search->Create(rows);
        window.show();
    }
    // The contents tree of `lines` in a reading panel, following the frame.
    void addTrees(const QStringList& lines) {
        panel = std::make_unique<TPanelBkgrd>(&window);
        TTreeHost host;
        host.currentPage = [this] { return shown(); };
        host.expandLink = [this](const QString& l) { return page(l); };
        host.viewerVisible = [] { return true; };
        host.baseDir = [this] { return paths.baseDir(); };
        trees = std::make_unique<TTreeSet>(panel.get(), TreeDescription::parse(lines), false,
                                           QList<RTreeItem>{}, host);
        trees->showTreeOnScreen(1);
        search->setTrees(trees.get());
    }
    THTMLViewer* viewer() const { return frame->CurrentViewer()->activeViewer(); }
    QString shown() const { return frame->CurrentViewer()->currentFile(); }
    QString selected() const { return viewer()->selectedText(); }
    QString message() const { return status->message(); }
    void find(const QString& text, int number = 1) {
        search->fieldByNumber(number)->setText(text);
        search->FindNext(number);
    }
};

} // namespace

class TstFindTxtHtml : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    FakeShell m_shell;

private slots:
    void initTestCase() {
        TSettingsStore::setLocation(m_settings.path());
        TShell::setInstance(&m_shell);
    }
    void cleanupTestCase() { TShell::setInstance(nullptr); }
    void init() { m_shell.messages.clear(); }

    void fieldsTakeTheirElement() {
        Book b;
        b.write("a.htm", "a");
        b.open("a.htm", {fieldRow(1, 20, 44)});
        QLineEdit* f = b.search->field(0);
        QCOMPARE(f->parentWidget(), &b.window);
        QCOMPARE(f->geometry(), QRect(20, 44, 200, 20));
        QCOMPARE(f->font().pixelSize(), 19);
        QVERIFY(!f->hasFrame());
        QVERIFY(f->isHidden());
        // In the main window the fields wait for the dialog; in the thesaurus
        // window they show on their screen.
        b.search->ShowFieldsOfScreen(0);
        QVERIFY(f->isHidden());
        b.search->setThesaurusWindow(true);
        b.search->ShowFieldsOfScreen(0);
        QVERIFY(f->isVisible());
        QSignalSpy moves(b.search.get(), &TFindTxtHtml::skinMouseMove);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), f->mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f, &move);
        QCOMPARE(moves.size(), 1);
        QCOMPARE(moves.last(), (QList<QVariant>{-1, -1}));
        b.search->HideFields(true);
        QVERIFY(f->isHidden());
        b.search->HideFields(false);
        QVERIFY(f->isVisible());
        b.search->ShowFieldsOfScreen(1);
        QVERIFY(f->isHidden());
    }

    void spacesAreFoldedBeforeTheSearch() {
        Book b;
        b.write("a.htm", "<p>Проверить двигатель масло и фильтр</p>");
        b.open("a.htm");
        b.find(QStringLiteral("  двигатель   масло "));
        QCOMPARE(b.search->fieldByNumber(1)->text(), QStringLiteral("двигатель масло"));
        QCOMPARE(b.selected(), QStringLiteral("двигатель масло"));
        QVERIFY(b.search->IsIdle());
    }

    void pageSearchWrapsWithinThePage() {
        Book b;
        b.write("a.htm", "<p>Клапан впуска</p><p>и второй <i>клапан</i> здесь</p>");
        b.write("b.htm", "клапан"); // other pages are not searched without the flag
        b.open("a.htm");
        b.find(QStringLiteral("клапан"));
        const int first = b.viewer()->selStart();
        QCOMPARE(b.selected(), QStringLiteral("Клапан"));
        b.search->FindNext(1);
        const int second = b.viewer()->selStart();
        QVERIFY(second > first);
        QCOMPARE(b.selected(), QStringLiteral("клапан"));
        b.search->FindNext(1);
        QCOMPARE(b.viewer()->selStart(), first);
        QCOMPARE(b.message(), QString());
        QCOMPARE(b.shown(), b.page("a.htm"));
        QCOMPARE(b.search->position(), -1);

        // Case flag on: only the small letters match.
        b.search->setCaseSensitive(true);
        b.search->FindNext(1);
        QCOMPARE(b.viewer()->selStart(), second);
        b.search->setCaseSensitive(false);

        // A missing word: said on the status line, the selection stays.
        b.find(QStringLiteral("поршень"));
        QCOMPARE(b.message(), kNotFound);
        QCOMPARE(b.viewer()->selStart(), second);
        QCOMPARE(b.selected(), QStringLiteral("клапан"));
        // Typing clears the message.
        b.search->fieldByNumber(1)->setText(QStringLiteral("п"));
        QCOMPARE(b.message(), QString());
    }

    void allPagesGoOnIntoTheNextPageThatHasTheWord() {
        Book b;
        b.write("a.htm", "<p>ремень на первой</p>");
        b.write("b.htm", "<p>ничего</p>");
        b.write("c.htm", "<p>тут ре<b>мень</b></p>");
        b.write("sub/d.htm", "<p>и здесь ремень</p>");
        b.open("a.htm");
        b.search->SetScope(true);
        b.find(QStringLiteral("ремень"));
        QCOMPARE(b.shown(), b.page("a.htm"));
        b.search->FindNext(1);
        QCOMPARE(b.shown(), b.page("c.htm"));
        QCOMPARE(b.selected(), QStringLiteral("ремень"));
        QVERIFY(!busy::isBusy());
        b.search->FindNext(1);
        QCOMPARE(b.shown(), b.page("sub\\d.htm"));
        QCOMPARE(b.selected(), QStringLiteral("ремень"));
        // Past the last page: nothing is said, the page stays.
        b.search->FindNext(1);
        QCOMPARE(b.shown(), b.page("sub\\d.htm"));
        QCOMPARE(b.message(), QString());
        QCOMPARE(b.search->position(), -1);
        QVERIFY(b.search->startPage().isEmpty());
        // ... and the next search starts over.
        b.search->FindNext(1);
        QCOMPARE(b.shown(), b.page("a.htm"));
        QCOMPARE(b.selected(), QStringLiteral("ремень"));
        QVERIFY(b.search->IsIdle());
    }

    void stopRequestKeepsThePlaceInTheList() {
        Book b;
        b.write("a.htm", "<p>шланг в начале</p>");
        b.write("b.htm", "<p>первый</p>");
        b.write("c.htm", "<p>шланг</p>");
        b.open("b.htm");
        b.search->SetScope(true);
        // The stop button is pressed while the first page of the list waits.
        QMetaObject::invokeMethod(
            &b.window, [&b] { b.search->runFindCommand(1); }, Qt::QueuedConnection);
        b.find(QStringLiteral("шланг"));
        QCOMPARE(b.shown(), b.page("b.htm"));
        QCOMPARE(b.search->position(), -1);
        QVERIFY(b.search->IsIdle() && !busy::isBusy());
        QCOMPARE(b.message(), QString());
        // The next search takes up the list where the stop left it: the page
        // not searched then comes first.
        b.search->FindNext(1);
        QCOMPARE(b.shown(), b.page("a.htm"));
        QCOMPARE(b.search->position(), 0);
        b.search->FindNext(1);
        QCOMPARE(b.shown(), b.page("c.htm"));
    }

    void allPagesTakeTheArchivePagesToo() {
        Book b;
        b.write("a.htm", "<p>начало</p>");
        ArchiveWriter w;
        QVERIFY(w.addFile(QStringLiteral("run\\a.htm"), "<p>начало</p>"));
        QVERIFY(w.addFile(QStringLiteral("run\\z.htm"), cp1251::fromUnicode(QStringLiteral(
                                                            "<p>только в архиве: сцепление</p>"))));
        QVERIFY(w.write(b.dir.filePath(QStringLiteral("run/interface.dat"))));
        QVERIFY(b.archive.open(b.dir.filePath(QStringLiteral("run/interface.dat"))));
        b.archive.setRootPrefix(b.paths.bookRoot());
        b.open("a.htm");
        b.search->SetScope(true);
        b.find(QStringLiteral("сцепление"));
        QCOMPARE(b.shown().toLower(), b.page("z.htm").toLower());
        QCOMPARE(b.selected(), QStringLiteral("сцепление"));
        // Each page once: the disk's a.htm, then the archive's z.htm.
        QCOMPARE(b.search->pageList(0).size(), 2);
    }

    void namedFrameOfAFrameSet() {
        Book b;
        b.write("f.htm", "<frameset cols='50%,50%'><frame name=toc src=t.htm>"
                         "<frame name=main src=m.htm></frameset>");
        b.write("t.htm", "<p>шкив в оглавлении</p>");
        b.write("m.htm", "<p>Текст: снять шкив</p>");
        b.open("f.htm", {fieldRow(1, 0, 0, QStringLiteral("MAIN")), fieldRow(2, 0, 30)});
        TFrameViewer* fv = b.frame->CurrentViewer();
        QVERIFY(fv->isFrameSet());
        b.find(QStringLiteral("шкив"));
        QCOMPARE(fv->frameViewer("main")->selectedText(), QStringLiteral("шкив"));
        QCOMPARE(fv->frameViewer("toc")->selLength(), 0);
    }

    void emptyTextInEveryMode() {
        Book b;
        b.write("a.htm", "a");
        b.open("a.htm");
        QSignalSpy results(b.search.get(), &TFindTxtHtml::resultsReady);
        for (int mode = 0; mode < 3; ++mode) {
            if (mode == 1)
                b.search->setBookMode();
            if (mode == 2)
                b.search->setContentsMode();
            b.status->clear();
            b.find(QStringLiteral("   "));
            QCOMPARE(b.message(), kEnterWord);
            QVERIFY(b.search->IsIdle());
        }
        QVERIFY(results.isEmpty());
        QVERIFY(m_shell.messages.isEmpty());
    }

    void enterAndKeysInTheFields() {
        Book b;
        b.write("a.htm", "<p>гайка и ещё ~ гайка</p>");
        b.open("a.htm");
        QLineEdit* first = b.search->field(0);
        QLineEdit* second = b.search->field(1);
        second->setText(QStringLiteral("гайка"));
        QTest::keyClick(second, Qt::Key_Return);
        QCOMPARE(b.viewer()->selLength(), 0);
        QCOMPARE(b.message(), QString());
        first->setText(QStringLiteral("гайка"));
        QTest::keyClick(first, Qt::Key_Return);
        QCOMPARE(b.selected(), QStringLiteral("гайка"));
        // While busy no key reaches a field.
        busy::setBusy(true);
        QTest::keyClicks(first, QStringLiteral("xy"));
        busy::setBusy(false);
        QCOMPARE(first->text(), QStringLiteral("гайка"));

        // The thesaurus window: its entry ("~ " + word) first, once; Enter in
        // a page reaches the visible fields.
        b.viewer()->setSelection(0, 0);
        b.search->setThesaurusWindow(true);
        b.search->ShowFieldsOfScreen(0);
        first->setText(QStringLiteral("гайк"));
        first->setText(QStringLiteral("гайка"));
        b.search->pressEnterInFields();
        QCOMPARE(b.selected(), QStringLiteral("~ гайка"));
        b.search->pressEnterInFields();
        QCOMPARE(b.viewer()->selStart(), 0); // wrapped to the first one
    }

    void treeCaptions() {
        Book b;
        b.write("a.htm", "a");
        b.open("a.htm");
        b.addTrees({QStringLiteral(u"p1.htm;Двигатель"),
                    QStringLiteral(u"\tp2.htm;Масло двигателя"),
                    QStringLiteral(u"p3.htm;Тормоза")});
        b.search->setContentsMode();
        QSignalSpy opened(b.trees.get(), &TTreeSet::openPage);
        TTreeViews* tree = b.trees->tree1();
        b.find(QStringLiteral("двиг"));
        QCOMPARE(tree->focusedItem(), 0);
        b.search->FindNext(1);
        QCOMPARE(tree->focusedItem(), 1);
        b.search->FindNext(1);
        QCOMPARE(tree->focusedItem(), 0);
        b.find(QStringLiteral("тормоз"));
        QCOMPARE(tree->focusedItem(), 2);
        b.search->FindNext(1); // a full turn: the same item
        QCOMPARE(tree->focusedItem(), 2);
        QVERIFY(!opened.isEmpty());
        QVERIFY(opened.last().at(0).toString().endsWith(QStringLiteral("p3.htm")));
        b.find(QStringLiteral("руль"));
        QCOMPARE(b.message(), kNotFound);
        QCOMPARE(tree->focusedItem(), 2);
        // The page search is untouched by the tree's mode.
        QCOMPARE(b.viewer()->selLength(), 0);
    }

    void bookFallbackStopsOnRequest() {
        Book b;
        b.write("a.htm", "<p>start</p>");
        ArchiveWriter w;
        QByteArray files;
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("p%1.htm").arg(i, 2, 10, QLatin1Char('0'));
            QVERIFY(w.addFile(QStringLiteral("run\\") + name,
                              cp1251::fromUnicode(QStringLiteral("<p>кронштейн</p>"))));
            files += name.toLatin1() + "#:#T" + QByteArray::number(i) + "\r\n";
        }
        QVERIFY(w.write(b.dir.filePath(QStringLiteral("run/interface.dat"))));
        QVERIFY(b.archive.open(b.dir.filePath(QStringLiteral("run/interface.dat"))));
        b.archive.setRootPrefix(b.paths.bookRoot());
        b.writeBytes("files.idx", files); // keywords.idx and index.idx are missing
        b.open("a.htm");
        TScaleBar bar(nullptr, [] { return 1; });
        b.search->setScaleBar(&bar);
        b.search->setBookMode();
        QSignalSpy results(b.search.get(), &TFindTxtHtml::resultsReady);
        QSignalSpy idle(b.search.get(), &TFindTxtHtml::idleChanged);

        // A click on the stop button arrives while the pages are searched:
        // five turns of the event loop later.
        int turns = 0;
        std::function<void()> tick = [&] {
            if (++turns == 5)
                b.search->runFindCommand(1);
            else
                QMetaObject::invokeMethod(&b.window, tick, Qt::QueuedConnection);
        };
        QMetaObject::invokeMethod(&b.window, tick, Qt::QueuedConnection);
        b.find(QStringLiteral("кронштейн"));

        QCOMPARE(m_shell.messages, QStringList{QStringLiteral("Индескный(е) файл(ы) не найден")});
        QCOMPARE(turns, 5);
        QCOMPARE(results.size(), 1);
        const QStringList found = results[0][0].toStringList();
        QVERIFY2(!found.isEmpty() && found.size() < 40, qPrintable(QString::number(found.size())));
        QCOMPARE(results[0][1].toStringList().first(), QStringLiteral("T0"));
        QVERIFY(b.search->IsIdle());
        QVERIFY(!busy::isBusy());
        QCOMPARE(idle.first().at(0).toBool(), false);
        QCOMPARE(bar.column(), TScaleBar::kX);
        QCOMPARE(b.shown(), b.page("a.htm"));
        QCOMPARE(b.search->bookPageList(0).size(), 40); // kept for the next search

        // Not stopped: every page.
        b.search->FindNext(1);
        QCOMPARE(results.last()[0].toStringList().size(), 40);
    }

    void resultOpensItsPageAndSelectsTheWord() {
        Book b;
        b.write("a.htm", "<p>начало</p>");
        b.write("b.htm", "<p>Снять <b>Втулку</b>, затем втулку</p>");
        b.write("keywords.idx", "болт\r\nвтулку\r\n");
        b.write("index.idx", "1\r\n2\r\n");
        b.write("files.idx", "a.htm#:#Начало\r\nb.htm#:#Втулки\r\n");
        b.open("a.htm");
        b.addTrees({QStringLiteral(u"a.htm;Начало"), QStringLiteral(u"b.htm;Втулки")});
        b.search->setBookMode();
        QSignalSpy results(b.search.get(), &TFindTxtHtml::resultsReady);
        b.find(QStringLiteral("ВТУЛКУ"));
        QCOMPARE(results.size(), 1);
        QCOMPARE(results[0][1].toStringList(), QStringList{QStringLiteral("Втулки")});
        QVERIFY(m_shell.messages.isEmpty());
        b.search->OpenResult(0);
        QCOMPARE(b.shown().toLower(), b.page("b.htm").toLower());
        QCOMPARE(b.trees->tree1()->focusedItem(), 1);
        QCOMPARE(b.selected(), QStringLiteral("Втулку"));
        QVERIFY(b.search->bookMode());
        b.search->OpenResult(0); // the same page: the next occurrence
        QCOMPARE(b.selected(), QStringLiteral("втулку"));
        b.search->OpenResult(7); // no such result
        QCOMPARE(b.selected(), QStringLiteral("втулку"));
    }

    void longAndForeignTextsEndCleanly() {
        Book b;
        b.write("a.htm", "<p>обычный текст</p>");
        b.open("a.htm");
        b.find(QString(10000, QLatin1Char('x')));
        QCOMPARE(b.message(), kNotFound);
        QVERIFY(b.search->IsIdle());
        QCOMPARE(b.viewer()->selLength(), 0);
        b.search->setBookMode();
        QSignalSpy results(b.search.get(), &TFindTxtHtml::resultsReady);
        b.find(QStringLiteral("汽车 ремонт"));
        QCOMPARE(results.size(), 1);
        QCOMPARE(b.message(), kNotFound);
        QVERIFY(m_shell.messages.isEmpty()); // no index search for it
        QVERIFY(!busy::isBusy());
    }
};

QTEST_MAIN(TstFindTxtHtml)
#include "tst_findtxthtml.moc"
