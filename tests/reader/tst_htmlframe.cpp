#include "FakeShell.h"

#include "data/BookPaths.h"
#include "data/SettingsStore.h"
#include "engine/TFileSource.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "engine/TQtContainer.h"
#include "reader/TFileCopier.h"
#include "reader/THtmlFrame.h"
#include "reader/TLinkDispatcher.h"
#include "reader/TPanelBkgrd.h"

#include <QClipboard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The content frame on small pages in a temporary folder, read from disk,
// with a recording desktop.
class TstHtmlFrame : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    int m_keys = 0;

    struct Book {
        QTemporaryDir dir;
        TDiskSource source;
        QWidget window;
        FakeShell shell;
        QString path(const QString& name) const { return dir.filePath(name); }
        QString write(const QString& name, const QByteArray& text) {
            const QString p = path(name);
            QDir().mkpath(QFileInfo(p).path());
            QFile f(p);
            f.open(QIODevice::WriteOnly);
            f.write(text);
            return p;
        }
        QByteArray read(const QString& name) const {
            QFile f(path(name));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }
        Book() { window.resize(800, 600); }
    };

    static RHtml row(int l, int t, int r, int b, const QString& fn, int number, int screen) {
        RHtml h;
        h.vx = l, h.vy = t, h.vw = r, h.vh = b, h.fn = fn, h.number = number, h.screen = screen;
        return h;
    }
    QString key() { return QStringLiteral("Book%1").arg(++m_keys); }

