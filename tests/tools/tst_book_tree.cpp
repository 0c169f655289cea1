// tree through the book tool: a packed description read back as JSON, and
// the failures.
#include "ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

class TestBookTree : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void itemsAsJson();
    void errors_data();
    void errors();

private:
    QTemporaryDir m_dir;
    QString m_pack;
};

void TestBookTree::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir().mkpath(m_dir.filePath("book")));
    QFile tree(m_dir.filePath("book/tree2.cfs"));
    QVERIFY(tree.open(QIODevice::WriteOnly));
    tree.write(QStringLiteral(u"A.htm;Глава 1\n\n\tb.htm ; Раздел 1.1 ; x\n\t\t;Heading\n"
                              u"\tD.HTM#x;Раздел 1.2\n")
                   .toUtf8());
    tree.close();
    m_pack = m_dir.filePath("Dod.dhl");
    const ToolResult packed = ToolRunner::run({"pack", m_dir.filePath("book"), "-o", m_pack});
    QCOMPARE(packed.exitCode, 0);
}

void TestBookTree::itemsAsJson() {
    const ToolResult r = ToolRunner::run({"tree", m_pack, "--entry", "TREE2.CFS"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.err.isEmpty());
    const QJsonArray items = QJsonDocument::fromJson(r.out).array();
    QCOMPARE(items.size(), 4);
    for (const QJsonValue& v : items)
        QCOMPARE(v.toObject().keys(), (QStringList{"caption", "depth", "level", "page", "parent"}));
    auto row = [&](int i) {
        const QJsonObject o = items[i].toObject();
        return QStringLiteral("%1|%2|%3|%4|%5")
            .arg(o["depth"].toInt())
            .arg(o["page"].toString(), o["caption"].toString())
            .arg(o["parent"].toInt())
            .arg(o["level"].toInt());
    };
    QCOMPARE(row(0), QStringLiteral(u"0|A.htm|Глава 1|-1|0"));
    QCOMPARE(row(1), QStringLiteral(u"1|b.htm|Раздел 1.1|0|1"));
    QCOMPARE(row(2), QStringLiteral(u"2||Heading|1|2"));
    QCOMPARE(row(3), QStringLiteral(u"1|D.HTM#x|Раздел 1.2|0|1"));
}

void TestBookTree::errors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::newRow("no entry") << QStringList{"tree", "PACK"} << 1; // tree1.cfs is absent
    QTest::newRow("missing pack") << QStringList{"tree", "/nonexistent/Dod.dhl"} << 1;
    QTest::newRow("no pack given") << QStringList{"tree"} << 2;
    QTest::newRow("empty entry") << QStringList{"tree", "PACK", "--entry="} << 2;
    QTest::newRow("unknown option") << QStringList{"tree", "PACK", "--base", "x"} << 2;
}

void TestBookTree::errors() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    args.replaceInStrings(QStringLiteral("PACK"), m_pack);
    const ToolResult r = ToolRunner::run(args);
    QCOMPARE(r.exitCode, code);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.oneErrorLine(), r.err.constData());
}

QTEST_GUILESS_MAIN(TestBookTree)
#include "tst_book_tree.moc"
