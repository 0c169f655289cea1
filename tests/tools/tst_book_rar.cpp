// vantrel-book rar list / extract: the JSON contract of the listing, and the
// reader's extraction with one line on stderr for what goes wrong.
#include "ToolRunner.h"

#include "content/RarWriter.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

class TestBookRar : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;

private slots:
    void initTestCase() { QVERIFY(m_tmp.isValid()); }

    void listIsJsonInArchiveOrder() {
        RarWriter w;
        RarWriter::Entry folder;
        folder.name = "Папка";
        folder.folder = true;
        folder.time = QDateTime(QDate(2003, 7, 1), QTime(12, 0, 2));
        w.add(folder);
        RarWriter::Entry file;
        file.name = "Папка/b.txt";
        file.data = "12345";
        file.nameForm = RarWriter::NameForm::Oem;
        file.attributes = 0x21;
        w.add(file);
        w.addFile("a.txt", "x");
        const QString path = m_tmp.filePath("l.rar");
        QVERIFY(RarWriter::save(path, w.archive()));

        const ToolResult r = ToolRunner::run({"rar", "list", path});
        QCOMPARE(r.exitCode, 0);
        const QJsonArray a = QJsonDocument::fromJson(r.out).array();
        QCOMPARE(a.size(), 3);
        const QJsonObject b = a.at(1).toObject();
        QCOMPARE(b.keys(), (QStringList{"attributes", "encrypted", "folder", "name", "packed_size",
                                        "size", "time"}));
        QCOMPARE(b.value("name").toString(), QString("Папка/b.txt"));
        QCOMPARE(b.value("size").toInt(), 5);
        QCOMPARE(b.value("packed_size").toInt(), 5);
        QCOMPARE(b.value("attributes").toInt(), 0x21);
        QCOMPARE(b.value("folder").toBool(), false);
        QCOMPARE(b.value("encrypted").toBool(), false);
        QCOMPARE(a.at(0).toObject().value("folder").toBool(), true);
        QCOMPARE(a.at(0).toObject().value("time").toString(), QString("2003-07-01T12:00:02"));
        QCOMPARE(a.at(2).toObject().value("name").toString(), QString("a.txt"));
    }

    void extractKeepsInsideAndNamesProblems() {
        RarWriter w;
        RarWriter::Entry evil;
        evil.rawName = "../evil.txt";
        evil.data = "evil";
        w.add(evil);
        w.addFile("dir/good.txt", "good");
        const QString path = m_tmp.filePath("e.rar");
        QVERIFY(RarWriter::save(path, w.archive()));
        const QString out = m_tmp.filePath("out/in");
        const ToolResult r = ToolRunner::run({"rar", "extract", path, "-o", out});
        QVERIFY(r.exitCode != 0);
        QVERIFY2(r.oneErrorLine(), r.err.constData());
        QVERIFY(r.errorText().contains("../evil.txt"));
        QVERIFY(QFile::exists(out + "/dir/good.txt"));
        QVERIFY(!QFile::exists(m_tmp.filePath("out/evil.txt")));

        QFile junk(m_tmp.filePath("junk.rar"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not an archive");
        junk.close();
        const ToolResult bad = ToolRunner::run({"rar", "list", junk.fileName()});
        QVERIFY(bad.exitCode != 0);
        QVERIFY(bad.oneErrorLine());
        QVERIFY(bad.errorText().contains("не является RAR архивом"));
    }
};

QTEST_MAIN(TestBookRar)
#include "tst_book_rar.moc"
