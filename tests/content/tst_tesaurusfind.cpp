// The thesaurus index: its line reader and splitter, and the lookup with its
// matching rules, read through the content archive and from loose files.
#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "content/TMakeTesaurusFind.h"
#include "data/BookPaths.h"
#include "data/IndexLines.h"
#include "platform/Cp1251.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray cp(const QString& text) {
    return cp1251::fromUnicode(text);
}

// Every line ReadIndexLine gives, and the result of the last call.
QStringList readAll(const QByteArray& bytes, bool* lastMore) {
    QByteArray data = bytes;
    QBuffer b(&data);
    b.open(QIODevice::ReadOnly);
    QStringList lines;
    QByteArray line;
    bool more = true;
    while (more) {
        more = indexlines::ReadIndexLine(b, line);
        lines << QString::fromLatin1(line);
    }
    *lastMore = more;
    return lines;
}

} // namespace

class TstTesaurusFind : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        m_base = BookPaths::fromNative(m_dir.path()) + u'\\';
        m_archive.close();
        m_archive.setRootPrefix(m_base);
        QFile::remove(m_dir.filePath("tezaurus.idx"));
        QFile::remove(m_dir.filePath("interface.dat"));
    }

    void readsLines() {
        bool more = true;
        // A last line without CR comes back with false; LF bytes are dropped.
        QCOMPARE(readAll("a\r\nb\n\rc", &more), (QStringList{"a", "b", "c"}));
        QVERIFY(!more);
        // A file ending in CR LF gives an empty last line.
        QCOMPARE(readAll("a\r\n", &more), (QStringList{"a", ""}));
        QVERIFY(!more);
        QCOMPARE(readAll("", &more), (QStringList{""}));
    }

    void splits_data() {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("two") << ":"
                             << "a:b" << QStringList{"a", "b"};
        QTest::newRow("empty second") << "#:#"
                                      << "a#:#" << QStringList{"a", ""};
        QTest::newRow("nothing") << ":"
                                 << "::" << QStringList{};
        QTest::newRow("trimmed, last kept as is")
            << "~"
            << " word \t~ page.htm " << QStringList{"word", " page.htm "};
        QTest::newRow("empty head dropped") << "~"
                                            << " ~page" << QStringList{"page"};
        QTest::newRow("three") << ":"
                               << "1: 2 :3 " << QStringList{"1", "2", "3 "};
        QTest::newRow("no separator") << "~"
                                      << "plain" << QStringList{"plain"};
    }

    void splits() {
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QFETCH(QStringList, pieces);
        QCOMPARE(indexlines::SplitBy(separator, text), pieces);
    }

    void missingIndexIsQuiet() {
        TMakeTesaurusFind find(m_archive);
        find.SetFolder(m_base);
        QString page = "untouched";
        QVERIFY(!find.ThesaurusLookup(QString(), page));
        QVERIFY(!find.ThesaurusLookup("word", page));
        QCOMPARE(page, QString("untouched"));
        QVERIFY(find.messages().isEmpty());
    }

    void looksUpLooseFile() {
        writeLoose(cp(QStringLiteral(u"Словарь ~ g.htm#top\r\n"
                                     u"без тильды\r\n"
                                     u"пустая~\r\n"
                                     u"Охлаждающ~g.htm#antifreeze\r\n"
                                     u"антифриз~g.htm#antifreeze2\r\n"
                                     u"МЁРТВ ~ g.htm#tdc\r\n"
                                     u"abs~ sub dir\\abs.htm \r\n")));
        TMakeTesaurusFind find(m_archive);
        find.SetFolder(m_base); // one trailing backslash is removed
        QVERIFY(!find.folder().endsWith(u'\\'));
        QString page;
        // An empty text asks for the start page, anchor and all.
        QVERIFY(find.ThesaurusLookup(QString(), page));
        QCOMPARE(page, QString("g.htm#top"));
        // A headword is a stem, matched anywhere in the text without case.
        QVERIFY(find.ThesaurusLookup(QStringLiteral(u"ОХЛАЖДАЮЩАЯ жидкость"), page));
        QCOMPARE(page, QString("g.htm#antifreeze"));
        // Two headwords in the text: the one first in the file wins, whatever
        // their order in the text.
        QVERIFY(find.ThesaurusLookup(QStringLiteral(u"антифриз, охлаждающий"), page));
        QCOMPARE(page, QString("g.htm#antifreeze"));
        QVERIFY(find.ThesaurusLookup(QStringLiteral(u"Верхняя мёртвая точка"), page));
        QCOMPARE(page, QString("g.htm#tdc"));
        QVERIFY(find.ThesaurusLookup("system ABS", page));
        QCOMPARE(page, QString("sub dir\\abs.htm"));
        // A line without "~" and one without a page are no entries.
        QVERIFY(!find.ThesaurusLookup(QStringLiteral(u"без тильды"), page));
        QVERIFY(!find.ThesaurusLookup(QStringLiteral(u"пустая"), page));
        // A text that contains no headword.
        QVERIFY(!find.ThesaurusLookup(QStringLiteral(u"суппорт"), page));
        QVERIFY(find.messages().isEmpty());
    }

    void startPageNeedsAnEntryOnTheFirstLine() {
        writeLoose("\r\nfirst line without a page\r\nword~w.htm");
        TMakeTesaurusFind find(m_archive);
        find.SetFolder(m_base);
        QString page;
        QVERIFY(!find.ThesaurusLookup(QString(), page));
        QVERIFY(find.ThesaurusLookup("a word", page));
        QCOMPARE(page, QString("w.htm"));
    }

    void archiveFirstAndDamagedEntry() {
        // The archive's copy is read before a loose one.
        writeLoose("loose~loose.htm");
        QByteArray idx;
        for (int i = 0; i < 200; ++i)
            idx += "term" + QByteArray::number(i) + "~t.htm#n" + QByteArray::number(i) + "\r\n";
        ArchiveWriter w;
        QVERIFY(w.addFile("tezaurus.idx", idx));
        ArchiveWriter::Layout layout;
        std::optional<QByteArray> built = w.build(nullptr, &layout);
        QVERIFY(built);
        QVERIFY(m_archive.open(writeFile("interface.dat", *built)));
        m_archive.setRootPrefix(m_base);
        {
            TMakeTesaurusFind find(m_archive);
            find.SetFolder(m_base);
            QString page;
            QVERIFY(find.ThesaurusLookup("", page));
            QCOMPARE(page, QString("t.htm#n0"));
            QVERIFY(find.ThesaurusLookup("see term17", page));
            QCOMPARE(page, QString("t.htm#n1")); // "term1" comes first
            QVERIFY(!find.ThesaurusLookup("loose", page));
        }
        // A damaged entry with no loose file behind it: the warning, no page.
        QFile::remove(m_dir.filePath("tezaurus.idx"));
        QCOMPARE(layout.files.size(), size_t(1));
        const ArchiveWriter::Placed& placed = layout.files.front();
        QVERIFY(placed.stored < placed.unpacked); // compressed, so a flipped byte breaks it
        QByteArray bad = *built;
        const qsizetype at = qsizetype(layout.dataBase + placed.offset + placed.stored / 2);
        bad[at] = char(bad[at] ^ 0x5A);
        QVERIFY(m_archive.open(writeFile("interface.dat", bad)));
        m_archive.setRootPrefix(m_base);
        TMakeTesaurusFind find(m_archive);
        find.SetFolder(m_base);
        QString page;
        QVERIFY(!find.ThesaurusLookup("term5", page));
        QCOMPARE(find.messages(),
                 QStringList{QStringLiteral(u"Индексный файл не найден (tezaurus.idx)")});
    }

private:
    QString writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(m_dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(name));
        f.write(bytes);
        return f.fileName();
    }
    void writeLoose(const QByteArray& bytes) { writeFile("tezaurus.idx", bytes); }

    QTemporaryDir m_dir;
    QString m_base;
    ContentArchive m_archive;
};

QTEST_GUILESS_MAIN(TstTesaurusFind)
#include "tst_tesaurusfind.moc"
