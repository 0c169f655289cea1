// The 840-byte record between copies: its byte layout, the text fields'
// limits, and the records a receiver must refuse.
#include "platform/RCopyRecord.h"

#include <QTest>
#include <QtEndian>

class TestCopyRecord : public QObject {
    Q_OBJECT
private slots:
    void layoutAndRoundTrip();
    void textLimits();
    void refusesUntrustedRecords();
};

void TestCopyRecord::layoutAndRoundTrip() {
    RCopyRecord r;
    r.kind = RCopyRecord::PrintFile;
    r.count = 3;
    r.codes = {0, 1, -2};
    r.texts = {QStringLiteral("\\book\\run\\страница.htm"), QStringLiteral("640"),
               QStringLiteral("480")};
    const std::optional<QByteArray> bytes = r.encode();
    QVERIFY(bytes);
    QCOMPARE(bytes->size(), 840);
    const char* d = bytes->constData();
    QCOMPARE(qFromLittleEndian<qint16>(d + 0), qint16(1));
    QCOMPARE(qFromLittleEndian<quint16>(d + 2), quint16(3));
    QCOMPARE(qFromLittleEndian<qint32>(d + 4), 0);
    QCOMPARE(qFromLittleEndian<qint32>(d + 8), 1);
    QCOMPARE(qFromLittleEndian<qint32>(d + 12), -2);
    // Text 1 at 16 in code page 1251 ("с" is 0xF1), NUL-terminated, then zeros.
    const QByteArray text1 = QByteArray("\\book\\run\\\xF1\xF2\xF0\xE0\xED\xE8\xF6\xE0.htm");
    QCOMPARE(bytes->mid(16, text1.size()), text1);
    QCOMPARE(bytes->at(16 + text1.size()), '\0');
    QCOMPARE(bytes->mid(16 + text1.size(), 274 - text1.size()),
             QByteArray(274 - text1.size(), '\0'));
    QCOMPARE(bytes->mid(16 + 274, 4), QByteArray("640\0", 4));
    QCOMPARE(bytes->mid(16 + 2 * 274, 4), QByteArray("480\0", 4));
    QCOMPARE(bytes->mid(838, 2), QByteArray(2, '\0'));

    const std::optional<RCopyRecord> back = RCopyRecord::decode(*bytes);
    QVERIFY(back);
    QCOMPARE(back->kind, r.kind);
    QCOMPARE(back->count, r.count);
    QVERIFY(back->codes == r.codes);
    QVERIFY(back->texts == r.texts);

    // Fields past the count are neither written nor read.
    RCopyRecord one = RCopyRecord::single(RCopyRecord::IsShown, QStringLiteral("a.bmp"));
    one.texts[1] = QStringLiteral("not sent");
    const QByteArray b1 = *one.encode();
    QCOMPARE(b1.mid(16 + 274, 274), QByteArray(274, '\0'));
    QVERIFY(RCopyRecord::decode(b1)->texts[1].isEmpty());
}

void TestCopyRecord::textLimits() {
    // 273 characters fit with their NUL; 274 do not, and nothing is cut.
    QString error;
    QVERIFY(RCopyRecord::single(RCopyRecord::ShowPage, QString(273, u'я')).encode(&error));
    QVERIFY(!RCopyRecord::single(RCopyRecord::ShowPage, QString(274, u'a')).encode(&error));
    QVERIFY2(error.contains(QLatin1String("274")), qPrintable(error));
    // A text that would arrive as another text is not sent either.
    QVERIFY(!RCopyRecord::single(RCopyRecord::ShowPage, QStringLiteral("a\u4e2d.htm")).encode());
    QVERIFY(!RCopyRecord::single(RCopyRecord::ShowPage, QString::fromLatin1("a\0b", 3)).encode());
    // A text of the full 273 comes back whole.
    const QString longest = QString(270, u'ж') + QStringLiteral(".h");
    const auto back =
        RCopyRecord::decode(*RCopyRecord::single(RCopyRecord::ShowPage, longest + u'x').encode());
    QVERIFY(back);
    QCOMPARE(back->texts[0], longest + u'x');
    // Counts of 0 or past the three fields are not sent.
    RCopyRecord none;
    QVERIFY(!none.encode());
    none.count = 4;
    QVERIFY(!none.encode());
}

void TestCopyRecord::refusesUntrustedRecords() {
    const QByteArray good =
        *RCopyRecord::single(RCopyRecord::IsShown, QStringLiteral("x")).encode();
    QVERIFY(RCopyRecord::decode(good));
    QString error;
    // Wrong sizes.
    QVERIFY(!RCopyRecord::decode(good.left(839), &error));
    QVERIFY(!RCopyRecord::decode(good + '\0', &error));
    QVERIFY(!RCopyRecord::decode(QByteArray(), &error));
    // Unknown kinds (2 lies between the known ones).
    for (qint16 kind : {qint16(2), qint16(4), qint16(-1)}) {
        QByteArray b = good;
        qToLittleEndian<qint16>(kind, b.data());
        QVERIFY2(!RCopyRecord::decode(b, &error), qPrintable(QString::number(kind)));
    }
    // A count past the fields, or none.
    for (quint16 count : {quint16(0), quint16(4), quint16(65535)}) {
        QByteArray b = good;
        qToLittleEndian<quint16>(count, b.data() + 2);
        QVERIFY(!RCopyRecord::decode(b, &error));
    }
    // A text in use without its NUL; the same bytes in an unused field pass.
    QByteArray b = good;
    b.replace(16, 274, QByteArray(274, 'a'));
    QVERIFY(!RCopyRecord::decode(b, &error));
    QVERIFY(error.contains(QLatin1String("no end")));
    b = good;
    b.replace(16 + 274, 274, QByteArray(274, 'a'));
    QVERIFY(RCopyRecord::decode(b));
    // A text of exactly 273 bytes and its NUL in the last byte is read whole.
    b = good;
    b.replace(16, 273, QByteArray(273, 'b'));
    b[16 + 273] = '\0';
    QCOMPARE(RCopyRecord::decode(b)->texts[0], QString(273, u'b'));
}

QTEST_GUILESS_MAIN(TestCopyRecord)
#include "tst_copyrecord.moc"
