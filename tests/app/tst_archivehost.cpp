// RAR archives in the reading pane: a ".rar" link lists the archive into
// pages and shows them, a file link in the listing unpacks and opens the
// file, unarc unpacks into new subfolders of the path box's folder and stops
// when its dialog is closed, a file that is no archive is named, and the
// listing folders go with the window.
#include "TestBook.h"

#include "app/TArchiveHost.h"
#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "content/RarWriter.h"
#include "data/BookPaths.h"
#include "data/PackWriter.h"
#include "data/SettingsStore.h"
#include "data/StringUtils.h"
#include "dialogs/TCoolDialog.h"
#include "engine/TFrameViewer.h"
#include "platform/TShell.h"
#include "platform/TTempFolder.h"
#include "reader/THtmlFrame.h"
#include "skin/TPathInputBox.h"

#include <QBuffer>
#include <QDirIterator>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

class RecordingShell : public TDesktopShell {
public:
    QStringList messages;
    QStringList questions;
    bool openFile(const QString&) override { return true; }
    bool startProgram(const QString&, const QString&, const QStringList&) override { return true; }
    void showMessage(const QString& text, bool) override { messages << text; }
    bool askYesNo(const QString& q) override {
        questions << q;
        return false;
    }
};

QByteArray bmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QStringList dialogDescription() {
    QStringList d;
    for (int n = 1; n <= 4; ++n)
        d << QStringLiteral("[%1] _picture=dlg%1.bmp").arg(n) << QStringLiteral("[%1] _text").arg(n)
          << "vx=10"
          << "vy=10"
          << "vw=190"
          << "font=liberation sans"
          << "size=9"
          << "style="
          << "color=255,255,255"
          << "value=";
    return d;
}

QString shownFile(TMainForm& form) {
    TFrameViewer* v = form.reading()->frame()->CurrentViewer();
    return v ? v->currentFile() : QString();
}

void click(TMainForm& form, const QString& url) {
    TFrameViewer* v = form.reading()->frame()->CurrentViewer();
    QVERIFY(v && v->OnHotSpotTargetClick);
    bool handled = false;
    v->OnHotSpotTargetClick(QString(), url, handled);
}

QStringList filesBelow(const QString& dir) {
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(dir).relativeFilePath(it.next());
    out.sort();
    return out;
}

} // namespace

class TestArchiveHost : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    RecordingShell m_shell;
    QString m_book;

