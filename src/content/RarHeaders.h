#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What the RAR library does not tell: a walk over the block headers of a RAR
// 4 or RAR 5 volume set that reads only the headers (data is skipped), for
// the checks made beside the library: the data CRC of stored entries,
// encryption and solid archives, and whether the set ends with its last
// volume or a volume is missing.
namespace rarheaders {

enum class Format { None, Rar4, Rar5 };

// The format of a file from its first bytes.
Format formatOf(const QByteArray& head);

struct RFileInfo {
    quint64 unpackedSize = 0;
    quint64 packedSize = 0; // all pieces together
    quint32 crc = 0;
    bool hasCrc = false;    // a data CRC to check on the unpacked bytes (stored data)
    quint32 dosTime = 0;    // RAR 4 only
    bool stored = false;    // data kept without compression
    bool split = false;     // spread over several volumes
    bool encrypted = false; // data needs a password
    bool solid = false;     // needs the entries before it to unpack
    bool directory = false;
    quint32 attributes = 0;
    QString name; // as stored ("\" or "/" between folders)
    // A RAR 5 entry whose data is that of an earlier entry (a file copy or a
    // hard link): the earlier entry's name.
    QString copyOf;
};

struct RScan {
    Format format = Format::None;
    bool headersEncrypted = false;
    bool volume = false;
    bool solid = false;
    // The last volume walked says that another volume follows it.
    bool moreVolumes = false;
    // The walk stopped at damage (a header cut short or impossible sizes).
    bool damaged = false;
    // The volumes walked (the set ends with the last of them).
    int volumesWalked = 0;
    // One per file entry in archive order (a file spread over volumes once).
    QList<RFileInfo> files;
};

// Walks `volumes` in order. Bounded by the files' sizes: every header must
// move forward.
RScan scan(const QStringList& volumes);

// Decodes a RAR 4 file name: the OEM (code page 866) form, or the Unicode
// form stored after a zero byte when `unicodeFlag` is set.
QString decodeRar4Name(const QByteArray& stored, bool unicodeFlag);

} // namespace rarheaders
