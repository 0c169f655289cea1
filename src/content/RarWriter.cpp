#include "content/RarWriter.h"

#include "content/Cp866.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <zlib.h>

namespace {

constexpr char kMarker[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};

constexpr quint8 kMainHead = 0x73;
constexpr quint8 kFileHead = 0x74;
constexpr quint8 kEndHead = 0x7B;

constexpr quint16 kMainVolume = 0x0001;
constexpr quint16 kMainNewNumbering = 0x0010;
constexpr quint16 kMainFirstVolume = 0x0100;
constexpr quint16 kSplitBefore = 0x0001;
constexpr quint16 kSplitAfter = 0x0002;
constexpr quint16 kDirectory = 0x00E0;
constexpr quint16 kUnicodeName = 0x0200;
constexpr quint16 kLongBlock = 0x8000;
constexpr quint16 kEndNextVolume = 0x0001;
constexpr quint16 kEndVolumeNumber = 0x0008;
constexpr quint16 kEndFixed = 0x4000;

constexpr quint8 kHostWin32 = 2;
constexpr quint8 kStored = 0x30;
constexpr quint8 kVersion = 20;

void put16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

void put32(QByteArray& out, quint32 v) {
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

quint32 crc32Of(const QByteArray& bytes) {
    return quint32(
        ::crc32(0L, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

// A block: CRC-16 (the low half of the CRC-32 of everything after it), type,
// flags, size, then `body`.
QByteArray block(quint8 type, quint16 flags, const QByteArray& body) {
    QByteArray tail;
    tail.append(char(type));
    put16(tail, flags);
    put16(tail, quint16(7 + body.size()));
    tail.append(body);
    QByteArray out;
    put16(out, quint16(crc32Of(tail) & 0xFFFF));
    out.append(tail);
    return out;
}

bool isAscii(const QString& s) {
    for (const QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// The stored name and whether it carries the Unicode form. The Unicode form
// follows a zero byte: a high byte, then per group of four characters a flag
// byte whose two-bit fields say "two bytes follow: low, high" (2).
QByteArray storedName(const RarWriter::Entry& e, bool& unicode) {
    unicode = false;
    if (!e.rawName.isEmpty())
        return e.rawName;
    QString name = e.name;
    name.replace(u'/', u'\\');
    RarWriter::NameForm form = e.nameForm;
    if (form == RarWriter::NameForm::Auto)
        form = isAscii(name) ? RarWriter::NameForm::Oem : RarWriter::NameForm::Unicode;
    switch (form) {
    case RarWriter::NameForm::Utf8Raw:
        return name.toUtf8();
    case RarWriter::NameForm::Oem:
    case RarWriter::NameForm::Auto:
        return cp866::fromUnicode(name);
    case RarWriter::NameForm::Unicode:
        break;
    }
    unicode = true;
    QByteArray out = cp866::fromUnicode(name);
    out.append('\0');
    out.append('\0'); // high byte (unused: every character is written whole)
    for (qsizetype i = 0; i < name.size(); i += 4) {
        const qsizetype n = qMin<qsizetype>(4, name.size() - i);
        quint8 flags = 0;
        for (qsizetype k = 0; k < 4; ++k)
            flags = quint8(flags << 2) | (k < n ? 2 : 0);
        out.append(char(flags));
        for (qsizetype k = 0; k < n; ++k) {
            const char16_t c = name.at(i + k).unicode();
            out.append(char(c & 0xFF));
            out.append(char(c >> 8));
        }
    }
    return out;
}

QByteArray fileHeader(const RarWriter::Entry& e, quint16 splitFlags, const QByteArray& part,
                      quint32 crc) {
    bool unicode = false;
    const QByteArray name = storedName(e, unicode);
    quint16 flags = kLongBlock | splitFlags;
    if (e.folder)
        flags |= kDirectory;
    if (unicode)
        flags |= kUnicodeName;
    quint32 attributes = e.attributes;
    if (attributes == 0)
        attributes = e.folder ? 0x10 : 0x20;
    QByteArray body;
    put32(body, quint32(part.size()));    // packed size
    put32(body, quint32(e.data.size()));  // unpacked size
    body.append(char(kHostWin32));        // host system
    put32(body, e.wrongCrc ? ~crc : crc); // data CRC
    put32(body, RarWriter::dosTime(
                    e.time.isValid() ? e.time : QDateTime(QDate(2020, 1, 2), QTime(3, 4, 6))));
    body.append(char(kVersion));
    body.append(char(kStored));
    put16(body, quint16(name.size()));
    put32(body, attributes);
    body.append(name);
    return block(kFileHead, flags, body) + part;
}

QByteArray mainHeader(quint16 flags) {
    QByteArray body;
    put16(body, 0);
    put32(body, 0);
    return block(kMainHead, flags, body);
}

QByteArray endBlock(bool volume, bool more, quint16 number) {
    if (!volume)
        return block(kEndHead, kEndFixed, {});
    QByteArray body;
    put16(body, number);
    return block(kEndHead, quint16(kEndFixed | kEndVolumeNumber | (more ? kEndNextVolume : 0)),
                 body);
}

} // namespace

quint32 RarWriter::dosTime(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    if (d.year() < 1980)
        return (1 << 21) | (1 << 16);
    return quint32((d.year() - 1980) << 25 | d.month() << 21 | d.day() << 16 | t.hour() << 11 |
                   t.minute() << 5 | t.second() / 2);
}

void RarWriter::addFile(const QString& name, const QByteArray& data) {
    Entry e;
    e.name = name;
    e.data = data;
    m_entries.append(e);
}

void RarWriter::addFolder(const QString& name) {
    Entry e;
    e.name = name;
    e.folder = true;
    m_entries.append(e);
}

QByteArray RarWriter::archive() const {
    QByteArray out(kMarker, sizeof kMarker);
    out.append(mainHeader(0));
    for (const Entry& e : m_entries)
        out.append(fileHeader(e, 0, e.data, crc32Of(e.data)));
    out.append(endBlock(false, false, 0));
    return out;
}

QList<QByteArray> RarWriter::volumes(qint64 dataPerVolume) const {
    dataPerVolume = qMax<qint64>(1, dataPerVolume);
    QList<QByteArray> out;
    QByteArray current;
    qint64 room = dataPerVolume;
    auto startVolume = [&] {
        current = QByteArray(kMarker, sizeof kMarker);
        quint16 flags = kMainVolume | kMainNewNumbering;
        if (out.isEmpty())
            flags |= kMainFirstVolume;
        current.append(mainHeader(flags));
        room = dataPerVolume;
    };
    auto finishVolume = [&](bool more) {
        current.append(endBlock(true, more, quint16(out.size())));
        out.append(current);
    };
    startVolume();
    for (const Entry& e : m_entries) {
        const quint32 whole = crc32Of(e.data);
        qint64 done = 0;
        do {
            if (room <= 0 && done < e.data.size()) {
                finishVolume(true);
                startVolume();
            }
            const qint64 n = qMin<qint64>(room, e.data.size() - done);
            const QByteArray part = e.data.mid(done, n);
            const bool last = done + n >= e.data.size();
            quint16 split = 0;
            if (done > 0)
                split |= kSplitBefore;
            if (!last)
                split |= kSplitAfter;
            // A piece that continues carries its own CRC; the last piece the
            // whole file's.
            current.append(fileHeader(e, split, part, last ? whole : crc32Of(part)));
            done += n;
            room -= n;
        } while (done < e.data.size());
    }
    finishVolume(false);
    return out;
}

bool RarWriter::save(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(bytes);
    return f.commit();
}
