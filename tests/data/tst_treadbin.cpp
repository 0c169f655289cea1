#include "data/PackWriter.h"
#include "data/TReadBin.h"
#include "platform/Cp1251.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Raw pack building for the malformed cases the writer refuses to make.
struct RawPack {
    QByteArray bytes;
    explicit RawPack(quint16 count) {
        char c[2];
        qToLittleEndian(count, c);
        bytes.append(c, 2);
    }
    RawPack& u32(quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        bytes.append(b, 4);
        return *this;
    }
    RawPack& raw(const QByteArray& b) {
        bytes.append(b);
        return *this;
    }
    RawPack& record(const QByteArray& name, quint32 offset, quint32 size) {
        return u32(quint32(name.size())).raw(name).u32(offset).u32(size);
    }
};

} // namespace

class TestTReadBin : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    int m_serial = 0;
    QString save(const QByteArray& bytes) {
        const QString path = m_tmp.filePath(QStringLiteral("pack%1.dhl").arg(++m_serial));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_tmp.isValid()); }

    void emptyPack();
    void lookupsIgnoreCase();
    void duplicatesAndNulNames();
    void zeroSizeEntry();
    void entryPastEndOfFile();
    void streamIsReplaced();
    void damagedPacksFailCleanly_data();
    void damagedPacksFailCleanly();
    void failedLoadKeepsDirectory();
    void truncatedPacksNeverCrash();
    void randomRoundTrips();
    void writerRefusesBadNames();
};

void TestTReadBin::emptyPack() {
    PackWriter w;
    const QString path = m_tmp.filePath(QStringLiteral("empty.dhl"));
    QVERIFY(w.write(path));
    QCOMPARE(QFileInfo(path).size(), 2);
    TReadBin bin;
    QString error;
    QVERIFY2(bin.load(path, &error), qPrintable(error));
    QVERIFY(bin.entries().isEmpty());
    QVERIFY(!bin.has(QStringLiteral("Struct.cfs")));
    QByteArray buf("old");
    QCOMPARE(bin.readToBuffer(QStringLiteral("Struct.cfs"), buf), -1);
    QBuffer stream;
    QVERIFY(!bin.readToStream(QStringLiteral("Struct.cfs"), stream));
    QVERIFY(!bin.read(QString()).has_value());
}

void TestTReadBin::lookupsIgnoreCase() {
    PackWriter w;
    QVERIFY(w.add(QStringLiteral("Struct.cfs"), "struct bytes"));
    QVERIFY(w.add(u("Фон Ёлки.bmp"), "picture"));
    QVERIFY(w.add(QStringLiteral("icon.ico"), "icon"));
    const QString path = m_tmp.filePath(QStringLiteral("case.dhl"));
    QVERIFY(w.write(path));

    TReadBin bin;
    QVERIFY(bin.load(path));
    QCOMPARE(bin.path(), path);
    QCOMPARE(bin.entries().size(), 3);
    QCOMPARE(bin.entries().at(1).name, u("Фон Ёлки.bmp"));
    for (const QString& name : {QStringLiteral("struct.cfs"), QStringLiteral("STRUCT.CFS"),
                                QStringLiteral("Struct.cfs")}) {
        QVERIFY(bin.has(name));
        QByteArray buf;
        QCOMPARE(bin.readToBuffer(name, buf), 12);
        QCOMPARE(buf, QByteArray("struct bytes"));
    }
    QVERIFY(bin.has(u("фон ёлки.BMP")));
    QCOMPARE(bin.read(u("ФОН ЁЛКИ.bmp")).value_or(QByteArray()), QByteArray("picture"));
    // Whole names only.
    QVERIFY(!bin.has(QStringLiteral("Struct")));
    QVERIFY(!bin.has(QStringLiteral("Struct.cfs ")));
}

void TestTReadBin::duplicatesAndNulNames() {
    RawPack p(3);
    const quint32 data = 2 + (4 + 5 + 8) + (4 + 5 + 8) + (4 + 8 + 8);
    p.record("a.cfs", data, 3)
        .record("A.CFS", data + 3, 3)
        .record(QByteArray("b.x\0junk", 8), data + 6, 2);
    p.raw("onetwoB!");
    TReadBin bin;
    QString error;
    QVERIFY2(bin.load(save(p.bytes), &error), qPrintable(error));
    QCOMPARE(bin.entries().size(), 3);
    // The first of two names differing only in case wins.
    QCOMPARE(bin.read(QStringLiteral("A.cfs")).value(), QByteArray("one"));
    QCOMPARE(bin.read(QStringLiteral("a.CFS")).value(), QByteArray("one"));
    // A name holding a NUL is known by the part before it.
    QCOMPARE(bin.entries().at(2).name, QStringLiteral("b.x"));
    QCOMPARE(bin.read(QStringLiteral("B.X")).value(), QByteArray("B!"));
}

