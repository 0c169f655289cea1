#include "platform/Cp1251.h"

#include <QTest>

namespace {
QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}
} // namespace

class TestCp1251 : public QObject {
    Q_OBJECT

private slots:
    void knownCharacters();
    void everyByteRoundTrips();
    void unicodeOutsideTheCodePage();
    void lowerAscii();
    void upperArchive();
    void equalsNoCase();
};

void TestCp1251::knownCharacters() {
    QCOMPARE(cp1251::toUnicode(uchar(0xC0)), QChar(0x0410)); // А
    QCOMPARE(cp1251::toUnicode(uchar(0xFF)), QChar(0x044F)); // я
    QCOMPARE(cp1251::toUnicode(uchar(0xA8)), QChar(0x0401)); // Ё
    QCOMPARE(cp1251::toUnicode(uchar(0xB8)), QChar(0x0451)); // ё
    QCOMPARE(cp1251::toUnicode(uchar(0x88)), QChar(0x20AC)); // €
    QCOMPARE(cp1251::toUnicode(uchar(0xB9)), QChar(0x2116)); // №
    QCOMPARE(cp1251::toUnicode(uchar(0x98)), QChar(0x0098)); // the unused byte
    QCOMPARE(cp1251::toUnicode(uchar(0xA0)), QChar(0x00A0));
    QCOMPARE(cp1251::toUnicode(QByteArray("\xc2\xe0\xed\xf2\xf0\xe5\xeb")), u("Вантрел"));
    QCOMPARE(cp1251::fromUnicode(u("Привет, мир! ©")),
             QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0! \xa9"));
    QCOMPARE(cp1251::toUnicode(nullptr, 5), QString());
    QCOMPARE(cp1251::toUnicode(QByteArray()), QString());
}

void TestCp1251::everyByteRoundTrips() {
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QString text = cp1251::toUnicode(all);
    QCOMPARE(text.size(), 256);
    // A bijection: 256 different code points, each mapping back to its byte.
    QSet<char16_t> seen;
    for (QChar c : text)
        seen.insert(c.unicode());
    QCOMPARE(seen.size(), 256);
    QCOMPARE(cp1251::fromUnicode(text), all);
    for (int i = 0; i < 256; ++i)
        QCOMPARE(uchar(cp1251::fromUnicode(cp1251::toUnicode(uchar(i)))), uchar(i));
}

void TestCp1251::unicodeOutsideTheCodePage() {
    QCOMPARE(cp1251::fromUnicode(QChar(0x00E9)), '?'); // é
    QCOMPARE(cp1251::fromUnicode(QChar(0x0081), '#'), '#');
    QCOMPARE(cp1251::fromUnicode(QChar(0x4E2D)), '?');
    QCOMPARE(cp1251::fromUnicode(u("a日b")), QByteArray("a?b"));
    // A character outside the basic plane is two UTF-16 units, each replaced.
    QCOMPARE(cp1251::fromUnicode(u("x\U0001F600")), QByteArray("x??"));
}

void TestCp1251::lowerAscii() {
    QCOMPARE(cp1251::lowerAscii(QByteArray("ABC xyz [Z@]\xc0\xa8")),
             QByteArray("abc xyz [z@]\xc0\xa8"));
    QCOMPARE(cp1251::lowerAscii(u("TITLE=Вантрел ЁЖ")), u("title=Вантрел ЁЖ"));
}

void TestCp1251::upperArchive() {
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QByteArray up = cp1251::upperArchive(all);
    for (int i = 0; i < 256; ++i) {
        const bool lowered = (i >= 'a' && i <= 'z') || i >= 0xE0;
        QCOMPARE(uchar(up[i]), uchar(lowered ? i - 0x20 : i));
    }
    // ё (0xB8) stays; "/" is not this function's business.
    QCOMPARE(cp1251::upperArchive(QByteArray("pic/\xb8\xe0.bmp")), QByteArray("PIC/\xb8\xc0.BMP"));
}

void TestCp1251::equalsNoCase() {
    QVERIFY(cp1251::equalsNoCase(u("Struct.cfs"), u("STRUCT.CFS")));
    QVERIFY(cp1251::equalsNoCase(u("Ёлка Фон.bmp"), u("ёЛКА фОН.BMP")));
    QVERIFY(cp1251::equalsNoCase(u("Ђђ Її Ґґ Ўў"), u("ђЂ їЇ ґҐ ўЎ")));
    QVERIFY(cp1251::equalsNoCase(QString(), QString()));
    QVERIFY(!cp1251::equalsNoCase(u("abc"), u("abd")));
    QVERIFY(!cp1251::equalsNoCase(u("abc"), u("abc ")));
    QVERIFY(!cp1251::equalsNoCase(u("е"), u("ё")));
    QVERIFY(!cp1251::equalsNoCase(u("a"), u("\u00c1")));
    QCOMPARE(cp1251::foldCase(u("ДОК.Htm Ё")), u("док.htm ё"));
    // Every cp1251 letter pair folds together; nothing else folds.
    for (int b = 0; b < 256; ++b) {
        for (int c = b + 1; c < 256; ++c) {
            const QChar x = cp1251::toUnicode(uchar(b));
            const QChar y = cp1251::toUnicode(uchar(c));
            const bool letterPair = x.isLetter() && x.toLower() == y.toLower();
            QCOMPARE(cp1251::equalsNoCase(QString(x), QString(y)), letterPair);
        }
    }
}

QTEST_GUILESS_MAIN(TestCp1251)
#include "tst_cp1251.moc"
