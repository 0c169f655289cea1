#include "data/TCommandLine.h"

#include <QTest>

// The three window modes from the command line.
class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void rawText_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<bool>("help");
        QTest::addColumn<bool>("thesaurus");
        QTest::addColumn<QString>("document");
        const QString prog = QStringLiteral("c:\\book\\run\\vantrel.exe");
        const QString spaced = QStringLiteral("c:\\my book\\run\\vantrel.exe");
        QTest::newRow("no parameters") << prog << prog << false << false << false << QString();
        QTest::newRow("quoted program, no parameters")
            << QStringLiteral("\"c:\\my book\\run\\vantrel.exe\"") << spaced << false << false
            << false << QString();
        QTest::newRow("plain document")
            << prog + QStringLiteral(" c:\\book\\pic.bmp") << prog << true << false << false
            << QStringLiteral("c:\\book\\pic.bmp");
        QTest::newRow("quoted program and document, help")
            << QStringLiteral("\"c:\\my book\\run\\vantrel.exe\" \"c:\\my book\\help.htm\" /h")
            << spaced << true << true << false << QStringLiteral("c:\\my book\\help.htm");
        QTest::newRow("help in the middle")
            << prog + QStringLiteral(" help.htm /h  extra") << prog << true << true << false
            << QStringLiteral("help.htm  extra");
        // The program part is cut by length, whatever it holds.
        QTest::newRow("unquoted program with /t")
            << QStringLiteral("c:\\t/tool.exe page.htm") << QStringLiteral("c:\\t/tool.exe") << true
            << false << false << QStringLiteral("page.htm");
        QTest::newRow("thesaurus") << prog + QStringLiteral(" \"c:\\book\\g.htm\" /t") << prog
                                   << true << false << true << QStringLiteral("c:\\book\\g.htm");
        QTest::newRow("thesaurus without space")
            << prog + QStringLiteral(" g.htm/t /h") << prog << true << false << true
            << QStringLiteral("g.htm/t /h");
    }

    void rawText() {
        QFETCH(QString, raw);
        QFETCH(QString, program);
        const TCommandLine cl = TCommandLine::parse(raw, program);
        QTEST(cl.commandLineMode(), "commandLine");
        QTEST(cl.help(), "help");
        QTEST(cl.thesaurus(), "thesaurus");
        QTEST(cl.document(), "document");
    }

    void arguments() {
        const QString prog = QStringLiteral("/opt/vantrel/bin/vantrel");
        QCOMPARE(TCommandLine::rawText(QStringLiteral("/my apps/v"),
                                       {QStringLiteral("a b"), QString(), QStringLiteral("c")}),
                 QStringLiteral("\"/my apps/v\" \"a b\" \"\" c"));
        auto none = [](const QString&) { return false; };
        // One argument or two: the same document and help variant.
        for (const QStringList& args :
             {QStringList{QStringLiteral("page.htm /h")},
              QStringList{QStringLiteral("page.htm"), QStringLiteral("/h")}}) {
            const TCommandLine cl = TCommandLine::fromArguments(prog, args, none);
            QVERIFY(cl.commandLineMode());
            QVERIFY(cl.help());
            QVERIFY(!cl.thesaurus());
            QCOMPARE(cl.document(), QStringLiteral("page.htm"));
        }
        // A program folder below /t... never counts.
        const TCommandLine inTmp =
            TCommandLine::fromArguments(QStringLiteral("/tmp/b/vantrel"), {}, none);
        QVERIFY(!inTmp.commandLineMode());
        QVERIFY(!inTmp.thesaurus());
        // An existing file under /tmp is a document, a missing one asks for
        // the thesaurus.
        auto exists = [](const QString& p) { return p == QLatin1String("/tmp/a.htm"); };
        TCommandLine cl = TCommandLine::fromArguments(prog, {QStringLiteral("/tmp/a.htm")}, exists);
        QVERIFY(!cl.thesaurus());
        QCOMPARE(cl.document(), QStringLiteral("/tmp/a.htm"));
        cl = TCommandLine::fromArguments(prog, {QStringLiteral("g.htm"), QStringLiteral("/t")},
                                         exists);
        QVERIFY(cl.thesaurus());
        QCOMPARE(cl.document(), QStringLiteral("g.htm"));
        // A program path with a space is quoted and cut at its quote.
        cl = TCommandLine::fromArguments(QStringLiteral("/my apps/vantrel"),
                                         {QStringLiteral("my page.htm")}, none);
        QCOMPARE(cl.document(), QStringLiteral("my page.htm"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
