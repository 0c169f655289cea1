#include "content/RarTexts.h"
#include "content/RarWriter.h"
#include "content/TRarExtractor.h"
#include "content/TUnRar.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file below `dir` (relative paths, "/" separated), links included.
QStringList filesBelow(const QString& dir) {
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(dir).relativeFilePath(it.next());
    out.sort();
    return out;
}

struct Listed {
    QStringList names;
    int read = 0;    // the result that ended the loop
    int process = 0; // the last processFile result
};

Listed listArchive(const QString& path, QStringList* volumeCalls = nullptr) {
    Listed l;
    TUnRar rar;
    rar.VolumeCallback = [volumeCalls](const QString& v, int mode) {
        if (volumeCalls)
            *volumeCalls << QStringLiteral("%1:%2").arg(mode).arg(QFileInfo(v).fileName());
        return mode == TUnRar::VolumeMissing ? 0 : 1;
    };
    const int open = rar.open(path, TUnRar::ListMode);
    if (open != TUnRar::Success) {
        l.read = open;
        return l;
    }
    TUnRar::RHeader h;
    while ((l.read = rar.readHeader(h)) == TUnRar::Success) {
        l.names << h.name;
        l.process = rar.processFile(TUnRar::Skip);
        if (!rartexts::goesOn(l.process))
            break;
    }
    return l;
}

struct Unpacked {
    TRarExtractor::RResult result;
    QStringList messages;
};

Unpacked unpack(const QString& archive, const QString& folder,
                std::function<bool(const QString&)> replace = {}) {
    Unpacked u;
    TRarExtractor x;
    x.Message = [&u](const QString& m) { u.messages << m; };
    x.ReplaceQuestion = std::move(replace);
    u.result = x.extract(archive, QFileInfo(archive).fileName(), folder);
    return u;
}

} // namespace

class TestUnRar : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    int m_n = 0;

    QString fresh(const QString& name) {
        const QString dir = m_tmp.filePath(QString::number(++m_n));
        QDir().mkpath(dir);
        return dir + u'/' + name;
    }