void TestTReadBin::zeroSizeEntry() {
    PackWriter w;
    QVERIFY(w.add(QStringLiteral("empty.bin"), QByteArray()));
    QVERIFY(w.add(QStringLiteral("next.bin"), "x"));
    TReadBin bin;
    QVERIFY(bin.load(save(w.toBytes())));
    QByteArray buf("stale");
    QCOMPARE(bin.readToBuffer(QStringLiteral("empty.bin"), buf), 0);
    QVERIFY(buf.isEmpty());
    QBuffer stream;
    QVERIFY(bin.readToStream(QStringLiteral("EMPTY.BIN"), stream));
    QVERIFY(stream.isOpen());
    QCOMPARE(stream.size(), 0);
    QCOMPARE(stream.pos(), 0);
}

void TestTReadBin::entryPastEndOfFile() {
    RawPack p(3);
    const quint32 data = 2 + 3 * (4 + 1 + 8);
    p.record("a", data, 4).record("b", data + 2, 3).record("c", 0xFFFFFFF0u, 0x20);
    p.raw("abcd");
    TReadBin bin;
    QVERIFY(bin.load(save(p.bytes)));
    QCOMPARE(bin.read(QStringLiteral("a")).value(), QByteArray("abcd"));
    QByteArray buf;
    QCOMPARE(bin.readToBuffer(QStringLiteral("b"), buf), -1);
    QCOMPARE(bin.readToBuffer(QStringLiteral("c"), buf), -1);
    QBuffer stream;
    QVERIFY(!bin.readToStream(QStringLiteral("b"), stream));

    // A huge declared size is refused without allocating it.
    RawPack huge(1);
    huge.record("h", 15, 0x7FFFFFFFu);
    QVERIFY(bin.load(save(huge.bytes)));
    QCOMPARE(bin.readToBuffer(QStringLiteral("h"), buf), -1);
    RawPack over(1);
    over.record("h", 15, 0x80000000u);
    QVERIFY(bin.load(save(over.bytes)));
    QCOMPARE(bin.readToBuffer(QStringLiteral("h"), buf), -1);

    // The pack vanishing after loading is a failed read, not a crash.
    PackWriter w;
    QVERIFY(w.add(QStringLiteral("x"), "1"));
    const QString path = save(w.toBytes());
    QVERIFY(bin.load(path));
    QVERIFY(QFile::remove(path));
    QVERIFY(bin.has(QStringLiteral("x")));
    QCOMPARE(bin.readToBuffer(QStringLiteral("x"), buf), -1);
}

void TestTReadBin::streamIsReplaced() {
    PackWriter w;
    QVERIFY(w.add(QStringLiteral("pic.bmp"), "BMdata"));
    TReadBin bin;
    QVERIFY(bin.load(save(w.toBytes())));
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    stream.write("a much longer previous content");
    QVERIFY(bin.readToStream(QStringLiteral("PIC.BMP"), stream));
    QVERIFY(stream.isOpen());
    QCOMPARE(stream.pos(), 0);
    QCOMPARE(stream.readAll(), QByteArray("BMdata"));
    QCOMPARE(stream.data(), QByteArray("BMdata"));
}

void TestTReadBin::damagedPacksFailCleanly_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("one byte") << QByteArray(1, '\1');
    QTest::newRow("count without records") << RawPack(1).bytes;
    QTest::newRow("huge count") << RawPack(65535).u32(1).raw("a").u32(0).u32(0).bytes;
    QTest::newRow("name length 0") << RawPack(1).u32(0).u32(0).u32(0).u32(0).bytes;
    QTest::newRow("name length 257")
        << RawPack(1).u32(257).raw(QByteArray(300, 'n')).u32(0).u32(0).bytes;
    QTest::newRow("name length 2^32-1") << RawPack(1).u32(0xFFFFFFFFu).raw("abcdefghijkl").bytes;
    QTest::newRow("name past end") << RawPack(1).u32(200).raw("short name").bytes;
    QTest::newRow("size field cut") << RawPack(1).u32(1).raw("a").u32(0).raw("\1\2").bytes;
    QTest::newRow("second record cut")
        << RawPack(2).record("a", 0, 0).u32(3).raw("bcd").u32(0).bytes;
}

