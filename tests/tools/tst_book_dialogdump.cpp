// dump --entry Dialog.cfs through the book tool: every key of the dialog
// grammar read back as JSON, dialog numbers past the range refused.
#include "ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char* const kDialog = R"(; two dialogs and one refused
[2] _picture=Find.BMP
[2] _text
vx=20
vy=30
vw=380
font=liberation sans
size=9
style=bold
color=1,2,3
value=Поиск
[2] _button
vx=298;vy=39;align=middle
fn1=f1.bmp
fn2=f2.bmp
fn3=f3.bmp
go=findnext1
hint=Искать
wav=snd\click.wav
[2] switchgrp
vx=20
vy=88
fn1=s1.bmp
fn2=s2.bmp
fn3=s3.bmp
fn4=s4.bmp
textcaptionup=Везде
state=on
store=on
group=1
go=findtxtall
hint=Во всей книге
wav=no
[1] _picture=msg.bmp
[99] _picture=far.bmp
)";

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class TestBookDialogDump : public QObject {
    Q_OBJECT

private slots:
    void dialogs() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir().mkpath(dir.filePath("book")));
        QVERIFY(QDir().mkpath(dir.filePath("run")));
        QVERIFY(writeFile(dir.filePath("book/Dialog.cfs"), kDialog));
        const QString pack = dir.filePath("run/Dod.dhl");
        const ToolResult packed = ToolRunner::run({"pack", dir.filePath("book"), "-o", pack});
        QVERIFY2(packed.exitCode == 0, packed.err.constData());

        const ToolResult r =
            ToolRunner::run({"dump", pack, "--base", "/book/run", "--entry", "Dialog.cfs"});
        QCOMPARE(r.exitCode, 0);
        // The refused dialog number is named on one stderr line.
        QVERIFY2(r.oneErrorLine() && r.errorText().contains("99"), r.err.constData());
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.keys(), QStringList{"dialogs"});
        const QJsonArray dialogs = o["dialogs"].toArray();
        QCOMPARE(dialogs.size(), 2);
        QCOMPARE(dialogs[0].toObject()["picture"].toString(), QStringLiteral("msg.bmp"));
        QVERIFY(dialogs[0].toObject()["buttons"].toArray().isEmpty());

        const QJsonObject search = dialogs[1].toObject();
        QCOMPARE(search.keys(), (QStringList{"buttons", "picture", "switchgrp", "text"}));
        QCOMPARE(search["picture"].toString(), QStringLiteral("find.bmp"));
        const QJsonObject text{{"vx", 20},
                               {"vy", 30},
                               {"vw", 380},
                               {"font", "liberation sans"},
                               {"size", 9},
                               {"style", "bold"},
                               {"color", 1 + 2 * 256 + 3 * 65536},
                               {"value", QStringLiteral(u"Поиск")}};
        QCOMPARE(search["text"].toObject(), text);
        const QJsonObject button{{"vx", 298},
                                 {"vy", 39},
                                 {"align", "middle"},
                                 {"fn1", "f1.bmp"},
                                 {"fn2", "f2.bmp"},
                                 {"fn3", "f3.bmp"},
                                 {"go", "findnext1"},
                                 {"hint", QStringLiteral(u"Искать")},
                                 {"wav", "snd\\click.wav"}};
        QCOMPARE(search["buttons"].toArray(), QJsonArray{button});
        const QJsonObject sw = search["switchgrp"].toArray().at(0).toObject();
        QCOMPARE(sw["state"].toBool(), true);
        QCOMPARE(sw["store"].toBool(), true);
        QCOMPARE(sw["group"].toInt(), 1);
        QCOMPARE(sw["go"].toString(), QStringLiteral("findtxtall"));
        QCOMPARE(sw["textcaptionup"].toString(), QStringLiteral("Везде"));
        QCOMPARE(sw["wav"].toString(), QStringLiteral("no"));
    }
};

QTEST_MAIN(TestBookDialogDump)
#include "tst_book_dialogdump.moc"