private slots:
    void initTestCase() { TSettingsStore::setLocation(m_settings.path()); }

    void navigateMarksVisitedLinks() {
        Book b;
        b.write("a.htm", "<a href=b.htm>B</a>");
        b.write("b.htm", "<a href=b.htm>self</a> <a href=none.htm>none</a>");
        THtmlFrame frame(&b.window, &b.source, key());
        frame.Create({row(0, 0, 400, 300, b.path("a.htm"), 1, 0)});
        TFrameViewer* v = frame.CurrentViewer();
        const auto visited = [v](const char* href) {
            return v->activeViewer()->document()->container()->isVisited(href);
        };
        // The page opened knows itself visited.
        frame.Navigate(b.path("b.htm"));
        QCOMPARE(v->currentFile(), b.path("b.htm"));
        QVERIFY(visited("b.htm"));
        QVERIFY(!visited("none.htm"));
        // A page that cannot be opened leaves the page shown, marked again.
        frame.Navigate(b.path("none.htm"));
        QCOMPARE(v->currentFile(), b.path("b.htm"));
        QVERIFY(visited("none.htm"));
    }

    void elementsOnOneScreenShareAViewer() {
        Book b;
        b.write("a.htm", "<title>A</title>a");
        b.write("b.htm", "b");
        b.write("c.htm", "c");
        THtmlFrame frame(&b.window, &b.source, key());
        QSignalSpy changed(&frame, &THtmlFrame::pageChanged);
        frame.Create({row(10, 20, 410, 320, b.path("a.htm"), 1, 0),
                      row(100, 50, 300, 250, b.path("b.htm"), 2, 0),
                      row(0, 0, 10, 10, b.path("c.htm"), 3, 2)});
        QCOMPARE(frame.viewers().size(), 2);
        TFrameViewer* v = frame.CurrentViewer();
        QVERIFY(v && !v->isHidden());
        QCOMPARE(v->parentWidget(), &b.window);
        QCOMPARE(v->geometry(), QRect(10, 20, 400, 300));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][2].toString(), QStringLiteral("A  "));

        frame.ShowPage(2, QString()); // the start page of element 2
        QCOMPARE(frame.CurrentViewer(), v);
        QCOMPARE(v->geometry(), QRect(100, 50, 200, 200));
        QCOMPARE(v->currentFile(), b.path("b.htm"));
        frame.ShowPage(1, b.path("c.htm"));
        QCOMPARE(v->geometry(), QRect(10, 20, 400, 300));
        QCOMPARE(v->currentFile(), b.path("c.htm"));
        // A page already in the history is stepped to, not loaded again.
        frame.ShowPage(1, b.path("a.htm"));
        QCOMPARE(v->historyModel()->count(), 3);
        QCOMPARE(v->historyIndex(), 2);

        // A page for another screen waits in that screen's hidden viewer.
        frame.ShowPage(3, b.path("a.htm"));
        TFrameViewer* other = frame.viewerOfScreen(2);
        QVERIFY(other->isHidden());
        QCOMPARE(other->currentFile(), b.path("a.htm"));
        QCOMPARE(frame.CurrentViewer(), v);
    }

    void screensReadingPanelAndFill() {
        Book b;
        b.write("a.htm", "<div style='height:3000px'>a</div>");
        b.write("r.htm", "r");
        b.write("s.htm", "s");
        auto* panel = new TPanelBkgrd(&b.window);
        THtmlFrame frame(&b.window, &b.source, key());
        frame.setPanel(panel);
        frame.Create({row(10, 20, 410, 320, b.path("a.htm"), 1, 0),
                      row(40, 40, 200, 200, b.path("r.htm"), 2, 1),
                      row(0, 0, 100, 100, b.path("missing.htm"), 3, 3)});
        TFrameViewer* first = frame.CurrentViewer();
        QVERIFY(frame.viewerOfScreen(1)->isHidden());
        frame.Navigate(b.path("s.htm"));
        frame.Navigate(b.path("a.htm")); // in the history: stepped to
        QCOMPARE(first->historyModel()->count(), 2);
        first->activeViewer()->setPosition(500);

        frame.ShowScreen(1);
        TFrameViewer* reading = frame.CurrentViewer();
        QCOMPARE(reading->parentWidget(), panel);
        QCOMPARE(panel->pane(), reading);
        QVERIFY(!reading->isHidden());
        QVERIFY(first->isHidden());

        // Back on screen 0: no reload of the start page, only a scroll.
        frame.ShowScreen(0);
        QCOMPARE(frame.CurrentViewer(), first);
        QCOMPARE(first->currentFile(), b.path("a.htm"));
        QCOMPARE(first->historyModel()->count(), 2);
        QCOMPARE(first->activeViewer()->position(), 0);
        QVERIFY(reading->isHidden());

        // A start page that cannot be read hides its viewer.
        frame.ShowScreen(3);
        QVERIFY(frame.CurrentViewer()->isHidden());
        // A screen without an element has no current viewer.
        frame.ShowScreen(4);
        QVERIFY(!frame.CurrentViewer());

        // The standard window: the viewer fills the window and follows it.
        frame.ShowScreen(0);
        b.window.show(); // a hidden window gets its resize events only when shown
        frame.FillClient();
        QCOMPARE(first->geometry(), b.window.contentsRect());
        b.window.resize(640, 480);
        QCOMPARE(first->geometry(), QRect(0, 0, 640, 480));
        frame.RestoreBounds();
        QCOMPARE(first->geometry(), QRect(10, 20, 400, 300));
    }

    void pageGroupsPressTheOpeningSwitch() {
        Book b;
        for (const char* n : {"g1.htm", "g1b.htm", "g2.htm", "g2b.htm"})
            b.write(n, n);
        THtmlFrame frame(&b.window, &b.source, key());
        frame.setShell(&b.shell);
        frame.Create({row(0, 0, 300, 300, b.path("g1.htm"), 1, 0)});
        // The html verb: the group first, then the page.
        frame.AddToPageGroup(b.path("g1.htm"));
        frame.ShowPage(1, b.path("g1.htm"));
        frame.Navigate(b.path("g1b.htm"));
        frame.AddToPageGroup(b.path("g2.htm"));
        frame.ShowPage(1, b.path("g2.htm"));
        frame.Navigate(b.path("g2b.htm"));
        QCOMPARE(frame.pageGroups().size(), 2);
        QCOMPARE(frame.pageGroups()[0],
                 b.path("g1.htm") + QStringLiteral("; ") + b.path("g1b.htm").toLower());
        QCOMPARE(frame.currentPageGroup(), 1);

        const QString g1 = "html=1=" + b.path("g1.htm"), g2 = "html=1=" + b.path("g2.htm");
        TDynamicSwthOneArray ones(3);
        ones[0].vx = 5, ones[0].vy = 6, ones[0].on = false, ones[0].godown = g1;
        ones[1].vx = 15, ones[1].vy = 16, ones[1].on = true, ones[1].goup = g1;
        ones[2].vx = 25, ones[2].vy = 26, ones[2].on = true, ones[2].godown = g1; // not its state
        TDynamicSwthGrpArray grps(1);
        grps[0].vx = 50, grps[0].vy = 60, grps[0].go = g2;
        QList<QPoint> pressed;
        connect(&frame, &THtmlFrame::switchPressRequested, this,
                [&](const QPoint& p) { pressed << p; });

        frame.GoBack(ones, grps); // g2b -> g2: same group, its switch again
        QCOMPARE(pressed, QList<QPoint>({QPoint(51, 61)}));
        pressed.clear();
        frame.GoBack(ones, grps); // g2 -> g1b: group 1's switches
        QCOMPARE(frame.CurrentViewer()->currentFile(), b.path("g1b.htm"));
        QCOMPARE(frame.currentPageGroup(), 0);
        QCOMPARE(pressed, QList<QPoint>({QPoint(6, 7), QPoint(16, 17)}));
        pressed.clear();
        frame.GoForward(ones, grps);
        QCOMPARE(pressed, QList<QPoint>({QPoint(51, 61)}));
        frame.GoForward(ones, grps);
        pressed.clear();
        // Nothing newer: a beep and no change.
        frame.GoForward(ones, grps);
        QCOMPARE(b.shell.beeps, 1);
        QVERIFY(pressed.isEmpty());
        QCOMPARE(frame.CurrentViewer()->currentFile(), b.path("g2b.htm"));
    }

    void settingsDefaultsAndWriteBack() {
        Book b;
        b.write("a.htm", "a");
        const QString empty = key();
        {
            THtmlFrame frame(&b.window, &b.source, empty);
            frame.Create({row(0, 0, 100, 100, b.path("a.htm"), 1, 0)});
            const TViewerSettings s = frame.CurrentViewer()->settings();
            QCOMPARE(s.defFontName, QStringLiteral("Arial"));
            QCOMPARE(s.defFontColor, QColor(Qt::black));
            QCOMPARE(s.defFontSize, 8);
            QCOMPARE(s.defHotSpotColor, QColor(0x66, 0x33, 0x00));
            QCOMPARE(s.defBackground, QColor(Qt::white));
            // The font dialog's values reach the viewers and, at the end, the store.
            frame.FontDialog = [](RHtmlFonts& f) {
                f.fontSize = 12;
                f.hotSpotColor = 0x0000FF; // red
                return true;
            };
            frame.ChooseFont();
            QCOMPARE(frame.CurrentViewer()->settings().defHotSpotColor, QColor(Qt::red));
        }
        TSettingsStore store(empty);
        QCOMPARE(store.readInt("FontSize"), std::optional<int>(12));
        QCOMPARE(store.readInt("HotSpotColor"), std::optional<int>(0xFF));
        QCOMPARE(store.readText("FontName"), std::optional<QString>("Arial"));

        const QString bad = key();
        TSettingsStore damaged(bad);
        damaged.writeText("FontName", "");
        damaged.writeText("FontColor", "blue");
        damaged.writeText("FontSize", "1e99");
        damaged.writeInt("Background", 0x00FF00);
        THtmlFrame frame(&b.window, &b.source, bad);
        frame.Create({row(0, 0, 100, 100, b.path("a.htm"), 1, 0)});
        const TViewerSettings s = frame.CurrentViewer()->settings();
        QCOMPARE(s.defFontName, QStringLiteral("Arial"));
        QCOMPARE(s.defFontColor, QColor(Qt::black));
        QCOMPARE(s.defFontSize, 8);
        QCOMPARE(s.defBackground, QColor(0, 0xFF, 0));
    }

    void copyingAsksAndReportsFailures() {
        Book b;
        b.write("f.txt", "new");
        b.write("p.htm", "<a href='copy:f.txt'>f</a>");
        b.write("p.files/img/x.gif", "GIF");
        b.write("out/f.txt", "old");
        THtmlFrame frame(&b.window, &b.source, key());
        frame.setShell(&b.shell);
        frame.Create({row(0, 0, 300, 300, b.path("p.htm"), 1, 0)});
        QSignalSpy messages(&frame, &THtmlFrame::statusMessage);
        TLinkDispatcher links(frame);
        bool handled = false;

        // Without a path input box nothing is copied.
        links.click(frame.CurrentViewer(), "", "copy:f.txt", handled);
        QVERIFY(handled);
        QVERIFY(b.shell.questions.isEmpty());

        frame.PathInputFolder = [&] { return b.path("out"); };
        b.shell.yesAnswer = false;
        links.click(frame.CurrentViewer(), "", "copy:f.txt", handled);
        QCOMPARE(b.shell.questions, QStringList({"Файл f.txt уже существует. Заменить?"}));
        QCOMPARE(b.read("out/f.txt"), QByteArray("old"));
        QVERIFY(messages.isEmpty());

        b.shell.yesAnswer = true;
        links.click(frame.CurrentViewer(), "", "copy:f.txt", handled);
        QCOMPARE(b.read("out/f.txt"), QByteArray("new"));
        QCOMPARE(messages.takeFirst()[0].toString(), QStringLiteral("Файл скопирован"));

        // A file that is not there is reported, never called copied.
        frame.CopyToPathBox(b.path("gone.txt"));
        QCOMPARE(messages.takeFirst()[0].toString(),
                 QStringLiteral("Не удалось скопировать файл gone.txt"));
        QVERIFY(!QFile::exists(b.path("out/gone.txt")));
        // So is a destination that cannot be written.
        b.write("blocked", "a file where a folder should be");
        frame.PathInputFolder = [&] { return b.path("blocked/sub"); };
        frame.CopyToPathBox(b.path("f.txt"));
        QCOMPARE(messages.takeFirst()[0].toString(),
                 QStringLiteral("Не удалось скопировать файл f.txt"));

        // The page with its ".files" folder.
        frame.PathInputFolder = [&] { return b.path("dest"); };
        frame.CopyPageFiles();
        QCOMPARE(b.read("dest/p.htm"), b.read("p.htm"));
        QCOMPARE(b.read("dest/p.files/img/x.gif"), QByteArray("GIF"));
        QCOMPARE(messages.takeFirst()[0].toString(), QStringLiteral("Файл скопирован"));
    }

    void blankLinksAndExternalFiles() {
        Book b;
        b.write("a.htm", "a");
        b.write("pic.bmp", "BM");
        BookPaths::setCurrent(BookPaths(b.dir.path()));
        THtmlFrame frame(&b.window, &b.source, key());
        frame.setShell(&b.shell);
        frame.Create({row(0, 0, 300, 300, b.path("a.htm"), 1, 0)});
        TFrameViewer* v = frame.CurrentViewer();
        TLinkDispatcher links(frame);
        bool handled = false;

        // Existence is tested without the anchor; the new copy gets it.
        links.click(v, "_blank", "pic.bmp#zoom", handled);
        QVERIFY(handled);
        QCOMPARE(b.shell.instances.size(), 1);
        QCOMPARE(b.shell.instances[0].first(), QStringLiteral("--book"));
        QCOMPARE(b.shell.instances[0].last(), b.path("pic.bmp#zoom"));
        QVERIFY(v->visited().contains(b.path("pic.bmp#zoom")));
        // A running picture window takes it instead.
        QString sent;
        frame.SendToPictureWindow = [&](const QString& full) {
            sent = full;
            return true;
        };
        links.click(v, "_Blank", "pic.bmp#zoom", handled);
        QCOMPARE(sent, b.path("pic.bmp#zoom"));
        QCOMPARE(b.shell.instances.size(), 1);
        // A missing picture: only marked visited.
        sent.clear();
        links.click(v, "_blank", "none.bmp", handled);
        QVERIFY(sent.isEmpty());
        QVERIFY(v->visited().contains(b.path("none.bmp")));

        links.click(v, "", "http://example.org/", handled);
        QCOMPARE(b.shell.urls, QStringList({"http://example.org/"}));
        links.click(v, "", "setup.exe", handled);
        QCOMPARE(b.shell.programs, QStringList({b.path("setup.exe")}));
        links.click(v, "", "manual.pdf", handled);
        QCOMPARE(b.shell.files, QStringList({b.path("manual.pdf")}));
        QSignalSpy sounds(&frame, &THtmlFrame::soundRequested);
        QSignalSpy rars(&frame, &THtmlFrame::archiveRequested);
        QSignalSpy tree(&frame, &THtmlFrame::treeSelectRequested);
        links.click(v, "", "ding.wav", handled);
        links.click(v, "", "data.rar", handled);
        QCOMPARE(sounds.takeFirst()[0].toString(), b.path("ding.wav"));
        QCOMPARE(rars.first()[0].toString(), b.path("data.rar"));
        QCOMPARE(rars.first()[1].toString(), b.path("a.htm"));
        links.click(v, "", "a.htm", handled);
        QVERIFY(!handled); // the pane loads it
        QCOMPARE(tree.takeFirst()[0].toString(), b.path("a.htm"));

        // A zip is saved where the reader says, and the folder remembered.
        b.write("f.zip", "PK");
        b.shell.saveAnswer = b.path("saved/f.zip");
        links.click(v, "", "f.zip", handled);
        QCOMPARE(b.shell.saveFilter, QStringLiteral("Zip файлы (*.zip)|*.zip|Все файлы (*.*)|*.*"));
        QCOMPARE(b.shell.saveName, QStringLiteral("f.zip"));
        QCOMPARE(b.read("saved/f.zip"), QByteArray("PK"));
        links.click(v, "", "f.zip", handled);
        QCOMPARE(b.shell.saveFolder, b.path("saved"));

        // An archive listing: a missing file is extracted first, then shown.
        frame.setArchiveView(true);
        frame.ExtractListedArchive = [&](const QString& full) { b.write("x.htm", full.toUtf8()); };
        links.click(v, "", "x.htm", handled);
        QVERIFY(handled);
        QCOMPARE(v->currentFile(), b.path("x.htm"));
        QCOMPARE(frame.statusTextFor(v, "", "x.htm"), QString());
    }

    void statusTexts() {
        Book b;
        b.write("a.htm", "a");
        THtmlFrame frame(&b.window, &b.source, key());
        frame.Create({row(0, 0, 300, 300, b.path("a.htm"), 1, 0)});
        TFrameViewer* v = frame.CurrentViewer();
        QCOMPARE(frame.statusTextFor(v, "", "#top"), b.path("a.htm#top"));
        QCOMPARE(frame.statusTextFor(v, "main", "b.htm"),
                 "Url: " + b.path("b.htm") + "  Target: main");
        QCOMPARE(frame.statusTextFor(v, "", "copy:f.txt"), b.path("f.txt"));
        frame.PathInputFolder = [] { return QStringLiteral("/out"); };
        QCOMPARE(frame.statusTextFor(v, "", "copy:f.txt"),
                 "Копирование файла \"" + b.path("f.txt") + "\" в каталог \"/out\"");
        QCOMPARE(frame.statusTextFor(v, "", "mailto:a@b"), QStringLiteral("mailto:a@b"));
        QCOMPARE(frame.statusTextFor(v, "", ""), QString());
    }

    void keysMouseAndListValues() {
        Book b;
        b.write("a.htm", "<form><select name=Serial><option>A-1<option selected>B-2</select>"
                         "<select name=serial size=3><option selected>L</select></form>");
        THtmlFrame frame(&b.window, &b.source, key());
        frame.Create({row(0, 0, 300, 300, b.path("a.htm"), 1, 0)});
        b.window.show();
        THTMLViewer* av = frame.CurrentViewer()->activeViewer();
        QSignalSpy enter(&frame, &THtmlFrame::enterPressed);
        QSignalSpy close(&frame, &THtmlFrame::closePopupsRequested);
        QSignalSpy context(&frame, &THtmlFrame::contextPopupRequested);
        QSignalSpy skin(&frame, &THtmlFrame::skinMouseMoved);
        QTest::keyClick(av, Qt::Key_Return);
        QCOMPARE(enter.size(), 1);
        QTest::mousePress(av->viewport(), Qt::LeftButton, {}, QPoint(200, 200));
        QCOMPARE(close.size(), 1);
        QVERIFY(context.isEmpty());
        QTest::mouseRelease(av->viewport(), Qt::LeftButton, {}, QPoint(200, 200));
        QTest::mousePress(av->viewport(), Qt::RightButton, {}, QPoint(200, 200));
        QCOMPARE(close.size(), 2);
        QCOMPARE(context.size(), 1);
        QCOMPARE(context[0][0].toPoint(), av->viewport()->mapToGlobal(QPoint(200, 200)));
        QTest::mouseMove(av->viewport(), QPoint(210, 210));
        QVERIFY(!skin.isEmpty());
        QCOMPARE(skin.last()[0].toPoint(), QPoint(-1, -1));

        // Only the drop-down list counts, whatever the letter case.
        QSignalSpy messages(&frame, &THtmlFrame::statusMessage);
        frame.CopyListValue("SERIAL");
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("B-2"));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0][0].toString(), QStringLiteral("Серийный номер скопирован"));
    }

    void printsToPdf() {
        Book b;
        QByteArray longPage = "<title>P</title>";
        for (int i = 0; i < 300; ++i)
            longPage += "<p>Line of the service manual text</p>";
        b.write("a.htm", longPage);
        b.write("pic.gif", "not a picture");
        THtmlFrame frame(&b.window, &b.source, key());
        frame.setShell(&b.shell);
        frame.Create({row(0, 0, 300, 300, b.path("a.htm"), 1, 0)});
        QVERIFY(!frame.PrintPage()); // the dialog was cancelled
        b.shell.pdf = b.path("out.pdf");
        QVERIFY(frame.PrintPage());
        QVERIFY(!frame.pageIsPicture());
        const QByteArray pdf = b.read("out.pdf");
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") +
                    pdf.count("/Type /Page/") >=
                2);
        QFile::remove(b.path("out.pdf"));
        QVERIFY(frame.PrintPage(b.path("a.htm")));
        QVERIFY(b.read("out.pdf").startsWith("%PDF"));
        QVERIFY(!frame.PrintPage(b.path("gone.htm")));
    }
};

QTEST_MAIN(TstHtmlFrame)
#include "tst_htmlframe.moc"
