// Contents tree descriptions: the parent rule, the line fields and the
// limits for damaged descriptions.
#include "data/StringUtils.h"
#include "data/TreeDescription.h"

#include <QTest>

class TestTreeDescription : public QObject {
    Q_OBJECT

private slots:
    void parentRule_data();
    void parentRule();
    void lineFields();
    void damagedDescriptionIsBounded();
};

namespace {

QString shape(const QList<RTreeItem>& items) {
    QStringList out;
    for (const RTreeItem& i : items)
        out << QStringLiteral("%1:%2").arg(i.parent).arg(i.level);
    return out.join(u' ');
}

} // namespace

void TestTreeDescription::parentRule_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("shape"); // parent:level per item

    // Chapter 1 holds Section 1.1 (which holds Item) and Section 1.2.
    QTest::newRow("four lines") << QStringList{"a.htm;Chapter 1", "\tb.htm;Section 1.1",
                                               "\t\tc.htm;Item", "\td.htm;Section 1.2"}
                                << "-1:0 0:1 1:2 0:1";
    // A jump of several TABs makes the line a child of the previous line;
    // a sibling at the same depth shares its parent.
    QTest::newRow("depth jump") << QStringList{"a;A", "\t\t\tb;B", "\t\t\tc;C", "d;D"}
                                << "-1:0 0:1 0:1 -1:0";
    // Back by two levels: the nearest earlier line one TAB less deep.
    QTest::newRow("back two levels")
        << QStringList{"a;A", "\tb;B", "\t\tc;C", "\t\t\td;D", "\te;E", "\t\tf;F"}
        << "-1:0 0:1 1:2 2:3 0:1 4:2";
    // Back after a jump: 0, 2, 3, then 2 again is a sibling of the first
    // line at depth 2, never a child of a line from another chapter.
    QTest::newRow("back after jump")
        << QStringList{"a;A", "\tb;B", "c;C", "\t\t\td;D", "\t\te;E"} << "-1:0 0:1 -1:0 2:1 2:1";
    // Empty lines (and lines of TABs only) are no items.
    QTest::newRow("empty lines") << QStringList{"", "a;A", "\t\t", "   ", "\tb;B"} << "-1:0 0:1";
}

void TestTreeDescription::parentRule() {
    QFETCH(QStringList, lines);
    QFETCH(QString, shape);
    QCOMPARE(::shape(TreeDescription::parse(lines)), shape);
}

void TestTreeDescription::lineFields() {
    // Through the scrambled form: case and Cyrillic text are kept as written.
    const QStringList lines = {QStringLiteral(u"  P01.HTM ; Введение ; ignored"),
                               QStringLiteral(u"\t;Двигатель"), QStringLiteral("\t\tonly.htm"),
                               QStringLiteral(u"\t\tp19.htm#Engine;Не заводится;")};
    const QList<RTreeItem> items = TreeDescription::parseEntry(cfs::encode(lines));
    QCOMPARE(items.size(), 4);
    QCOMPARE(items[0].page, QStringLiteral("P01.HTM"));
    QCOMPARE(items[0].caption, QStringLiteral(u"Введение"));
    QCOMPARE(items[1].page, QString());
    QCOMPARE(items[1].caption, QStringLiteral(u"Двигатель"));
    QCOMPARE(items[1].depth, 1);
    QCOMPARE(items[2].page, QStringLiteral("only.htm"));
    QCOMPARE(items[2].caption, QString());
    QCOMPARE(items[3].page, QStringLiteral("p19.htm#Engine"));
    QCOMPARE(items[3].caption, QStringLiteral(u"Не заводится"));
    QCOMPARE(items[3].depth, 2);
    QCOMPARE(items[3].parent, 1);
}

void TestTreeDescription::damagedDescriptionIsBounded() {
    QStringList lines;
    lines << QString(TreeDescription::kMaxLineLength * 3, u'x') + QStringLiteral(";cap");
    lines << QString(1000, u'\t') + QStringLiteral("deep.htm;Deep");
    for (qsizetype i = 0; i < TreeDescription::kMaxItems + 10; ++i)
        lines << QStringLiteral("p.htm;P");
    QStringList cuts;
    const QList<RTreeItem> items = TreeDescription::parse(lines, &cuts);
    QCOMPARE(items.size(), TreeDescription::kMaxItems);
    QCOMPARE(items[0].page.size(), TreeDescription::kMaxLineLength); // cut before its ';'
    QCOMPARE(items[1].depth, TreeDescription::kMaxDepth);
    QCOMPARE(items[1].level, 1);
    QCOMPARE(cuts.size(), 3);
    QVERIFY(cuts.join(u'\n').contains(QStringLiteral("12 lines past the limit")));

    QStringList none;
    QVERIFY(TreeDescription::parseEntry(QByteArray(TreeDescription::kMaxEntryBytes + 1, 'a'), &none)
                .isEmpty());
    QCOMPARE(none.size(), 1);
}

QTEST_GUILESS_MAIN(TestTreeDescription)
#include "tst_treedescription.moc"
