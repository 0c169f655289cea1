#include "content/RarHeaders.h"

#include "content/Cp866.h"

#include <QFile>
#include <QStringDecoder>

namespace rarheaders {

namespace {

constexpr char kRar4[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr char kRar5[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};

quint32 le16(const QByteArray& b, qsizetype at) {
    return quint8(b.at(at)) | quint32(quint8(b.at(at + 1))) << 8;
}

quint32 le32(const QByteArray& b, qsizetype at) {
    return le16(b, at) | le16(b, at + 2) << 16;
}

// A RAR 5 variable-length integer; false when it runs past the end.
bool vint(const QByteArray& b, qsizetype& at, quint64& value) {
    value = 0;
    for (int shift = 0; shift < 64 && at < b.size(); shift += 7) {
        const quint8 c = quint8(b.at(at++));
        value |= quint64(c & 0x7F) << shift;
        if (!(c & 0x80))
            return true;
    }
    return false;
}

// Appends a file piece: a piece that continues an earlier one adds to the
// file of that earlier piece.
void addPiece(RScan& scan, const RFileInfo& piece, bool splitBefore, bool splitAfter) {
    if (splitBefore && !scan.files.isEmpty()) {
        RFileInfo& f = scan.files.last();
        f.packedSize += piece.packedSize;
        f.split = true;
        f.hasCrc = false;
        return;
    }
    RFileInfo f = piece;
    f.split = splitBefore || splitAfter;
    if (f.split)
        f.hasCrc = false;
    scan.files.append(f);
}

constexpr quint32 kRar4SplitBefore = 0x0001;
constexpr quint32 kRar4SplitAfter = 0x0002;
constexpr quint32 kRar4Password = 0x0004;
constexpr quint32 kRar4Solid = 0x0010;
constexpr quint32 kRar4Directory = 0x00E0;
constexpr quint32 kRar4Large = 0x0100;
constexpr quint32 kRar4Unicode = 0x0200;
constexpr quint32 kRar4LongBlock = 0x8000;

// One RAR 4 volume; false when the walk must stop (end of the set or damage).
void scanRar4(QFile& file, RScan& scan) {
    qint64 pos = sizeof kRar4;
    const qint64 size = file.size();
    scan.moreVolumes = false;
    while (pos + 7 <= size) {
        file.seek(pos);
        QByteArray head = file.read(7);
        if (head.size() < 7)
            break;
        const quint8 type = quint8(head.at(2));
        const quint32 flags = le16(head, 3);
        const quint32 headSize = le16(head, 5);
        if (headSize < 7 || pos + headSize > size) {
            scan.damaged = true;
            return;
        }
        file.seek(pos);
        head = file.read(headSize);
        quint64 dataSize = 0;
        if ((type == 0x74 || type == 0x7A || (flags & kRar4LongBlock)) && headSize >= 11)
            dataSize = le32(head, 7);
        if (type == 0x73) {
            scan.volume = scan.volume || (flags & 0x0001);
            scan.solid = scan.solid || (flags & 0x0008);
            if (flags & 0x0080) {
                scan.headersEncrypted = true;
                return;
            }
        } else if (type == 0x74) {
            if (headSize < 32) {
                scan.damaged = true;
                return;
            }
            RFileInfo f;
            f.unpackedSize = le32(head, 11);
            f.crc = le32(head, 16);
            f.dosTime = le32(head, 20);
            const quint8 method = quint8(head.at(25));
            const quint32 nameSize = le16(head, 26);
            f.attributes = le32(head, 28);
            qsizetype nameAt = 32;
            if (flags & kRar4Large) {
                if (headSize < 40) {
                    scan.damaged = true;
                    return;
                }
                dataSize |= quint64(le32(head, 32)) << 32;
                f.unpackedSize |= quint64(le32(head, 36)) << 32;
                nameAt = 40;
            }
            f.packedSize = dataSize;
            f.directory = (flags & kRar4Directory) == kRar4Directory;
            f.encrypted = flags & kRar4Password;
            f.solid = (flags & kRar4Solid) || scan.solid;
            f.stored = method == 0x30;
            f.hasCrc = f.stored && !f.directory && !f.encrypted;
            if (nameAt + nameSize <= quint32(head.size()))
                f.name = decodeRar4Name(head.mid(nameAt, nameSize), flags & kRar4Unicode);
            addPiece(scan, f, flags & kRar4SplitBefore, flags & kRar4SplitAfter);
        } else if (type == 0x7B) {
            scan.moreVolumes = flags & 0x0001;
            return;
        }
        const qint64 next = pos + qint64(headSize) + qint64(dataSize);
        if (next <= pos || next > size) {
            // Data running past the end: a cut volume (the last one of a set
            // that goes on, or damage).
            scan.damaged = scan.damaged || next > size;
            return;
        }
        pos = next;
    }
}

void scanRar5(QFile& file, RScan& scan) {
    qint64 pos = sizeof kRar5;
    const qint64 size = file.size();
    scan.moreVolumes = false;
    while (pos + 5 <= size) {
        file.seek(pos);
        const QByteArray start = file.read(16);
        qsizetype at = 4;
        quint64 headSize = 0;
        if (!vint(start, at, headSize) || headSize == 0 || headSize > (1 << 21) ||
            pos + at + qint64(headSize) > size) {
            scan.damaged = true;
            return;
        }
        const qint64 bodyAt = pos + at;
        file.seek(bodyAt);
        const QByteArray h = file.read(qint64(headSize));
        qsizetype p = 0;
        quint64 type = 0, flags = 0, extraSize = 0, dataSize = 0;
        bool ok = vint(h, p, type) && vint(h, p, flags);
        if (ok && (flags & 0x1))
            ok = vint(h, p, extraSize);
        if (ok && (flags & 0x2))
            ok = vint(h, p, dataSize);
        if (!ok || extraSize > headSize) {
            scan.damaged = true;
            return;
        }
        if (type == 1) {
            quint64 archiveFlags = 0;
            if (vint(h, p, archiveFlags)) {
                scan.volume = scan.volume || (archiveFlags & 0x1);
                scan.solid = scan.solid || (archiveFlags & 0x4);
            }
        } else if (type == 4) {
            scan.headersEncrypted = true;
            return;
        } else if (type == 2) {
            RFileInfo f;
            quint64 fileFlags = 0, unpacked = 0, attributes = 0, compression = 0;
            ok = vint(h, p, fileFlags) && vint(h, p, unpacked) && vint(h, p, attributes);
            if (ok && (fileFlags & 0x2))
                p += 4; // modification time
            if (ok && (fileFlags & 0x4) && p + 4 <= h.size()) {
                f.crc = le32(h, p);
                f.hasCrc = true;
                p += 4;
            }
            ok = ok && vint(h, p, compression);
            if (!ok) {
                scan.damaged = true;
                return;
            }
            quint64 hostOs = 0, nameLength = 0;
            if (vint(h, p, hostOs) && vint(h, p, nameLength) &&
                p + qsizetype(nameLength) <= h.size())
                f.name = QString::fromUtf8(h.mid(p, qsizetype(nameLength)));
            f.unpackedSize = unpacked;
            f.packedSize = dataSize;
            f.attributes = quint32(attributes);
            f.directory = fileFlags & 0x1;
            f.solid = compression & 0x40;
            f.stored = ((compression >> 7) & 0x7) == 0;
            // The extra area: a record of type 1 is the file's encryption.
            qsizetype e = qsizetype(headSize - extraSize);
            while (e < h.size()) {
                quint64 recSize = 0, recType = 0;
                qsizetype r = e;
                if (!vint(h, r, recSize) || recSize == 0)
                    break;
                const qsizetype recEnd = r + qsizetype(recSize);
                if (!vint(h, r, recType) || recEnd > h.size())
                    break;
                if (recType == 1)
                    f.encrypted = true;
                quint64 redirect = 0, redirectFlags = 0, length = 0;
                if (recType == 5 && vint(h, r, redirect) && vint(h, r, redirectFlags) &&
                    vint(h, r, length) && (redirect == 4 || redirect == 5) &&
                    r + qsizetype(length) <= recEnd)
                    f.copyOf = QString::fromUtf8(h.mid(r, qsizetype(length)));
                e = recEnd;
            }
            f.hasCrc = f.hasCrc && f.stored && !f.directory && !f.encrypted;
            addPiece(scan, f, flags & 0x8, flags & 0x10);
        } else if (type == 5) {
            quint64 endFlags = 0;
            scan.moreVolumes = vint(h, p, endFlags) && (endFlags & 0x1);
            return;
        }
        const qint64 next = bodyAt + qint64(headSize) + qint64(dataSize);
        if (next <= pos || next > size || dataSize > quint64(size)) {
            scan.damaged = true;
            return;
        }
        pos = next;
    }
}

} // namespace

Format formatOf(const QByteArray& head) {
    if (head.startsWith(QByteArray(kRar5, sizeof kRar5)))
        return Format::Rar5;
    if (head.startsWith(QByteArray(kRar4, sizeof kRar4)))
        return Format::Rar4;
    return Format::None;
}

RScan scan(const QStringList& volumes) {
    RScan result;
    for (const QString& path : volumes) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            result.damaged = true;
            break;
        }
        const Format f = formatOf(file.read(8));
        if (f == Format::None || (result.format != Format::None && f != result.format)) {
            result.damaged = true;
            break;
        }
        result.format = f;
        ++result.volumesWalked;
        if (f == Format::Rar4)
            scanRar4(file, result);
        else
            scanRar5(file, result);
        if (result.headersEncrypted || result.damaged || !result.moreVolumes)
            break;
    }
    return result;
}

