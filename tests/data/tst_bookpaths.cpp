#include "data/BookPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/time.h>

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

void touch(const QString& path) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write("x");
}

} // namespace

class TestBookPaths : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { BookPaths::setCurrent(BookPaths()); }

    void rootsWithDrive();
    void rootsOnPosix();
    void resolvePathWithDrive_data();
    void resolvePathWithDrive();
    void joinPathRules_data();
    void joinPathRules();
    void joinPathPosixAnchor();
    void nativeConversion();
    void resolveOnDiskIgnoresCase();
    void resolveOnDiskSeesChanges();
    void resolveOnDiskMisses();
    void bookOption();
};

void TestBookPaths::rootsWithDrive() {
    const BookPaths p(QStringLiteral("E:\\Book\\Run\\"));
    QCOMPARE(p.baseDir(), QStringLiteral("E:\\Book\\Run\\"));
    QCOMPARE(p.discRoot(), QStringLiteral("e:\\"));
    QCOMPARE(p.bookRoot(), QStringLiteral("E:\\Book\\"));

    // A trailing backslash is added; a folder merely ending in "run" stays.
    const BookPaths q(QStringLiteral("c:\\rerun\\run"));
    QCOMPARE(q.baseDir(), QStringLiteral("c:\\rerun\\run\\"));
    QCOMPARE(q.bookRoot(), QStringLiteral("c:\\rerun\\"));
    const BookPaths r(QStringLiteral("c:\\brun\\x\\"));
    QCOMPARE(r.bookRoot(), QStringLiteral("c:\\brun\\x\\"));
}

void TestBookPaths::rootsOnPosix() {
    // A native folder becomes a path text; the disc root is the book root.
    const BookPaths p(QStringLiteral("/srv/books/vantrel/run"));
    QCOMPARE(p.baseDir(), QStringLiteral("\\srv\\books\\vantrel\\run\\"));
    QCOMPARE(p.bookRoot(), QStringLiteral("\\srv\\books\\vantrel\\"));
    QCOMPARE(p.discRoot(), p.bookRoot());
    QCOMPARE(p.resolvePath(QStringLiteral("<cd>video\\a.avi")),
             QStringLiteral("\\srv\\books\\vantrel\\video\\a.avi"));

    // A relative folder is made absolute.
    const BookPaths rel(QStringLiteral("somebook"));
    QCOMPARE(rel.baseDir(),
             BookPaths::fromNative(QDir::current().absoluteFilePath(QStringLiteral("somebook"))) +
                 u'\\');
    QCOMPARE(rel.bookRoot(), rel.baseDir());
}

void TestBookPaths::resolvePathWithDrive_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    const QString b = QStringLiteral("c:\\book\\run\\");
    QTest::newRow("cd marker") << "E:\\book\\run\\"
                               << "<cd>video\\a.avi"
                               << "e:\\video\\a.avi";
    QTest::newRow("cd marker inside") << b << "run=<cd>setup.exe"
                                      << "run=c:\\setup.exe";
    QTest::newRow("cd marker only once") << b << "<cd>a\\..\\b"
                                         << "c:\\a\\..\\b";
    QTest::newRow("up one") << b << "..\\docs\\a.htm"
                            << "c:\\book\\docs\\a.htm";
    QTest::newRow("climb stops") << b << "..\\..\\x.htm"
                                 << "c:\\book\\x.htm";
    QTest::newRow("plain word") << b << "exit"
                                << "exit";
    QTest::newRow("absolute") << b << "d:\\x.exe"
                              << "d:\\x.exe";
    QTest::newRow("verb kept") << b << "run=tools\\x.exe"
                               << "run=c:\\book\\run\\tools\\x.exe";
    QTest::newRow("last equals") << b << "html=1=..\\p.htm"
                                 << "html=1=c:\\book\\p.htm";
    QTest::newRow("file name") << b << "a.bmp"
                               << "c:\\book\\run\\a.bmp";
    QTest::newRow("leading backslash") << b << "\\pics\\a.bmp"
                                       << "c:\\book\\pics\\a.bmp";
    QTest::newRow("forward slashes") << b << "../docs/a.htm"
                                     << "c:\\book\\docs\\a.htm";
    QTest::newRow("empty") << b << ""
                           << "";
}