private slots:
    void initTestCase() { QVERIFY(m_tmp.isValid()); }

    // Nested folders and every way a name is stored come back as written,
    // with their data; the listing keeps archive order.
    void namesAndDataRoundTrip() {
        RarWriter w;
        w.addFolder("Книги");
        RarWriter::Entry oem;
        oem.name = "Книги/Глава 1/текст.txt";
        oem.data = "пример";
        oem.nameForm = RarWriter::NameForm::Oem;
        w.add(oem);
        RarWriter::Entry uni;
        uni.name = "Книги/Ёлка €.txt";
        uni.data = QByteArray(70000, 'x');
        uni.nameForm = RarWriter::NameForm::Unicode;
        w.add(uni);
        RarWriter::Entry raw;
        raw.name = "Книги/сырой.txt";
        raw.data = "utf8";
        raw.nameForm = RarWriter::NameForm::Utf8Raw;
        w.add(raw);
        w.addFile("readme.txt", "hello");
        const QString path = fresh("a.rar");
        QVERIFY(RarWriter::save(path, w.archive()));

        const Listed l = listArchive(path);
        QCOMPARE(l.read, int(TUnRar::EndArchive));
        QCOMPARE(l.names, (QStringList{"Книги", "Книги/Глава 1/текст.txt", "Книги/Ёлка €.txt",
                                       "Книги/сырой.txt", "readme.txt"}));

        const QString out = fresh("out");
        const Unpacked u = unpack(path, out);
        QVERIFY2(u.messages.isEmpty(), qPrintable(u.messages.join('|')));
        QVERIFY(u.result.complete);
        QCOMPARE(u.result.written, 4);
        QCOMPARE(readAll(out + "/Книги/Глава 1/текст.txt"), QByteArray("пример"));
        QCOMPARE(readAll(out + "/Книги/Ёлка €.txt"), QByteArray(70000, 'x'));
        QCOMPARE(filesBelow(out).size(), 4); // no temporary file left
    }

    // A stored entry whose data does not match its CRC is named and not left
    // under its name; the entries before it stay.
    void storedCrcChecked() {
        RarWriter w;
        w.addFile("good.txt", "good");
        RarWriter::Entry bad;
        bad.name = "bad.txt";
        bad.data = "corrupted";
        bad.wrongCrc = true;
        w.add(bad);
        const QString path = fresh("crc.rar");
        QVERIFY(RarWriter::save(path, w.archive()));
        const QString out = fresh("out");
        const Unpacked u = unpack(path, out);
        QCOMPARE(u.messages, QStringList{"У файла bad.txt ошика контрольной суммы."});
        QCOMPARE(filesBelow(out), QStringList{"good.txt"});
    }

    // A volume set is found from its first part and read whole; a missing
    // last volume is told once with its name, and the file it would finish
    // is not left behind.
    void volumeSets() {
        RarWriter w;
        w.addFolder("dir");
        QByteArray big(5000, '\0');
        for (int i = 0; i < big.size(); ++i)
            big[i] = char(i * 7);
        w.addFile("dir/big.bin", big);
        w.addFile("small.txt", "small");
        const QList<QByteArray> vols = w.volumes(2000);
        QCOMPARE(vols.size(), 3);
        const QString base = fresh("set");
        for (int i = 0; i < vols.size(); ++i)
            QVERIFY(RarWriter::save(base + QString(".part%1.rar").arg(i + 1), vols.at(i)));

        // Opening a later part starts at the first one; a stray file with
        // the next number after the last volume is not taken in.
        QVERIFY(RarWriter::save(base + ".part4.rar", RarWriter().archive()));
        TUnRar rar;
        QCOMPARE(rar.open(base + ".part2.rar", TUnRar::ListMode), int(TUnRar::Success));
        QCOMPARE(rar.volumes().size(), 3);
        rar.close();
        QFile::remove(base + ".part4.rar");

        const QString out = fresh("out");
        const Unpacked u = unpack(base + ".part1.rar", out);
        QVERIFY2(u.messages.isEmpty(), qPrintable(u.messages.join('|')));
        QCOMPARE(readAll(out + "/dir/big.bin"), big);
        QCOMPARE(readAll(out + "/small.txt"), QByteArray("small"));

        QFile::remove(base + ".part3.rar");
        QStringList calls;
        const Listed l = listArchive(base + ".part1.rar", &calls);
        QCOMPARE(l.names.first(), QString("dir"));
        QCOMPARE(calls, QStringList{"0:set.part3.rar"});
        const QString out2 = fresh("out");
        const Unpacked u2 = unpack(base + ".part1.rar", out2);
        QCOMPARE(u2.messages.size(), 1);
        QCOMPARE(u2.messages.first(), rartexts::missingVolume(base + ".part3.rar"));
        QCOMPARE(filesBelow(out2), QStringList());
    }

    // Old-style names: name.rar, name.r00, name.r01.
    void oldStyleVolumeNames() {
        QCOMPARE(TUnRar::nextVolumeName("/x/a.rar"), QString("/x/a.r00"));
        QCOMPARE(TUnRar::nextVolumeName("/x/a.r09"), QString("/x/a.r10"));
        QCOMPARE(TUnRar::nextVolumeName("/x/a.part09.rar"), QString("/x/a.part10.rar"));
        QCOMPARE(TUnRar::nextVolumeName("/x/a.part1.rar"), QString("/x/a.part2.rar"));
    }

    // Nothing is written outside the folder: "..", absolute names, drive
    // letters and a link already in the folder are refused, each named; the
    // harmless entry still arrives.
    void hostileNamesStayInside() {
        const QString outside = fresh("outside");
        QDir().mkpath(outside);
        RarWriter w;
        for (const char* name : {"../evil.txt", "/tmp/abs_evil.txt", "c:\\evil.txt",
                                 "ok\\..\\..\\evil2.txt", "link/through.txt"}) {
            RarWriter::Entry e;
            e.rawName = name;
            e.data = "evil";
            w.add(e);
        }
        w.addFile("good.txt", "good");
        const QString path = fresh("evil.rar");
        QVERIFY(RarWriter::save(path, w.archive()));
        const QString out = QFileInfo(fresh("out")).absoluteFilePath();
        QDir().mkpath(out);
        QVERIFY(QFile::link(outside, out + "/link"));

        const Unpacked u = unpack(path, out);
        QCOMPARE(u.messages.size(), 5);
        for (const QString& m : u.messages)
            QVERIFY2(m.contains("за пределы папки"), qPrintable(m));
        QCOMPARE(u.result.written, 1);
        QCOMPARE(readAll(out + "/good.txt"), QByteArray("good"));
        QCOMPARE(filesBelow(outside), QStringList());
        QVERIFY(!QFile::exists(QFileInfo(out).absolutePath() + "/evil.txt"));
        QVERIFY(!QFile::exists("/tmp/abs_evil.txt"));

        // A link standing where a file goes is neither followed nor replaced.
        const QString out2 = QFileInfo(fresh("out")).absoluteFilePath();
        QDir().mkpath(out2);
        QVERIFY(RarWriter::save(outside + "/target.txt", "outside"));
        QVERIFY(QFile::link(outside + "/target.txt", out2 + "/good.txt"));
        const Unpacked u2 = unpack(path, out2, [](const QString&) { return true; });
        QCOMPARE(u2.result.written, 1); // link/through.txt, in a real folder this time
        QVERIFY(u2.messages.contains(rartexts::processError(TUnRar::Refused, "good.txt")));
        QCOMPARE(readAll(outside + "/target.txt"), QByteArray("outside"));
        QVERIFY(QFileInfo(out2 + "/good.txt").isSymLink());
    }

    // An existing file is replaced only when the question says yes.
    void existingFilesAsked() {
        RarWriter w;
        w.addFile("f.txt", "new");
        const QString path = fresh("r.rar");
        QVERIFY(RarWriter::save(path, w.archive()));
        const QString out = fresh("out");
        QVERIFY(RarWriter::save(out + "/f.txt", "old"));
        QStringList asked;
        unpack(path, out, [&asked](const QString& p) {
            asked << QFileInfo(p).fileName();
            return false;
        });
        QCOMPARE(asked, QStringList{"f.txt"});
        QCOMPARE(readAll(out + "/f.txt"), QByteArray("old"));
        unpack(path, out); // no question at all: kept
        QCOMPARE(readAll(out + "/f.txt"), QByteArray("old"));
        unpack(path, out, [](const QString&) { return true; });
        QCOMPARE(readAll(out + "/f.txt"), QByteArray("new"));

        // Two entries of one name in a row: libarchive loses the second's
        // name and data. Both are listed; the second is named, not written
        // over the first with wrong data.
        RarWriter twice;
        twice.addFile("f.txt", "one");
        twice.addFile("f.txt", "second");
        const QString tpath = fresh("twice.rar");
        QVERIFY(RarWriter::save(tpath, twice.archive()));
        QCOMPARE(listArchive(tpath).names, (QStringList{"f.txt", "f.txt"}));
        const QString tout = fresh("out");
        const Unpacked t = unpack(tpath, tout, [](const QString&) { return true; });
        QCOMPARE(t.messages, QStringList{rartexts::processError(TUnRar::BadData, "f.txt")});
        QCOMPARE(readAll(tout + "/f.txt"), QByteArray("one"));
    }

    // Cut short, empty, not an archive: each named in the reader's words, no
    // partial file left under its name.
    void damagedArchives() {
        RarWriter w;
        w.addFile("first.txt", "first");
        w.addFile("second.bin", QByteArray(4000, 'b'));
        const QByteArray whole = w.archive();
        const QString cut = fresh("cut.rar");
        QVERIFY(RarWriter::save(cut, whole.left(whole.size() - 2000)));
        const QString out = fresh("out");
        const Unpacked u = unpack(cut, out);
        QCOMPARE(u.messages.size(), 1);
        QVERIFY(!u.result.complete);
        QCOMPARE(filesBelow(out), QStringList{"first.txt"});

        const QString empty = fresh("empty.rar");
        QVERIFY(RarWriter::save(empty, QByteArray()));
        QCOMPARE(unpack(empty, fresh("out")).messages,
                 QStringList{"Файл empty.rar не является RAR архивом."});
        QCOMPARE(listArchive(fresh("missing.rar")).read, int(TUnRar::OpenError));
    }

    // An archive cut at every byte, and with bytes changed at random: every
    // run ends, nothing lands outside the folder and no temporary file stays.
    void cutAndChangedArchives() {
        RarWriter w;
        w.addFolder("dir");
        w.addFile("dir/a.txt", QByteArray(300, 'a'));
        RarWriter::Entry uni;
        uni.name = "Ёж.txt";
        uni.data = "hedgehog";
        uni.nameForm = RarWriter::NameForm::Unicode;
        w.add(uni);
        const QByteArray whole = w.archive();
        const QString root = QFileInfo(fresh("runs")).absoluteFilePath();
        const QString path = root + "/x.rar";
        const QString out = root + "/out";
        QRandomGenerator rng(7);
        for (int run = 0; run < whole.size() + 300; ++run) {
            QByteArray bytes = whole;
            if (run < whole.size()) {
                bytes.truncate(run);
            } else {
                for (int k = 0; k < 3; ++k)
                    bytes[rng.bounded(int(bytes.size()))] = char(rng.bounded(256));
            }
            QVERIFY(RarWriter::save(path, bytes));
            listArchive(path);
            unpack(path, out);
            for (const QString& f : filesBelow(root)) {
                QVERIFY2(f == "x.rar" || f.startsWith("out/"), qPrintable(f));
                QVERIFY2(!f.contains(".vantrel-"), qPrintable(f));
            }
            QDir(out).removeRecursively();
        }
    }

    // Large listings and long names stay bounded.
    void manyEntriesAndLongNames() {
        RarWriter w;
        for (int i = 0; i < 100000; ++i)
            w.addFile(QString("d%1/f%2.txt").arg(i % 100).arg(i), QByteArray());
        const QString path = fresh("many.rar");
        QVERIFY(RarWriter::save(path, w.archive()));
        QElapsedTimer t;
        t.start();
        const Listed l = listArchive(path);
        QCOMPARE(l.names.size(), 100000);
        QCOMPARE(l.read, int(TUnRar::EndArchive));
        QVERIFY2(t.elapsed() < 30000, "listing 100 000 entries took too long");

        RarWriter longNames;
        const QString deep = QStringList(10, QString(99, u'д')).join('/') + ".txt";
        longNames.addFile(deep, "deep");
        longNames.addFile(QString(1000, u'z'), "flat"); // longer than a file name may be
        longNames.addFile("after.txt", "after");
        const QString lpath = fresh("long.rar");
        QVERIFY(RarWriter::save(lpath, longNames.archive()));
        QCOMPARE(listArchive(lpath).names.at(0).size(), deep.size());
        const QString out = fresh("out");
        const Unpacked u = unpack(lpath, out);
        QCOMPARE(readAll(out + "/" + deep), QByteArray("deep"));
        QCOMPARE(u.messages.size(), 1);
        QVERIFY2(u.messages.first().contains("create error"), qPrintable(u.messages.first()));
    }

    // The real archives of this machine, when present.
    void realArchives_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("listed");
        QTest::addColumn<int>("written");
        QTest::addColumn<QString>("message"); // start of the first message, "" for none
        QTest::newRow("rar4 subdirs") << "rarfile_rar3-subdirs.rar" << 10 << 4 << "";
        QTest::newRow("rar5 subdirs") << "rarfile_rar5-subdirs.rar" << 10 << 4 << "";
        QTest::newRow("rar4 volumes") << "rarfile_rar3-vols.part1.rar" << 2 << 2 << "";
        QTest::newRow("rar4 old volumes") << "rarfile_rar3-old.rar" << 2 << 2 << "";
        QTest::newRow("rar5 volumes")
            << "test_read_format_rar5_multiarchive.part01.rar" << 2 << 2 << "";
        QTest::newRow("rar4 solid") << "rarfile_rar3-solid.rar" << 2 << 1 << "Файл stest2.txt";
        QTest::newRow("rar4 encrypted entries")
            << "test_read_format_rar4_encrypted.rar" << 4 << 2 << "Файл b.txt зашифрован";
        QTest::newRow("rar4 encrypted headers")
            << "test_read_format_rar_encryption_header.rar" << 0 << 0 << "Архив";
        QTest::newRow("rar5 encrypted headers")
            << "test_read_format_rar5_encrypted_filenames.rar" << 0 << 0 << "Архив";
        QTest::newRow("code page 866 names") << "generated/gen_oem866.rar" << 5 << 2 << "";
        QTest::newRow("bad stored crc") << "generated/gen_badcrc.rar" << 2 << 0 << "У файла a.txt";
        QTest::newRow("rar5 bad stored crc")
            << "damaged/rar5_stored_datacrc.rar" << 1 << 0 << "У файла";
        QTest::newRow("traversal") << "generated/gen_evil.rar" << 4 << 1 << "Файл ../evil.txt";
        QTest::newRow("symlink traversal")
            << "rarfile_rar5-evil-symlink-traversal.rar" << 2 << 1 << "Файл up";
        QTest::newRow("header crc") << "damaged/rar4_hdrcrc_2nd.rar" << 1 << 1 << "У файла:";
        QTest::newRow("truncated rar4") << "damaged/rar4_trunc_half.rar" << 1 << 0 << "Read error";
        QTest::newRow("truncated rar5") << "damaged/rar5_trunc_half.rar" << 2 << 1 << "Read error";
        QTest::newRow("rar5 file copies") << "rarfile_rar5-dups.rar" << 9 << 9 << "";
        QTest::newRow("rar5 hard link")
            << "extra/test_read_format_rar5_hardlink.rar" << 2 << 2 << "";
        QTest::newRow("rar4 symlink")
            << "rarfile_rar3-symlink-unix.rar" << 3 << 1 << "Файл data_link";
        QTest::newRow("rar5 encrypted entries")
            << "test_read_format_rar5_encrypted.rar" << 4 << 2 << "Файл b.txt зашифрован";
        QTest::newRow("rar5 encrypted headers (psw)")
            << "extra/rarfile_rar5-hpsw.rar" << 0 << 0 << "Архив";
        QTest::newRow("rar4 solid encrypted")
            << "extra/test_read_format_rar4_solid_encrypted.rar" << 4 << 0 << "Файл a.txt";
        QTest::newRow("rar4 main header crc")
            << "damaged/rar4_mainhdr.rar" << 0 << 0 << "rar4_mainhdr.rar: archive header broken";
        QTest::newRow("rar5 header crc")
            << "damaged/rar5_hdrcrc.rar" << 0 << 0 << "rar5_hdrcrc.rar: archive header broken";
        QTest::newRow("rar4 cut after marker")
            << "damaged/rar4_trunc_after_marker.rar" << 0 << 0
            << "rar4_trunc_after_marker.rar: archive header broken";
        QTest::newRow("rar4 cut in header") << "damaged/rar4_trunc_in_header.rar" << 1 << 1
                                            << "У файла: test.txt испорчен заголовок.";
        QTest::newRow("rar4 data crc") << "damaged/rar4_lzss_datacrc.rar" << 6 << 0 << "У файла";
        QTest::newRow("rar4 data crc at end")
            << "damaged/rar4_lzss_datacrc_end.rar" << 6 << 0 << "У файла";
        QTest::newRow("rar4 stored data crc")
            << "damaged/rar4_stored_datacrc.rar" << 5 << 0 << "У файла test.txt";
        QTest::newRow("rar5 data crc") << "damaged/rar5_lzss_datacrc.rar" << 1 << 0 << "У файла";
        QTest::newRow("rar5 cut in data")
            << "damaged/rar5_trunc_in_data.rar" << 1 << 0 << "У файла";
        QTest::newRow("bad signature") << "damaged/bad_signature.rar" << 0 << 0 << "Файл ";
        QTest::newRow("not rar") << "damaged/not_a_rar.rar" << 0 << 0 << "Файл ";
        QTest::newRow("empty") << "damaged/empty.rar" << 0 << 0 << "Файл ";
    }
    void realArchives() {
        const QString root = QStringLiteral(VANTREL_RAR_FIXTURES);
        if (root.isEmpty() || !QFileInfo(root).isDir())
            QSKIP("no folder of real RAR archives on this machine");
        QFETCH(QString, file);
        QFETCH(int, listed);
        QFETCH(int, written);
        QFETCH(QString, message);
        const QString path = root + u'/' + file;
        QCOMPARE(listArchive(path).names.size(), listed);
        const QString out = QFileInfo(fresh("out")).absoluteFilePath();
        const Unpacked u = unpack(path, out);
        QCOMPARE(u.result.written, written);
        if (message.isEmpty())
            QVERIFY2(u.messages.isEmpty(), qPrintable(u.messages.join('|')));
        else
            QVERIFY2(!u.messages.isEmpty() && u.messages.first().startsWith(message),
                     qPrintable(u.messages.join('|')));
        // Shared data arrives whole.
        if (file.contains("dups"))
            QCOMPARE(QFile(out + "/stest9.txt").size(), QFile(out + "/stest1.txt").size());
        // Nothing outside, no temporary file and no link left behind.
        QDirIterator it(QFileInfo(out).absolutePath(),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo f(it.next());
            QVERIFY2(!f.isSymLink(), qPrintable(f.filePath()));
            QVERIFY2(!f.fileName().startsWith(".vantrel-"), qPrintable(f.filePath()));
            QVERIFY2(f.absoluteFilePath().startsWith(out), qPrintable(f.filePath()));
        }
    }
};

QTEST_MAIN(TestUnRar)
#include "tst_unrar.moc"
