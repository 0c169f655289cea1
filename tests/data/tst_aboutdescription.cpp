#include "data/AboutDescription.h"
#include "data/StringUtils.h"

#include <QRandomGenerator>
#include <QTest>

// Reading About.cfs: the header pass (pictures, outline) and the element
// pass (texts, buttons), and the links made from "url" texts.
class TestAboutDescription : public QObject {
    Q_OBJECT

private:
    static AboutDescription parse(const char* text) {
        return AboutDescription::parse(QString::fromUtf8(text).split(QLatin1Char('\n')));
    }

private slots:
    // A whole description: two pictures (the last counts), an outline over
    // two lines, keys sharing lines, links with and without a mail address.
    void wholeDescription() {
        const AboutDescription d = parse(R"(; the box
picture=first.bmp
picture=about.bmp
vertex=[10,0;90,0;100,10;
100,90;0,90]
text vx=142; vy=84
font=liberation serif;size=13
style=italic bold
color=236,226,198
value=Руководство по ремонту
idenf=subtitle
text
vx=30
vy=280
font=liberation sans
size=9;style=underline
color=255,0,1
value=service@vantrel.example?subject=вопрос по книге
idenf=url
text
vx=30;vy=298;font=x;size=9;style=;color=1,2,3
value=http://www.vantrel.example/?page=1
idenf=url
button
vx=350
vy=282
fn1=ab_1.bmp
hint=Закрыть окно
fn2=ab_2.bmp
wav=snd\click.wav)");
        QCOMPARE(d.picture, QStringLiteral("about.bmp"));
        QCOMPARE(d.pictures, (QStringList{"first.bmp", "about.bmp"}));
        QVERIFY(d.vertex);
        QCOMPARE(*d.vertex, QPolygon({QPoint(10, 0), QPoint(90, 0), QPoint(100, 10),
                                      QPoint(100, 90), QPoint(0, 90)}));
        QCOMPARE(d.texts.size(), 3);
        const RAboutText& t = d.texts[0];
        QCOMPARE(t.vx, 142);
        QCOMPARE(t.vy, 84);
        QCOMPARE(t.font, QStringLiteral("liberation serif"));
        QCOMPARE(t.size, 13);
        QCOMPARE(t.style, QStringLiteral("italic bold"));
        QCOMPARE(t.color, 236 + 226 * 256 + 198 * 65536);
        QCOMPARE(t.value, QStringLiteral("Руководство по ремонту"));
        QCOMPARE(t.idenf, QStringLiteral("subtitle"));
        QCOMPARE(d.texts[2].color, 1 + 2 * 256 + 3 * 65536);

        // A mail address with a subject: the shown text stops before "?",
        // the target keeps the whole value; a web address opens as it is.
        QCOMPARE(d.links.size(), 2);
        const QString mail = QStringLiteral("service@vantrel.example?subject=вопрос по книге");
        QCOMPARE(d.links[0].vx, 30);
        QCOMPARE(d.links[0].vy, 280);
        QCOMPARE(d.links[0].value, mail);
        QCOMPARE(d.links[0].target, QStringLiteral("mailto:") + mail);
        QCOMPARE(d.links[0].shown, QStringLiteral("service@vantrel.example"));
        QCOMPARE(d.links[1].target, QStringLiteral("http://www.vantrel.example/?page=1"));
        QCOMPARE(d.links[1].shown, QStringLiteral("http://www.vantrel.example/"));

        // A key written out of order is passed over: the hint before fn2
        // is lost while fn2 is looked for, and is not found after it.
        QCOMPARE(d.buttons.size(), 1);
        const RBtn& b = d.buttons[0];
        QCOMPARE(b.vx, 350);
        QCOMPARE(b.vy, 282);
        QCOMPARE(b.fn1, QStringLiteral("ab_1.bmp"));
        QCOMPARE(b.fn2, QStringLiteral("ab_2.bmp"));
        QCOMPARE(b.hint, QString());
        QCOMPARE(b.wav, QString());
    }

    // No outline line, or one that cannot shape a window: none. Huge
    // coordinates are clamped; a number that is no int32 reads as -1.
    void outlines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QPolygon>("points");
        QTest::newRow("none") << "picture=a.bmp" << false << QPolygon();
        QTest::newRow("two points") << "vertex=[0,0;10,10]" << false << QPolygon();
        QTest::newRow("unclosed") << "vertex=[0,0;10,10" << false << QPolygon();
        QTest::newRow("huge") << "vertex=[0,0;2000000000,0;99999999999,-2000000000]" << true
                              << QPolygon({QPoint(0, 0), QPoint(16384, 0), QPoint(-1, -16384)});
        QTest::newRow("last usable wins") << "vertex=[0,0;5,0;5,5]\nvertex=[1,1;2,2]" << true
                                          << QPolygon({QPoint(0, 0), QPoint(5, 0), QPoint(5, 5)});
    }
    void outlines() {
        QFETCH(QString, text);
        QFETCH(bool, present);
        QFETCH(QPolygon, points);
        const AboutDescription d = AboutDescription::parse(text.split(QLatin1Char('\n')));
        QCOMPARE(bool(d.vertex), present);
        if (present)
            QCOMPARE(*d.vertex, points);
        QVERIFY(d.texts.isEmpty() && d.buttons.isEmpty());
    }

    // A missing entry and damaged bytes end in bounded time with whatever
    // could be read; without a picture line the picture stays empty.
    void damagedOrMissing() {
        const AboutDescription none = AboutDescription::parse({});
        QVERIFY(none.picture.isEmpty() && none.pictures.isEmpty() && !none.vertex);

        QRandomGenerator random(13);
        for (int round = 0; round < 50; ++round) {
            QByteArray bytes(int(random.bounded(4000)), Qt::Uninitialized);
            for (char& c : bytes)
                c = char(random.bounded(256));
            QStringList lines = cfs::decode(bytes, true);
            // Some rounds end in the words the passes look for, cut short.
            if (round % 2)
                lines << "text"
                      << "button"
                      << "vertex=[1,2;3,4;5"
                      << "picture="
                      << "vx=";
            const AboutDescription d = AboutDescription::parse(lines);
            QVERIFY(d.links.size() <= d.texts.size());
            if (d.vertex)
                QVERIFY(d.vertex->size() >= 3);
        }
        // Keys that run out at the end of the text still give the element.
        const AboutDescription cut = parse("text\nvx=5\nvy=6");
        QCOMPARE(cut.texts.size(), 1);
        QCOMPARE(cut.texts[0].vy, 6);
        QVERIFY(cut.picture.isEmpty());
    }
};

QTEST_MAIN(TestAboutDescription)
#include "tst_aboutdescription.moc"