QString decodeRar4Name(const QByteArray& stored, bool unicodeFlag) {
    const qsizetype zero = stored.indexOf('\0');
    const QByteArray oem = zero < 0 ? stored : stored.left(zero);
    if (!unicodeFlag || zero < 0 || zero + 1 >= stored.size()) {
        // Some archivers store UTF-8 without saying so.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(oem);
        return utf8.hasError() ? cp866::toUnicode(oem) : text;
    }
    // The Unicode form: a high byte, then two-bit codes taken from flag bytes.
    const QByteArray enc = stored.mid(zero + 1);
    qsizetype p = 0;
    const quint8 high = quint8(enc.at(p++));
    QString out;
    quint8 flagByte = 0;
    int flagBits = 0;
    while (p < enc.size() && out.size() < 4096) {
        if (flagBits == 0) {
            flagByte = quint8(enc.at(p++));
            flagBits = 8;
        }
        flagBits -= 2;
        switch ((flagByte >> flagBits) & 3) {
        case 0:
            if (p >= enc.size())
                return out;
            out.append(QChar(quint8(enc.at(p++))));
            break;
        case 1:
            if (p >= enc.size())
                return out;
            out.append(QChar(char16_t(quint8(enc.at(p++)) | high << 8)));
            break;
        case 2:
            if (p + 1 >= enc.size())
                return out;
            out.append(QChar(char16_t(quint8(enc.at(p)) | quint8(enc.at(p + 1)) << 8)));
            p += 2;
            break;
        case 3: {
            if (p >= enc.size())
                return out;
            const quint8 length = quint8(enc.at(p++));
            quint8 correction = 0;
            if (length & 0x80) {
                if (p >= enc.size())
                    return out;
                correction = quint8(enc.at(p++));
            }
            for (int i = 0; i < (length & 0x7F) + 2 && out.size() < oem.size(); ++i) {
                const quint8 c = quint8(oem.at(out.size()));
                out.append(length & 0x80 ? QChar(char16_t(quint8(c + correction) | high << 8))
                                         : QChar(c));
            }
            break;
        }
        }
    }
    return out;
}

} // namespace rarheaders
