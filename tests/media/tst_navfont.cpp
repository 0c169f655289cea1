// installfonts: the page folder's .ttf files go into the user's font folder
// and are registered; a font file already there is never replaced; links
// and other non-files are not taken.
#include "data/BookPaths.h"
#include "media/TNavFont.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString systemFont() {
    for (const char* f : {"/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
                          "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                          "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf"})
        if (QFile::exists(f))
            return f;
    return {};
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestNavFont : public QObject {
    Q_OBJECT
private slots:
    void installsWithoutReplacing();
    void folderOfThePage();
};

void TestNavFont::installsWithoutReplacing() {
    const QString font = systemFont();
    if (font.isEmpty())
        QSKIP("no TrueType font on this machine");
    // The test's own data folder, never the user's.
    const QString target = TNavFont::userFontFolder();
    QVERIFY2(target.startsWith(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"))) &&
                 !qEnvironmentVariableIsEmpty("XDG_DATA_HOME"),
             qPrintable(target));
    QDir(target).removeRecursively();
    QVERIFY(QDir().mkpath(target));

    QTemporaryDir book;
    const QString pages = book.filePath("pages");
    QDir().mkpath(pages + "/sub");
    QVERIFY(QFile::copy(font, pages + "/new.ttf"));
    QVERIFY(QFile::copy(font, pages + "/there.ttf"));
    QVERIFY(QFile::copy(font, pages + "/sub/deep.ttf")); // no subfolders
    QVERIFY(QFile::link(font, pages + "/link.ttf"));     // not a regular file
    QDir().mkpath(pages + "/folder.ttf");                // nor is a folder
    // The user already has a (different) file of the same name.
    QFile mine(target + "/there.ttf");
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("the user's own file");
    mine.close();
    mine.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    TNavFont nav;
    nav.pageLoaded(BookPaths::fromNative(pages) + "\\index.htm");
    const TNavFont::Result r = nav.InstallFonts();
    QCOMPARE(r.copied, QStringList{"new.ttf"});
    QCOMPARE(r.kept, QStringList{"there.ttf"});
    QCOMPARE(r.failed, QStringList{"link.ttf"});
    QVERIFY(!r.diskFull);
    QCOMPARE(readAll(target + "/new.ttf"), readAll(font));
    QCOMPARE(readAll(target + "/there.ttf"), QByteArray("the user's own file"));
    QVERIFY(!QFile::exists(target + "/deep.ttf"));
    QVERIFY(!QFile::exists(target + "/link.ttf"));
    // No leftovers of the copying.
    QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden).size(), 2);
    // Both fonts usable by the program: the copy, and the book's own file in
    // place of the user's unrelated one.
    QCOMPARE(r.registered.size(), 2);
    QVERIFY(r.registered.contains(target + "/new.ttf"));
    QVERIFY(r.registered.contains(pages + "/there.ttf"));
    for (int id : nav.fontIds())
        QVERIFY(!QFontDatabase::applicationFontFamilies(id).isEmpty());

    // Again: nothing is replaced, the copy from before stays as it was.
    const TNavFont::Result again = nav.InstallFonts();
    QVERIFY(again.copied.isEmpty());
    QCOMPARE(again.kept, (QStringList{"new.ttf", "there.ttf"}));

    // A folder without fonts: nothing happens, nothing fails.
    TNavFont empty;
    empty.pageLoaded(BookPaths::fromNative(book.path()) + "\\page.htm");
    const TNavFont::Result none = empty.InstallFonts();
    QVERIFY(none.copied.isEmpty() && none.kept.isEmpty() && none.failed.isEmpty());
}

void TestNavFont::folderOfThePage() {
    TNavFont nav;
    nav.pageLoaded("\\book\\run\\fonts\\fonts.htm");
    QCOMPARE(nav.folder(), QString("\\book\\run\\fonts\\"));
    nav.pageLoaded("/book/run/p01.htm");
    QCOMPARE(nav.folder(), QString("\\book\\run\\"));
}

QTEST_MAIN(TestNavFont)
#include "tst_navfont.moc"
