// The index search over keywords.idx, index.idx and files.idx: line rules,
// letter case of code page 1251, page lists, the notices for missing and
// unreadable files, and damaged or hostile index files.
#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "content/TMakeFind.h"
#include "data/BookPaths.h"
#include "platform/Cp1251.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray cp(const QString& text) {
    return cp1251::fromUnicode(text);
}

// files.idx with `n` pages "pK.htm#:#Page K".
QByteArray pageLines(int n) {
    QByteArray out;
    for (int k = 1; k <= n; ++k)
        out += "p" + QByteArray::number(k) + ".htm#:#Page " + QByteArray::number(k) + "\r\n";
    return out;
}

} // namespace

class TstMakeFind : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        m_base = BookPaths::fromNative(m_dir.path()) + u'\\';
        m_archive.close();
        m_archive.setRootPrefix(m_base);
        for (const char* f : {"keywords.idx", "index.idx", "files.idx", "interface.dat"})
            QFile::remove(m_dir.filePath(f));
    }

    void keywordLinesAndLetterCase() {
        // Lone LF inside a line, CR LF, a last line without CR.
        write("keywords.idx", cp(QStringLiteral("alpha\r\nBE\nTA\r\nМасло Двигателя\r\n"
                                                "масло\r\nЁЛКА И Ђак")));
        write("index.idx", "1\r\n2\n\r3\r\n4\r\n5");
        write("files.idx", cp(QStringLiteral("a.htm#:#A\r\nb.htm#:#B\r\nc.htm#:# Третья \r\n"
                                             "d.htm#:#D\r\ne.htm\r\n")));
        QCOMPARE(search("beta"), QStringList{"b.htm|B"});
        // Case folding of code page 1251 letters, ё and Ђ included.
        QCOMPARE(search("МАСЛО ДВИГАТЕЛЯ"), QStringList{"c.htm| Третья "});
        QCOMPARE(search("ёлка и ђак"), QStringList{"e.htm|"});
        QCOMPARE(search("Масло Двигателя", true), QStringList{"c.htm| Третья "});
        QCOMPARE(search("масло двигателя", true), QStringList());
        // Equal length and text: a keyword holding the text does not count,
        // and neither does a text holding the keyword.
        QCOMPARE(search("Двигателя"), QStringList());
        QCOMPARE(search("масло двигателя!"), QStringList());
        QCOMPARE(search("масл"), QStringList());
        QVERIFY(m_messages.isEmpty());
    }

    void pageListsInFilesOrder() {
        write("keywords.idx", "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\n");
        write("index.idx", "42:3\r\n"
                           "x:3a:-1:+2: 7 ::0:99999999999999999999999:1000:7\r\n"
                           "46:47\r\n"
                           "\r\n");
        write("files.idx", pageLines(45));
        QCOMPARE(search("one"), (QStringList{"p3.htm|Page 3", "p42.htm|Page 42"}));
        // Not numbers are skipped, numbers past the end match nothing, each
        // line comes once.
        QCOMPARE(search("two"), QStringList{"p7.htm|Page 7"});
        QCOMPARE(search("three"), QStringList());
        QCOMPARE(search("four"), QStringList());
        // A keyword without its index.idx line.
        QCOMPARE(search("five"), QStringList());
        QVERIFY(m_messages.isEmpty());
    }

    void missingAndUnreadableFiles() {
        write("keywords.idx", "word\r\n");
        write("index.idx", "1\r\n");
        QCOMPARE(search("word"), QStringList());
        QCOMPARE(m_messages, QStringList{QStringLiteral(u"Индескный(е) файл(ы) не найден|plain")});

        // In the archive but damaged: the file exists, it cannot be read.
        QFile::remove(m_dir.filePath("index.idx"));
        QFile::remove(m_dir.filePath("keywords.idx"));
        ArchiveWriter w;
        QVERIFY(w.addFile("keywords.idx", "word\r\n"));
        QVERIFY(w.addFile("index.idx", "1\r\n"));
        QVERIFY(w.addFile("files.idx", pageLines(300)));
        ArchiveWriter::Layout layout;
        std::optional<QByteArray> built = w.build(nullptr, &layout);
        QVERIFY(built);
        QVERIFY(m_archive.open(write("interface.dat", *built)));
        m_archive.setRootPrefix(m_base);
        QCOMPARE(search("WORD"), QStringList{"p1.htm|Page 1"});
        for (const ArchiveWriter::Placed& placed : layout.files) {
            if (placed.path.compare("files.idx", Qt::CaseInsensitive) != 0)
                continue;
            QVERIFY(placed.stored < placed.unpacked);
            QByteArray bad = *built;
            const qsizetype at = qsizetype(layout.dataBase + placed.offset + placed.stored / 2);
            bad[at] = char(bad[at] ^ 0x5A);
            QVERIFY(m_archive.open(write("interface.dat", bad)));
            m_archive.setRootPrefix(m_base);
        }
        QCOMPARE(search("word"), QStringList());
        QCOMPARE(m_messages,
                 QStringList{QStringLiteral(u"Индексный файл не найден (files.idx)|warning")});
    }

    void hostileFilesEndInBoundedTime() {
        // A 1 MB line before the keyword, a 1 MB page list, empty files,
        // binary garbage, texts of 10 000 characters or outside the code page.
        QByteArray keywords(1 << 20, 'k');
        keywords += "\r\nword\r\n?\r\n" + QByteArray(10000, 'a') + "\r\n";
        write("keywords.idx", keywords);
        QByteArray lists = QByteArray(1 << 20, '7') + "\r\n2\r\n2\r\n2\r\n";
        write("index.idx", lists);
        write("files.idx", pageLines(3));
        QCOMPARE(search("word"), QStringList{"p2.htm|Page 2"});
        QCOMPARE(search(QStringLiteral("😀")), QStringList());
        QCOMPARE(search(QString(10000, u'a')), QStringList{"p2.htm|Page 2"});
        QCOMPARE(search(QString(10000, u'b')), QStringList());
        QCOMPARE(search(QString(1 << 20, u'k')), QStringList());
        // A page list cut at the line ceiling loses its last, partial number.
        QByteArray cutList;
        while (cutList.size() < TMakeFind::kMaxLineBytes - 2)
            cutList += "1:";
        cutList += "3333";
        write("keywords.idx", "word\r\n");
        write("index.idx", cutList + "\r\n");
        write("files.idx", pageLines(40));
        QCOMPARE(search("word"), QStringList{"p1.htm|Page 1"});

        for (const char* f : {"keywords.idx", "index.idx", "files.idx"})
            write(f, "");
        QCOMPARE(search("word"), QStringList());
        QVERIFY(m_messages.isEmpty());

        // 64 MB of garbage, CR bytes included, streamed from disk.
        QByteArray garbage(64 << 20, '\0');
        QRandomGenerator rng(7);
        for (qsizetype i = 0; i < garbage.size(); i += 4)
            *reinterpret_cast<quint32*>(garbage.data() + i) = rng.generate();
        write("keywords.idx", garbage);
        write("index.idx", garbage);
        write("files.idx", garbage);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(search("word"), QStringList());
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    }

private:
    QString write(const char* name, const QByteArray& bytes) {
        QFile f(m_dir.filePath(QString::fromLatin1(name)));
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(bytes);
        return f.fileName();
    }

    // "path|title" of every page found; m_messages gets "text|plain/warning".
    QStringList search(const QString& text, bool matchCase = false) {
        TMakeFind find(m_archive);
        find.SetFolder(m_base);
        QStringList files, titles;
        const bool found = find.IndexSearch(text, files, titles, matchCase);
        m_messages.clear();
        for (const TMakeFind::Message& m : find.messages())
            m_messages << m.text +
                              (m.warning ? QStringLiteral("|warning") : QStringLiteral("|plain"));
        QStringList out;
        for (int i = 0; i < files.size(); ++i)
            out << files.at(i) + u'|' + titles.value(i);
        if (found != !out.isEmpty())
            out << QStringLiteral("found flag wrong");
        return out;
    }

    QTemporaryDir m_dir;
    QString m_base;
    ContentArchive m_archive;
    QStringList m_messages;
};

QTEST_MAIN(TstMakeFind)
#include "tst_makefind.moc"