void TestBookPaths::resolvePathWithDrive() {
    QFETCH(QString, base);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(BookPaths(base).resolvePath(value), expected);
}

void TestBookPaths::joinPathRules_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "c:\\book\\run\\"
                           << "a.htm"
                           << "c:\\book\\run\\a.htm";
    QTest::newRow("no trailing backslash") << "c:\\book\\run"
                                           << "a.htm"
                                           << "c:\\book\\run\\a.htm";
    QTest::newRow("trimmed") << "c:\\book\\run\\"
                             << " \ta.htm \r"
                             << "c:\\book\\run\\a.htm";
    QTest::newRow("rooted") << "c:\\book\\run\\deep\\"
                            << "\\a.htm"
                            << "c:\\book\\a.htm";
    QTest::newRow("fold twice") << "c:\\book\\run\\deep\\"
                                << "..\\..\\a.htm"
                                << "c:\\book\\a.htm";
    QTest::newRow("fold inside") << "c:\\book\\"
                                 << "x\\y\\..\\..\\z\\a.htm"
                                 << "c:\\book\\z\\a.htm";
    QTest::newRow("climb at anchor") << "c:\\book\\"
                                     << "..\\..\\a.htm"
                                     << "c:\\book\\a.htm";
    QTest::newRow("drive root") << "c:\\"
                                << "..\\a.htm"
                                << "c:\\a.htm";
    QTest::newRow("drive root rooted") << "c:\\"
                                       << "\\a.htm"
                                       << "c:\\a.htm";
    QTest::newRow("no backslash") << "book"
                                  << "a.htm"
                                  << "book\\a.htm";
    QTest::newRow("no backslash climb") << "book"
                                        << "..\\a.htm"
                                        << "book\\a.htm";
    QTest::newRow("relative base") << "book\\run\\"
                                   << "..\\a.htm"
                                   << "book\\a.htm";
    QTest::newRow("relative base rooted") << "book\\run\\"
                                          << "\\a.htm"
                                          << "book\\a.htm";
    QTest::newRow("empty relative") << "c:\\book\\"
                                    << ""
                                    << "c:\\book\\";
    QTest::newRow("url untouched") << "c:\\book\\"
                                   << "http://x.org/a"
                                   << "c:\\book\\http://x.org/a";
    // Without a current book, a POSIX text anchors at its first backslash.
    QTest::newRow("posix no book") << "\\srv\\b\\run\\"
                                   << "..\\..\\..\\..\\a"
                                   << "\\a";
}

void TestBookPaths::joinPathRules() {
    QFETCH(QString, base);
    QFETCH(QString, relative);
    QFETCH(QString, expected);
    QCOMPARE(BookPaths::joinPath(base, relative), expected);
}