void TestTReadBin::damagedPacksFailCleanly() {
    QFETCH(QByteArray, bytes);
    TReadBin bin;
    QString error;
    QVERIFY(!bin.load(save(bytes), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(bin.entries().isEmpty());
    QVERIFY(!bin.has(QStringLiteral("a")));

    QVERIFY(!bin.load(m_tmp.filePath(QStringLiteral("no such pack.dhl")), &error));
    QVERIFY(error.contains(QStringLiteral("no such pack")));
    error.clear();
    QVERIFY(!bin.load(m_tmp.path(), &error));
    QVERIFY(!error.isEmpty());
}

void TestTReadBin::failedLoadKeepsDirectory() {
    PackWriter w;
    QVERIFY(w.add(QStringLiteral("Struct.cfs"), "ok"));
    const QString good = save(w.toBytes());
    TReadBin bin;
    QVERIFY(bin.load(good));
    QVERIFY(!bin.load(save(RawPack(1).u32(0).bytes)));
    QCOMPARE(bin.path(), good);
    QCOMPARE(bin.read(QStringLiteral("struct.cfs")).value(), QByteArray("ok"));
}

void TestTReadBin::truncatedPacksNeverCrash() {
    // Every prefix of a valid pack either loads (and its reads stay within
    // the file) or fails with an error; random bytes likewise.
    PackWriter w;
    QVERIFY(w.add(QStringLiteral("one"), "1111"));
    QVERIFY(w.add(u("два.cfs"), "22"));
    QVERIFY(w.add(QStringLiteral("three"), QByteArray(40, '3')));
    const QByteArray full = w.toBytes();
    const qsizetype dirEnd = 2 + (4 + 3 + 8) + (4 + 7 + 8) + (4 + 5 + 8);
    for (qsizetype len = 0; len <= full.size(); ++len) {
        TReadBin bin;
        QString error;
        const bool ok = bin.load(save(full.left(len)), &error);
        QCOMPARE(ok, len >= dirEnd);
        if (!ok) {
            QVERIFY(!error.isEmpty());
            continue;
        }
        QByteArray buf;
        QCOMPARE(bin.readToBuffer(QStringLiteral("THREE"), buf), len == full.size() ? 40 : -1);
    }

    QRandomGenerator rng(99);
    for (int round = 0; round < 300; ++round) {
        QByteArray junk(int(rng.bounded(64)), '\0');
        for (char& c : junk)
            c = char(rng.bounded(256));
        TReadBin bin;
        if (bin.load(save(junk))) {
            for (const RBin& e : bin.entries()) {
                QByteArray buf;
                const qint64 n = bin.readToBuffer(e.name, buf);
                QVERIFY(n == -1 || n <= junk.size());
            }
        }
    }
}

void TestTReadBin::randomRoundTrips() {
    QRandomGenerator rng(4242);
    for (int round = 0; round < 20; ++round) {
        PackWriter w;
        QList<PackWriter::Entry> expected;
        const int count = int(rng.bounded(60));
        for (int i = 0; i < count; ++i) {
            QByteArray nameBytes;
            const int len = 1 + int(rng.bounded(i % 7 == 0 ? 256 : 20));
            for (int k = 0; k < len; ++k)
                nameBytes.append(char(1 + rng.bounded(255))); // no NUL
            const QString name = cp1251::toUnicode(nameBytes) + QString::number(i);
            if (cp1251::fromUnicode(name).size() > 256)
                continue;
            QByteArray data(int(rng.bounded(i % 5 == 0 ? 5000 : 100)), '\0');
            for (char& c : data)
                c = char(rng.bounded(256));
            QVERIFY(w.add(name, data));
            expected.append({name, data});
        }
        const QString path = m_tmp.filePath(QStringLiteral("round.dhl"));
        QString error;
        QVERIFY2(w.write(path, &error), qPrintable(error));
        TReadBin bin;
        QVERIFY2(bin.load(path, &error), qPrintable(error));
        QCOMPARE(bin.entries().size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(bin.entries().at(i).name, expected.at(i).name);
            QByteArray buf;
            // Names made unique by their number, so every lookup finds its own.
            QCOMPARE(bin.readToBuffer(expected.at(i).name, buf), expected.at(i).data.size());
            QCOMPARE(buf, expected.at(i).data);
        }
    }
}

void TestTReadBin::writerRefusesBadNames() {
    PackWriter w;
    QString error;
    QVERIFY(!w.add(QString(), "x", &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!w.add(QString(257, u'a'), "x", &error));
    QVERIFY(w.add(QString(256, u'a'), "x"));
    QVERIFY(!w.add(QStringLiteral("日本"), "x", &error));
    QVERIFY(!w.add(QStringLiteral("a\0b"), "x", &error));
    // A second name equal but for letter case could never be read back.
    QVERIFY(w.add(u("Фон.bmp"), "1"));
    QVERIFY(!w.add(u("фОН.BMP"), "2", &error));
    QVERIFY(error.contains(u("Фон.bmp")));
    QCOMPARE(w.entries().size(), 2);
    w.clear();
    QVERIFY(w.add(u("фОН.BMP"), "2"));
    QVERIFY(!w.write(m_tmp.filePath(QStringLiteral("no/such/folder/x.dhl")), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestTReadBin)
#include "tst_treadbin.moc"
