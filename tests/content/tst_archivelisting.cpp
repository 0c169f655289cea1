#include "content/RarWriter.h"
#include "content/TArchiveListing.h"
#include "platform/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString readPage(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? cp1251::toUnicode(f.readAll()) : QString();
}

QStringList rowsOf(const TArchiveListing::RPage& page) {
    QStringList out;
    for (const TArchiveListing::RRow& r : page.rows)
        out << r.display + " -> " + r.link;
    return out;
}

} // namespace

class TestArchiveListing : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;

private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        QLocale::setDefault(QLocale::c());
    }

    // Files without folder entries imply their folders; each folder's page
    // links its parent (not the root's page), its subfolders and its files.
    void impliedFolders() {
        TArchiveListing l;
        l.addFile("a/b.txt", 10, 0);
        l.addFile("c.txt", 20, 0);
        l.addFile("x/y/z.txt", 30, 0);
        l.completeDirectories();
        QStringList dirs;
        for (const auto& d : l.dirs())
            dirs << d.name;
        QCOMPARE(dirs, (QStringList{"", "a", "x/y", "x"}));
        const auto pages = l.pages(7);
        QCOMPARE(pages.size(), 4);
        QCOMPARE(pages.at(0).pageName, QString("as_07.htm"));
        QCOMPARE(rowsOf(pages.at(0)),
                 (QStringList{"a -> as_17.htm", "x -> as_37.htm", "c.txt -> c.txt"}));
        QCOMPARE(rowsOf(pages.at(1)), (QStringList{".. -> as_07.htm", "b.txt -> a/b.txt"}));
        QCOMPARE(rowsOf(pages.at(2)), (QStringList{".. -> as_37.htm", "z.txt -> x/y/z.txt"}));
        QCOMPARE(rowsOf(pages.at(3)), (QStringList{".. -> as_07.htm", "y -> as_27.htm"}));
    }

    // Folder entries of an archive whose parents have no entry still get a
    // page to go up to; names compare without ASCII case.
    void folderEntriesWithoutParents() {
        TArchiveListing l;
        l.addDir("Top/Sub", 0);
        l.addFile("TOP/SUB/f.txt", 1, 0);
        l.completeDirectories();
        const auto pages = l.pages(1);
        QCOMPARE(pages.size(), 3);
        QCOMPARE(rowsOf(pages.at(1)), (QStringList{".. -> as_21.htm", "f.txt -> TOP/SUB/f.txt"}));
        QCOMPARE(rowsOf(pages.at(2)), (QStringList{".. -> as_01.htm", "Sub -> as_11.htm"}));
    }

    void sizesAndTimes() {
        QCOMPARE(TArchiveListing::sizeText(999), QString("999 байт"));
        QCOMPARE(TArchiveListing::sizeText(1000), QString("1 Кбайт"));
        QCOMPARE(TArchiveListing::sizeText(1499), QString("1 Кбайт"));
        QCOMPARE(TArchiveListing::sizeText(1500), QString("2 Кбайт"));
        QCOMPARE(TArchiveListing::sizeText(2500), QString("2 Кбайт"));
        QCOMPARE(TArchiveListing::timeText(0), QString());
        const quint32 t = RarWriter::dosTime(QDateTime(QDate(2004, 3, 9), QTime(7, 5, 0)));
        QVERIFY2(TArchiveListing::timeText(t).startsWith("09 ") &&
                     TArchiveListing::timeText(t).endsWith(" 04 07:05"),
                 qPrintable(TArchiveListing::timeText(t)));
    }

    void listingFolderNames() {
        QCOMPARE(TArchiveListing::listingFolderName("c:\\data\\x.rar"),
                 QString("as_c__data_x_rar"));
        QCOMPARE(TArchiveListing::listingFolderName("/home/u/a.b.rar"),
                 QString("as__home_u_a.b_rar"));
    }

    // The pages of a real scan: Cyrillic names stored in code page 866 come
    // out in code page 1251; markup in names stays text; characters outside
    // the code page are written as references; a title holding a later
    // placeholder's name is left as it is.
    void writtenPages() {
        RarWriter w;
        RarWriter::Entry e;
        e.name = "Папка/файл <b>&.txt";
        e.data = "x";
        e.nameForm = RarWriter::NameForm::Oem;
        w.add(e);
        w.addFile("日本.txt", "y");
        const QString dir = m_tmp.filePath("filename");
        QDir().mkpath(dir);
        const QString archive = dir + "/t.rar";
        QVERIFY(RarWriter::save(archive, w.archive()));
        TArchiveListing l;
        QStringList messages;
        l.Message = [&messages](const QString& m) { messages << m; };
        QVERIFY(l.scan(archive, archive));
        QVERIFY(messages.isEmpty());
        l.completeDirectories();
        const QString out = m_tmp.filePath("pages");
        QDir().mkpath(out);
        QVERIFY(l.write(out, "as_t.rar.htm", archive, 5));

        const QString main = readPage(out + "/as_t.rar.htm");
        QVERIFY2(main.contains("<title>Содержимое архива: " + archive + "</title>"),
                 qPrintable(main));
        QVERIFY2(main.contains("<frame src=\"as_05.htm\" name=\"Bot\">"), qPrintable(main));
        QVERIFY(readPage(out + "/as_bar.htm").contains("<title>archivename</title>"));
        QVERIFY(readPage(out + "/as_bar.htm").contains(">Размер</th>"));
        const QString root = readPage(out + "/as_05.htm");
        QVERIFY2(root.contains("<a href=\"as_15.htm\">Папка</a>"), qPrintable(root));
        QVERIFY2(root.contains("<a href=\"日本.txt\">日本.txt</a>") == false &&
                     root.contains("&#26085;&#26412;.txt"),
                 qPrintable(root));
        const QString sub = readPage(out + "/as_15.htm");
        QVERIFY2(
            sub.contains("<a href=\"Папка/файл &lt;b&gt;&amp;.txt\">файл &lt;b&gt;&amp;.txt</a>"),
            qPrintable(sub));
        QVERIFY(sub.contains("<td align=\"right\" width=\"25%\">1 байт</td>"));
    }
};

QTEST_MAIN(TestArchiveListing)
#include "tst_archivelisting.moc"
