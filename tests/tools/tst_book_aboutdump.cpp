// dump --entry About.cfs through the book tool: the header pass and the
// element pass read back as JSON, links with their targets.
#include "ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char* const kAbout = R"(; the about box
Picture=Old.BMP
picture=About.BMP
vertex=[24,0;456,0;
480,24;0,24]
text
vx=142;vy=84
font=Liberation Serif
size=13
style=Italic
color=236,226,198
value=Руководство
idenf=Subtitle
text
vx=30
vy=298
font=liberation sans
size=9
style=underline
color=255,204,96
value=Service@Vantrel.example?subject=Вопрос
idenf=url
button
vx=350
vy=282
fn1=ab_1.bmp
fn2=ab_2.bmp
hint=Закрыть окно
wav=Snd\Click.wav
)";

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class TestBookAboutDump : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString packOf(const QString& name, const QByteArray& about) {
        const QString book = m_dir.filePath(name);
        if (!QDir().mkpath(book) || !writeFile(book + "/About.cfs", about))
            return {};
        const QString pack = m_dir.filePath(name + ".dhl");
        const ToolResult packed = ToolRunner::run({"pack", book, "-o", pack});
        return packed.exitCode == 0 ? pack : QString();
    }

private slots:
    void about() {
        const QString pack = packOf("full", kAbout);
        QVERIFY(!pack.isEmpty());
        const ToolResult r = ToolRunner::run({"dump", pack, "--entry", "About.cfs"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.keys(),
                 (QStringList{"buttons", "links", "picture", "pictures", "texts", "vertex"}));
        // Lower-cased as the reader reads it; the last picture counts.
        QCOMPARE(o["picture"].toString(), QStringLiteral("about.bmp"));
        QCOMPARE(o["pictures"].toArray(), (QJsonArray{"old.bmp", "about.bmp"}));
        QCOMPARE(o["vertex"].toArray(), (QJsonArray{QJsonArray{24, 0}, QJsonArray{456, 0},
                                                    QJsonArray{480, 24}, QJsonArray{0, 24}}));
        const QJsonArray texts = o["texts"].toArray();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0].toObject(), (QJsonObject{{"vx", 142},
                                                   {"vy", 84},
                                                   {"font", "liberation serif"},
                                                   {"size", 13},
                                                   {"style", "italic"},
                                                   {"color", 236 + 226 * 256 + 198 * 65536},
                                                   {"value", QStringLiteral("Руководство")},
                                                   {"idenf", "subtitle"}}));
        QCOMPARE(o["buttons"].toArray(),
                 (QJsonArray{QJsonObject{{"vx", 350},
                                         {"vy", 282},
                                         {"fn1", "ab_1.bmp"},
                                         {"fn2", "ab_2.bmp"},
                                         {"hint", QStringLiteral("Закрыть окно")},
                                         {"wav", "snd\\click.wav"}}}));
        const QString value = QStringLiteral("service@vantrel.example?subject=Вопрос");
        QCOMPARE(o["links"].toArray(), (QJsonArray{QJsonObject{{"vx", 30},
                                                               {"vy", 298},
                                                               {"target", "mailto:" + value},
                                                               {"shown", "service@vantrel.example"},
                                                               {"value", value}}}));
    }

    // No usable outline: null, with the reason on one stderr line.
    void noOutline() {
        const QString pack = packOf("flat", "picture=a.bmp\nvertex=[0,0;1,1]\n");
        QVERIFY(!pack.isEmpty());
        const ToolResult r = ToolRunner::run({"dump", pack, "--entry", "About.cfs"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.oneErrorLine() && r.errorText().contains("three points"), r.err.constData());
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QVERIFY(o["vertex"].isNull());
        QVERIFY(o["links"].toArray().isEmpty());
    }
};

QTEST_MAIN(TestBookAboutDump)
#include "tst_book_aboutdump.moc"