void TestBookPaths::joinPathPosixAnchor() {
    // The book root stands where "c:\book\" stands on a drive.
    const BookPaths book(QStringLiteral("\\srv\\Vantrel\\run\\"));
    BookPaths::setCurrent(book);
    QCOMPARE(BookPaths::current().bookRoot(), QStringLiteral("\\srv\\Vantrel\\"));
    QCOMPARE(BookPaths::joinPath(book.baseDir(), QStringLiteral("..\\..\\..\\x.htm")),
             QStringLiteral("\\srv\\Vantrel\\x.htm"));
    QCOMPARE(BookPaths::joinPath(QStringLiteral("\\srv\\vantrel\\run\\docs\\"),
                                 QStringLiteral("\\a.htm")),
             QStringLiteral("\\srv\\vantrel\\a.htm"));
    QCOMPARE(book.resolvePath(QStringLiteral("..\\docs\\a.htm")),
             QStringLiteral("\\srv\\Vantrel\\docs\\a.htm"));
    QCOMPARE(book.resolvePath(QStringLiteral("\\a.htm")), QStringLiteral("\\srv\\Vantrel\\a.htm"));
    // Resolving again changes nothing (a popup's command runs a resolved value).
    QCOMPARE(book.resolvePath(QStringLiteral("screen2=\\srv\\Vantrel\\run\\p01.htm")),
             QStringLiteral("screen2=\\srv\\Vantrel\\run\\p01.htm"));
    QCOMPARE(book.resolvePath(book.resolvePath(QStringLiteral("p01.htm"))),
             QStringLiteral("\\srv\\Vantrel\\run\\p01.htm"));
    QCOMPARE(book.join(book.baseDir(), QStringLiteral("..\\..\\y")),
             QStringLiteral("\\srv\\Vantrel\\y"));
    // A base outside the book keeps the plain rule.
    QCOMPARE(BookPaths::joinPath(QStringLiteral("\\tmp\\x\\"), QStringLiteral("..\\..\\y")),
             QStringLiteral("\\y"));
}

void TestBookPaths::nativeConversion() {
    QCOMPARE(BookPaths::fromNative(QStringLiteral("/a/b/")), QStringLiteral("\\a\\b\\"));
    QCOMPARE(BookPaths::toNative(QStringLiteral("\\a\\b\\c.htm")), QStringLiteral("/a/b/c.htm"));
    QCOMPARE(BookPaths::toNative(BookPaths::fromNative(u("/x/Книга/y"))), u("/x/Книга/y"));
}

void TestBookPaths::resolveOnDiskIgnoresCase() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QDir root(tmp.path());
    QVERIFY(root.mkpath(u("Run/Страницы")));
    touch(root.filePath(u("Run/Страницы/Глава1.HTM")));
    touch(root.filePath(u("Run/ёлка.txt")));
    const QString top = BookPaths::fromNative(tmp.path());

    const QString exact = root.filePath(u("Run/Страницы/Глава1.HTM"));
    QCOMPARE(BookPaths::resolveOnDisk(top + u("\\Run\\Страницы\\Глава1.HTM")), exact);
    QCOMPARE(BookPaths::resolveOnDisk(top + u("\\rUN\\страницы\\гЛАВА1.htm")), exact);
    QCOMPARE(BookPaths::resolveOnDisk(top + u("/RUN/СТРАНИЦЫ/глава1.htm")), exact);
    QCOMPARE(BookPaths::resolveOnDisk(top + u("\\run\\ЁЛКА.TXT")),
             root.filePath(u("Run/ёлка.txt")));
    // "." and ".." components are walked like the file system walks them.
    const QString dotted = BookPaths::resolveOnDisk(top + u("\\run\\.\\СТРАНИЦЫ\\..\\ЁЛКА.txt"));
    QVERIFY(!dotted.isEmpty());
    QVERIFY(QFileInfo(dotted).isFile());
    QCOMPARE(QFileInfo(dotted).canonicalFilePath(),
             QFileInfo(root.filePath(u("Run/ёлка.txt"))).canonicalFilePath());
    QCOMPARE(BookPaths::resolveOnDisk(top + u("\\RUN\\страницы\\")),
             root.filePath(u("Run/Страницы")) + u'/');
    QVERIFY(BookPaths::fileExists(top + u("\\RUN\\ЁЛКА.txt")));
    QVERIFY(!BookPaths::fileExists(top + u("\\RUN\\")));
}

