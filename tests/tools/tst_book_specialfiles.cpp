#include "ToolRunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// Source folders holding what is not a regular file: a named pipe hung the
// pack and archive builds, a link to /dev/zero flooded them.
class TestBookSpecialFiles : public QObject {
    Q_OBJECT

private slots:
    void specialSourcesAreRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("expected");
        for (const QString& kind : {QStringLiteral("pipe"), QStringLiteral("device")}) {
            const QString expected = kind == "pipe" ? "named pipe" : "a device";
            QTest::newRow(qPrintable("pack, " + kind)) << kind << QStringList{"pack"} << expected;
            QTest::newRow(qPrintable("archive build, " + kind))
                << kind << QStringList{"archive", "build"} << expected;
        }
    }
    void specialSourcesAreRefused() {
        QFETCH(QString, kind);
        QFETCH(QStringList, command);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString src = dir.filePath("src");
        QDir().mkpath(src);
        QFile page(src + "/page.htm");
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<p>page");
        page.close();
        const QString special = src + "/special.htm";
        if (kind == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(special).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), special));
        QElapsedTimer clock;
        clock.start();
        const ToolResult r = ToolRunner::run(command + QStringList{src, "-o", dir.filePath("out")});
        QVERIFY(clock.elapsed() < 20000);
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.oneErrorLine(), qPrintable(r.errorText()));
        QVERIFY(r.errorText().contains("special.htm"));
        QVERIFY2(r.errorText().contains(expected), qPrintable(r.errorText()));
    }
};

QTEST_GUILESS_MAIN(TestBookSpecialFiles)
#include "tst_book_specialfiles.moc"
