#include "data/BookPaths.h"
#include "data/DialogDescription.h"
#include "data/StructParser.h"

#include <QTest>

// Numbers at the ends of int in descriptions: screen numbers were taken one
// off (undefined behaviour for the smallest), coordinates and sizes reached
// the skin code whole, where sums and products overflowed.
class TestExtremeNumbers : public QObject {
    Q_OBJECT

    BookPaths m_paths{QStringLiteral("\\book\\run\\")};

private slots:
    void coordinatesAreClamped() {
        const QStringList lines = QString::fromUtf8(R"(title=x
[1] _screen=a.bmp
[2] _screen=b.bmp
[2] button
vx=2147483647
vy=-2147483648
texttx=2147483647
textbx=-2147483648
textfontsize=2147483647
[-2147483648] button
vx=1)")
                                      .split(QLatin1Char('\n'));
        const StructModel m = parseStruct(lines, &m_paths, StructGrammar::Main);
        QCOMPARE(m.screens.size(), 2);
        const RBtn& b = m.screens[1].buttons.constLast(); // after the two templates
        QCOMPARE(b.vx, 32767);
        QCOMPARE(b.vy, -32767);
        QCOMPARE(b.texttx, 32767);
        QCOMPARE(b.textbx, -32767);
        QCOMPARE(b.textfontsize, 32767);
        // Keys are searched forward from a heading: one block per text.
        const StructModel h = parseStruct({"[1] _screen=a.bmp", "[1] _html", "vx=-2147483648",
                                           "vy=2147483647", "vw=2147483647", "vh=-2147483647"},
                                          &m_paths, StructGrammar::Main);
        QCOMPARE(h.html.size(), 1);
        QCOMPARE(h.html[0].vx, -32767);
        QCOMPARE(h.html[0].vw, 32767);
        QCOMPARE(h.html[0].vh, -32767);
    }

    void dialogNumbersAtTheEnds() {
        const QStringList lines = {QStringLiteral("[-2147483648] _picture=a.bmp"),
                                   QStringLiteral("[2147483647] _picture=b.bmp"),
                                   QStringLiteral("[1] _picture=c.bmp")};
        const DialogDescription d = DialogDescription::parse(lines, &m_paths, "test");
        QCOMPARE(d.count(), 1); // only dialog 1 is within range
    }
};

QTEST_GUILESS_MAIN(TestExtremeNumbers)
#include "tst_extremenumbers.moc"