void TestBookPaths::resolveOnDiskSeesChanges() {
    // Lookups in another letter case must notice files added, renamed and
    // removed since the last lookup in the same folder, both for a folder
    // that changed just now and for one whose time lies in the past (whose
    // listing may be kept between lookups).
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QDir root(tmp.path());
    const QString top = BookPaths::fromNative(tmp.path());
    qint64 past = QDateTime::currentSecsSinceEpoch() - 1000;
    for (const bool aged : {false, true}) {
        auto settle = [&] {
            if (!aged)
                return;
            const timeval times[2] = {{time_t(past), 0}, {time_t(past), 0}};
            ++past;
            QCOMPARE(::utimes(QFile::encodeName(tmp.path()).constData(), times), 0);
        };
        settle();
        QCOMPARE(BookPaths::resolveOnDisk(top + "\\NEW.HTM"), QString());
        touch(root.filePath(QStringLiteral("new.htm")));
        settle();
        QCOMPARE(BookPaths::resolveOnDisk(top + "\\NEW.HTM"), root.filePath("new.htm"));
        QCOMPARE(BookPaths::resolveOnDisk(top + "\\New.htm"), root.filePath("new.htm"));
        QVERIFY(root.rename(QStringLiteral("new.htm"), QStringLiteral("New2.htm")));
        settle();
        QCOMPARE(BookPaths::resolveOnDisk(top + "\\NEW.HTM"), QString());
        QCOMPARE(BookPaths::resolveOnDisk(top + "\\new2.HTM"), root.filePath("New2.htm"));
        QVERIFY(root.remove(QStringLiteral("New2.htm")));
        settle();
        QCOMPARE(BookPaths::resolveOnDisk(top + "\\new2.HTM"), QString());
    }
}

void TestBookPaths::resolveOnDiskMisses() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QDir root(tmp.path());
    touch(root.filePath(QStringLiteral("file.txt")));
    const QString top = BookPaths::fromNative(tmp.path());
    QCOMPARE(BookPaths::resolveOnDisk(QString()), QString());
    // A drive path never turns into a path relative to the working folder.
    QVERIFY(QDir(tmp.path()).mkpath(QStringLiteral("c:/x")));
    const QString oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(tmp.path()));
    QCOMPARE(BookPaths::resolveOnDisk(QStringLiteral("c:\\x")), QString());
    QCOMPARE(BookPaths::resolveOnDisk(QStringLiteral("C:\\X")), QString());
    QVERIFY(QDir::setCurrent(oldCurrent));
    QCOMPARE(BookPaths::resolveOnDisk(top + "\\nothing.txt"), QString());
    // A file used as a folder.
    QCOMPARE(BookPaths::resolveOnDisk(top + "\\FILE.TXT\\x"), QString());
    // Prefix matches are not matches.
    QCOMPARE(BookPaths::resolveOnDisk(top + "\\FILE.TX"), QString());
    QVERIFY(!BookPaths::fileExists(top + "\\FILE.TX"));
}

void TestBookPaths::bookOption() {
    QStringList args{QStringLiteral("vantrel"), QStringLiteral("--book"), QStringLiteral("/b"),
                     QStringLiteral("doc.htm"), QStringLiteral("/h")};
    QString error;
    QCOMPARE(BookPaths::takeBookOption(args, &error), QStringLiteral("/b"));
    QCOMPARE(args, (QStringList{QStringLiteral("vantrel"), QStringLiteral("doc.htm"),
                                QStringLiteral("/h")}));
    QVERIFY(error.isEmpty());

    args = {QStringLiteral("vantrel"), QStringLiteral("--book=/c d"), QStringLiteral("/t")};
    QCOMPARE(BookPaths::takeBookOption(args), QStringLiteral("/c d"));
    QCOMPARE(args, (QStringList{QStringLiteral("vantrel"), QStringLiteral("/t")}));

    args = {QStringLiteral("vantrel"), QStringLiteral("page.htm")};
    QCOMPARE(BookPaths::takeBookOption(args, &error), QString());
    QCOMPARE(args.size(), 2);
    QVERIFY(error.isEmpty());

    args = {QStringLiteral("vantrel"), QStringLiteral("--book")};
    QCOMPARE(BookPaths::takeBookOption(args, &error), QString());
    QCOMPARE(args, QStringList{QStringLiteral("vantrel")});
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestBookPaths)
#include "tst_bookpaths.moc"