private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        TSettingsStore::setLocation(m_tmp.filePath("settings"));
        TShell::setInstance(&m_shell);
        m_book = m_tmp.filePath("book/run");
        QString error;
        const QStringList desc = testbook::description("Archive Host");
        PackWriter pack;
        pack.add("Struct.cfs", cfs::encode(desc), &error);
        const QHash<QString, QImage> pictures = testbook::pictures();
        for (auto it = pictures.begin(); it != pictures.end(); ++it)
            pack.add(it.key(), bmp(it.value()), &error);
        pack.add("Dialog.cfs", cfs::encode(dialogDescription()), &error);
        QImage dlg(200, 100, QImage::Format_RGB32);
        dlg.fill(Qt::darkGray);
        for (int n = 1; n <= 4; ++n)
            pack.add(QString("dlg%1.bmp").arg(n), bmp(dlg), &error);
        QDir().mkpath(m_book);
        QVERIFY2(pack.write(m_book + "/Dod.dhl", &error), qPrintable(error));
        QFile page(m_book + "/page.htm");
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<p><a href=\"soft.rar\">soft</a></p>");
        page.close();
        QFile other(m_book + "/other.htm");
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("<p>Another page</p>");
        other.close();
        RarWriter w;
        w.addFolder("docs");
        w.addFile("docs/inner.txt", "inner text");
        w.addFile("top.txt", "top");
        RarWriter::Entry oem;
        oem.name = "docs/мой файл.txt";
        oem.data = "cyrillic";
        oem.nameForm = RarWriter::NameForm::Oem;
        w.add(oem);
        QVERIFY(RarWriter::save(m_book + "/soft.rar", w.archive()));
        QVERIFY(RarWriter::save(m_book + "/broken.rar", "no archive at all"));
        RarWriter big;
        big.addFile("big.bin", QByteArray(8 << 20, 'b'));
        QVERIFY(RarWriter::save(m_book + "/big.rar", big.archive()));
    }
    void cleanupTestCase() { TShell::setInstance(nullptr); }

    void linkListsShowsAndUnpacks() {
        QString listing;
        {
            TMainForm form;
            QCOMPARE(form.FormCreate(m_book, {}), std::nullopt);
            TArchiveHost* host = form.archives();
            QVERIFY(host);
            THtmlFrame* frame = form.reading()->frame();
            form.Dispatch("screen2=page.htm", "", false, FromButton, 0);
            QTRY_VERIFY(shownFile(form).endsWith("page.htm"));
            const QString origin = shownFile(form);

            // The link: listed, shown, the view flag on.
            click(form, "soft.rar");
            listing = host->listingFolder();
            QVERIFY(listing.startsWith(TTempFolder::path() + "/as_"));
            QTRY_COMPARE(shownFile(form).section(u'\\', -1), QString("as_soft.rar.htm"));
            QVERIFY(frame->archiveView());
            QCOMPARE(host->originPages(), QStringList{origin});
            const QStringList pages = filesBelow(listing);
            QCOMPARE(pages.size(), 5); // frame set, bar, two folder pages, the mark

            // A file of the listing (its name kept in code page 866, with a
            // space): unpacked into the listing folder, opened.
            click(form, QString("docs/мой файл.txt"));
            QTRY_VERIFY(shownFile(form).endsWith("мой файл.txt"));
            QCOMPARE(QFile(listing + "/docs/inner.txt").size(), qint64(10));
            QVERIFY(frame->archiveView());
            // A file beside it, already unpacked.
            click(form, "inner.txt");
            QTRY_VERIFY(shownFile(form).endsWith("inner.txt"));

            // Back on the page the archive came from: the flag goes off.
            frame->Navigate(origin);
            QTRY_VERIFY(!frame->archiveView());
            // So it does on any other page of the book.
            frame->Navigate(BookPaths::fromNative(host->mainPage()));
            QTRY_VERIFY(frame->archiveView());
            frame->Navigate(BookPaths::fromNative(m_book + "/other.htm"));
            QTRY_VERIFY(shownFile(form).endsWith("other.htm"));
            QVERIFY(!frame->archiveView());

            // Asked for again: nothing is written anew.
            const QDateTime before = QFileInfo(host->mainPage()).lastModified();
            QTest::qWait(1100);
            host->OpenArchive(BookPaths::fromNative(m_book + "/soft.rar"), origin);
            QCOMPARE(QFileInfo(host->mainPage()).lastModified(), before);
            QTRY_VERIFY(frame->archiveView());

            // unarc twice: two subfolders of the path box's folder.
            const QString dest = m_tmp.filePath("dest");
            form.pathBoxes()->box(0)->setText(dest);
            QCOMPARE(form.Dispatch("unarc", "", true, FromButton, 0), Verb::Unarc);
            QCOMPARE(form.Dispatch("unarc", "", true, FromButton, 0), Verb::Unarc);
            QCOMPARE(filesBelow(dest),
                     (QStringList{"soft.rar/docs/inner.txt", "soft.rar/docs/мой файл.txt",
                                  "soft.rar/top.txt", "soft1.rar/docs/inner.txt",
                                  "soft1.rar/docs/мой файл.txt", "soft1.rar/top.txt"}));
            QVERIFY(m_shell.questions.isEmpty());
            QVERIFY(!form.dialog()->isVisible()); // no message reports success
        }
        // The window is gone: so are the listing folders.
        QVERIFY(!QFileInfo::exists(listing));
    }

    // unarc of a large archive stops when its progress dialog is closed; no
    // partial file is left.
    void unarcStops() {
        TMainForm form;
        QCOMPARE(form.FormCreate(m_book, {}), std::nullopt);
        form.Dispatch("screen2=page.htm", "", false, FromButton, 0);
        QTRY_VERIFY(shownFile(form).endsWith("page.htm"));
        form.archives()->OpenArchive(m_book + "/big.rar", shownFile(form));
        QTRY_VERIFY(form.reading()->frame()->archiveView());
        const QString dest = m_tmp.filePath("stopdest");
        form.pathBoxes()->box(0)->setText(dest);
        QTimer::singleShot(0, form.dialog(), [&form] { form.dialog()->close(); });
        QVERIFY(!form.archives()->Extract(true));
        QCOMPARE(filesBelow(dest), QStringList());
        QVERIFY(QFileInfo(dest + "/big.rar").isDir());
    }

    // Archive paths that make the same folder name get folders of their own.
    void sameNameTwoArchives() {
        const QString temp = m_tmp.filePath("names");
        const QString one = m_tmp.filePath("a_b/c.rar");
        const QString two = m_tmp.filePath("a/b_c.rar");
        const QString first = TArchiveHost::listingFolderFor(temp, one);
        QCOMPARE(TArchiveHost::listingFolderFor(temp, two), first);
        QDir().mkpath(first);
        QFile mark(first + "/" + TArchiveHost::kSourceMark);
        QVERIFY(mark.open(QIODevice::WriteOnly));
        mark.write(one.toUtf8());
        mark.close();
        QCOMPARE(TArchiveHost::listingFolderFor(temp, one), first);
        QCOMPARE(TArchiveHost::listingFolderFor(temp, two), first + "_1");
    }

    // A file that is no RAR archive: named in the dialog, nothing shown, the
    // empty listing folder stays; unarc without an archive view asks for one.
    void notAnArchive() {
        TMainForm form;
        QCOMPARE(form.FormCreate(m_book, {}), std::nullopt);
        form.Dispatch("screen2=page.htm", "", false, FromButton, 0);
        QTRY_VERIFY(shownFile(form).endsWith("page.htm"));
        QStringList shown;
        connect(form.archives(), &TArchiveHost::messageShown,
                [&shown](const QString& m) { shown << m; });
        form.archives()->OpenArchive(m_book + "/broken.rar", shownFile(form));
        QCOMPARE(shown, QStringList{"Файл " + m_book + "/broken.rar не является RAR архивом."});
        QVERIFY(form.dialog()->isVisible());
        QVERIFY(shownFile(form).endsWith("page.htm"));
        QVERIFY(QFileInfo(form.archives()->listingFolder()).isDir());
        QCOMPARE(filesBelow(form.archives()->listingFolder()),
                 QStringList{TArchiveHost::kSourceMark});
        form.Dispatch("unarc", "", true, FromButton, 0);
        QCOMPARE(shown.last(), QString("Выберите файл для распаковки."));
    }
};

QTEST_MAIN(TestArchiveHost)
#include "tst_archivehost.moc"
