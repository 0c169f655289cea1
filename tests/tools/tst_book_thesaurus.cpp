// thesaurus through the book tool: the reader's lookup as JSON, for a book
// folder holding interface.dat, and the failures.
#include "ToolRunner.h"

#include "content/ArchiveWriter.h"
#include "platform/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

class TestBookThesaurus : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void lookups_data();
    void lookups();
    void damagedIndexGivesTheWarning();
    void errors_data();
    void errors();

private:
    QJsonObject lookup(const QString& dir, const QString& text);
    QTemporaryDir m_dir;
    QString m_run;
};

void TestBookThesaurus::initTestCase() {
    QVERIFY(m_dir.isValid());
    // The book's folder is "run" below the book root; the archive stores the
    // index under RUN\ as the reader's archive root is the book root.
    m_run = m_dir.filePath("book/run");
    QVERIFY(QDir().mkpath(m_run));
    ArchiveWriter w;
    QVERIFY(w.addFile("run/tezaurus.idx",
                      cp1251::fromUnicode(QStringLiteral(u"словарь~g.htm#top\r\n"
                                                         u"антифриз~g.htm#antifreeze\r\n"
                                                         u"охлаждающ~g.htm#cooling\r\n"))));
    QVERIFY(w.write(m_run + "/interface.dat"));
}

QJsonObject TestBookThesaurus::lookup(const QString& dir, const QString& text) {
    const ToolResult r = ToolRunner::run({"thesaurus", dir, text});
    if (r.exitCode != 0 || !r.err.isEmpty())
        qWarning() << r.exitCode << r.errorText();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    // Exactly these keys, whatever the answer.
    if (o.keys() != QStringList{"found", "messages", "page"})
        qWarning() << "keys" << o.keys();
    return o;
}

void TestBookThesaurus::lookups_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("page");
    QTest::newRow("start page") << QString() << true << "g.htm#top";
    QTest::newRow("spaces only: the start page") << "  " << true << "g.htm#top";
    QTest::newRow("stem in a longer word")
        << QStringLiteral(u"Охлаждающая жидкость") << true << "g.htm#cooling";
    QTest::newRow("first in the file wins")
        << QStringLiteral(u"охлаждающий антифриз") << true << "g.htm#antifreeze";
    QTest::newRow("unknown") << "carburettor" << false << "";
}

void TestBookThesaurus::lookups() {
    QFETCH(QString, text);
    QFETCH(bool, found);
    QFETCH(QString, page);
    const QJsonObject o = lookup(m_run, text);
    QCOMPARE(o.keys(), (QStringList{"found", "messages", "page"}));
    QCOMPARE(o["found"].toBool(), found);
    QCOMPARE(o["page"].toString(), page);
    QVERIFY(o["messages"].toArray().isEmpty());
}

void TestBookThesaurus::damagedIndexGivesTheWarning() {
    // An index that is there but cannot be read: the reader's warning.
    const QString dir = m_dir.filePath("damaged");
    QVERIFY(QDir().mkpath(dir));
    QByteArray idx;
    for (int i = 0; i < 300; ++i)
        idx += "term" + QByteArray::number(i) + "~t.htm\r\n";
    ArchiveWriter w;
    QVERIFY(w.addFile("tezaurus.idx", idx));
    ArchiveWriter::Layout layout;
    QByteArray bytes = *w.build(nullptr, &layout);
    const auto& placed = layout.files.front();
    QVERIFY(placed.stored < placed.unpacked);
    const qsizetype at = qsizetype(layout.dataBase + placed.offset + placed.stored / 2);
    bytes[at] = char(bytes[at] ^ 0x5A);
    QFile f(dir + "/interface.dat");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    const QJsonObject o = lookup(dir, "term1");
    QCOMPARE(o["found"].toBool(), false);
    QCOMPARE(o["page"].toString(), QString());
    QCOMPARE(o["messages"].toArray(),
             QJsonArray{QStringLiteral(u"Индексный файл не найден (tezaurus.idx)")});
    // A folder without any index: not found, and nothing to say.
    const QJsonObject none = lookup(m_dir.path(), "term1");
    QCOMPARE(none["found"].toBool(), false);
    QVERIFY(none["messages"].toArray().isEmpty());
}

void TestBookThesaurus::errors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::newRow("missing folder") << QStringList{"thesaurus", "/nonexistent/book", "x"} << 1;
    QTest::newRow("no text") << QStringList{"thesaurus", "DIR"} << 2;
    QTest::newRow("nothing") << QStringList{"thesaurus"} << 2;
    QTest::newRow("too many") << QStringList{"thesaurus", "DIR", "a", "b"} << 2;
}

void TestBookThesaurus::errors() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    args.replaceInStrings(QStringLiteral("DIR"), m_run);
    const ToolResult r = ToolRunner::run(args);
    QCOMPARE(r.exitCode, code);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.oneErrorLine(), r.err.constData());
}

QTEST_GUILESS_MAIN(TestBookThesaurus)
#include "tst_book_thesaurus.moc"
