// The whole-book search without widgets: the index search with the base
// directory, the fallback's page list and its page-by-page search with
// titles from files.idx, stopping, and paths the viewer loads as they are.
#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "engine/TBookSearch.h"
#include "engine/TFileSource.h"
#include "engine/THTMLViewer.h"
#include "platform/Cp1251.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray cp(const QString& text) {
    return cp1251::fromUnicode(text);
}

} // namespace

class TstBookSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath("book/run"));
        m_paths = BookPaths(m_dir.path() + "/book/run");
        BookPaths::setCurrent(m_paths);
        ArchiveWriter w;
        const auto page = [&](const QString& path, const QString& body) {
            QVERIFY(w.addFile(path, cp("<html><title>t</title><body>" + body + "</body></html>")));
        };
        page("run/p1.htm", "Замена <b>мас</b>ла в двигателе");
        page("run/p2.html", "Проверка уровня МАСЛА");
        page("run/nof/p3.htm", "масла нет в списке страниц");
        page("run/unlisted.htm", "масла много, но страницы нет в files.idx");
        page(QStringLiteral("run/ёлка.htm"), "масла в ёлке");
        page("man/m1.htm", "масла в справке");
        page("man/sub/m2.htm", "масла глубже");
        page("man_/m3.htm", "масла рядом");
        QVERIFY(w.addFile("run/pic.gif", "GIF89a масла"));
        QVERIFY(w.addFile("run/notes.txt", "масла"));
        QVERIFY(w.addFile("run/keywords.idx", cp(QStringLiteral("Масла\r\nсвеча\r\n"))));
        QVERIFY(w.addFile("run/index.idx", "2:1\r\n9\r\n"));
        QVERIFY(w.addFile("run/files.idx",
                          cp(QStringLiteral("p1.htm#:# Масло \r\np2.html#:#Уровень\r\n"
                                            "nof\\p3.htm#:#Третья\r\nЁЛКА.htm#:#Ёлка\r\n"
                                            "m2.htm#:#Вторая справка\r\n"))));
        QVERIFY(w.write(m_dir.path() + "/book/run/interface.dat"));
        QVERIFY(m_archive.open(m_dir.path() + "/book/run/interface.dat"));
        m_archive.setRootPrefix(m_paths.bookRoot());
    }

    void indexSearchGivesBookPaths() {
        TArchiveSource source(m_archive);
        TBookSearch search(m_archive, source, m_paths);
        QStringList files, titles;
        QVERIFY(search.indexSearch(QStringLiteral("МАСЛА"), files, titles));
        QCOMPARE(files, (QStringList{m_paths.baseDir() + "p1.htm", m_paths.baseDir() + "p2.html"}));
        QCOMPARE(titles, (QStringList{" Масло ", "Уровень"}));
        // The result loads in the viewer as it stands.
        THTMLViewer viewer;
        viewer.setFileSource(&source);
        QVERIFY(viewer.loadFile(files.at(0)));
        QVERIFY(viewer.find(QStringLiteral("масла"), false));
        // Not a keyword, or a page list past the end: not found, no notice.
        QVERIFY(!search.indexSearch(QStringLiteral("масло"), files, titles));
        QVERIFY(!search.indexSearch(QStringLiteral("свеча"), files, titles));
        QVERIFY(search.messages().isEmpty());
        // A book without index files: the notice, then the caller falls back.
        TBookSearch other(m_archive, source, BookPaths(m_dir.path()));
        QVERIFY(!other.indexSearch(QStringLiteral("масла"), files, titles));
        QCOMPARE(other.messages().size(), 1);
        QCOMPARE(other.messages().at(0).text, QString::fromUtf16(TMakeFind::kMissing));
        QVERIFY(!other.messages().at(0).warning);
    }

    void pageListOfTheFallback() {
        TArchiveSource source(m_archive);
        TBookSearch search(m_archive, source, m_paths);
        const QString root = m_paths.bookRoot();
        // Lower case as the archive folds names: "ё" was stored as it stands.
        const QStringList all{root + "man\\sub\\m2.htm",  root + "run\\nof\\p3.htm",
                              root + "run\\p1.htm",       root + "run\\p2.html",
                              root + "run\\unlisted.htm", root + QStringLiteral("run\\ёлка.htm")};
        QStringList got = search.pageList({QStringLiteral("NOF\\")}, true);
        got.sort();
        QStringList want = all;
        want.sort();
        QCOMPARE(got, want);
        got = search.pageList({QStringLiteral("NOF\\"), QString()}, false);
        QVERIFY(!got.contains(root + "run\\nof\\p3.htm"));
        QCOMPARE(got.size(), all.size() - 1);
        // Every page of the list is found where the reader reads it.
        for (const QString& page : all)
            QVERIFY2(source.read(page).has_value(), qPrintable(page));
        QCOMPARE(search.pageList({QStringLiteral("run"), QStringLiteral("man")}, false),
                 QStringList{QString()});
    }

    void fallbackListsFoundPagesWithTitles() {
        TArchiveSource source(m_archive);
        TBookSearch search(m_archive, source, m_paths);
        const QStringList pages = search.pageList({}, false);
        QStringList files, titles;
        QList<int> seen;
        search.fallback(QStringLiteral("масла"), false, pages, files, titles, [&](int i, int n) {
            seen << i;
            return n == pages.size();
        });
        QCOMPARE(seen.size(), pages.size());
        // "unlisted.htm" holds the word but is not in files.idx; "мас<b>ла" is one word.
        const QString root = m_paths.bookRoot();
        QStringList found;
        for (int i = 0; i < files.size(); ++i)
            found << files.at(i) + u'|' + titles.at(i);
        found.sort();
        QStringList want{root + "man\\sub\\m2.htm|Вторая справка", root + "run\\nof\\p3.htm|Третья",
                         root + "run\\p1.htm|Масло", root + "run\\p2.html|Уровень",
                         root + QStringLiteral("run\\ёлка.htm|Ёлка")};
        want.sort();
        QCOMPARE(found, want);
        // Letter case, and a stop before the third page.
        files.clear();
        titles.clear();
        search.fallback(QStringLiteral("МАСЛА"), true, pages, files, titles);
        QCOMPARE(files, QStringList{root + "run\\p2.html"});
        // A stop before page k lists what the pages before k gave, in order.
        QStringList all, names;
        search.fallback(QStringLiteral("масла"), false, pages, all, names);
        for (int k = 0; k <= pages.size(); ++k) {
            QStringList some;
            int asked = -1;
            search.fallback(QStringLiteral("масла"), false, pages, some, names, [&](int i, int) {
                asked = i;
                return i < k;
            });
            QCOMPARE(asked, std::min(k, int(pages.size()) - 1));
            QStringList before;
            for (const QString& f : all)
                if (pages.indexOf(f) < k)
                    before << f;
            QCOMPARE(some, before);
        }
        QString title;
        QVERIFY(!search.titleOf(root + "run\\unlisted.htm", title));
        QVERIFY(search.titleOf(root + "RUN\\P1.HTM", title));
        QCOMPARE(title, QStringLiteral("Масло"));
    }

    void manyPagesComeInPageOrder() {
        // Two threads read and match pages; what they report must be what
        // one page after the other gives, every time.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("book/run"));
        const BookPaths paths(dir.path() + "/book/run");
        ArchiveWriter w;
        QByteArray listed;
        for (int i = 0; i < 300; ++i) {
            const QString name = QStringLiteral("p%1.htm").arg(i, 3, 10, QLatin1Char('0'));
            QVERIFY(w.addFile("run/" + name,
                              cp(QStringLiteral("<p>страница %1 %2</p>")
                                     .arg(i)
                                     .arg(i % 7 == 3 ? QStringLiteral("свеча") : QString()))));
            listed += cp(name + QStringLiteral("#:#Стр. %1\r\n").arg(i));
        }
        QVERIFY(w.addFile("run/files.idx", listed));
        QVERIFY(w.write(dir.path() + "/book/run/interface.dat"));
        ContentArchive archive;
        QVERIFY(archive.open(dir.path() + "/book/run/interface.dat"));
        archive.setRootPrefix(paths.bookRoot());
        TArchiveSource source(archive);
        TBookSearch search(archive, source, paths);
        QStringList pages = search.pageList({}, false);
        pages.sort();
        QStringList want;
        for (const QString& page : pages)
            if (search.pageContains(page, QStringLiteral("СВЕЧА"), false))
                want << page;
        QCOMPARE(want.size(), 43);
        for (int round = 0; round < 20; ++round) {
            QStringList files, titles;
            search.fallback(QStringLiteral("СВЕЧА"), false, pages, files, titles);
            QCOMPARE(files, want);
            QCOMPARE(titles.size(), files.size());
            QCOMPARE(titles.at(0), QStringLiteral("Стр. 3"));
        }
    }

private:
    QTemporaryDir m_dir;
    BookPaths m_paths;
    ContentArchive m_archive;
};

QTEST_MAIN(TstBookSearch)
#include "tst_booksearch.moc"
