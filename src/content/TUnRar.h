#pragma once

#include "content/RarHeaders.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class QTemporaryFile;

struct archive;

// A RAR archive (RAR 4 or RAR 5, one file or a volume set) read through
// libarchive: open, read the next header, skip or unpack the entry, close,
// and a callback for the next volume. Result codes follow the RAR library's
// numbering. Beyond what libarchive does it finds and orders the volumes of
// a set, tells a missing volume, checks the data CRC of stored entries,
// decodes names kept only in code page 866, and names encrypted entries and
// solid RAR 4 archives it cannot unpack.
//
// Unpacking stays inside its destination folder: names with "..", absolute
// names, drive letters, link entries and links already present on the way
// are refused; a file is written under a temporary name and renamed only
// when all of it arrived (and its CRC holds); an existing file is replaced
// only when ReplaceQuestion says yes.
class TUnRar {
public:
    enum OpenMode { ListMode = 0, ExtractMode = 1 };
    enum Operation { Skip = 0, Extract = 2 };
    enum Result {
        Success = 0,
        EndArchive = 10,
        NoMemory = 11,
        BadData = 12,    // a damaged header (reading) or a CRC error (unpacking)
        BadArchive = 13, // not a RAR archive
        UnknownFormat = 14,
        OpenError = 15, // cannot open, or a volume is missing
        CreateError = 16,
        CloseError = 17,
        ReadError = 18, // data cut short
        WriteError = 19,
        Encrypted = 22,        // the data (or the headers) need a password
        SolidUnsupported = 26, // an entry of a solid RAR 4 archive after the first
        Refused = 30,          // a name or link that would leave the destination
        Kept = 31,             // an existing file was not replaced
        Stopped = 32,          // Progress asked to stop
    };
    enum VolumeMode { VolumeMissing = 0, VolumeNext = 1 };

    struct RHeader {
        QString name;      // folders separated by "/"
        quint32 flags = 0; // 0xE0 for folders
        qint64 unpackedSize = 0;
        qint64 packedSize = 0;
        qint64 mtime = -1;   // seconds since 1970 (UTC), -1 when unknown
        quint32 dosTime = 0; // local time
        QDateTime time() const {
            return mtime < 0 ? QDateTime() : QDateTime::fromSecsSinceEpoch(mtime);
        }
        quint32 attributes = 0;
        bool directory = false;
        bool encrypted = false;
        bool link = false; // a symbolic link entry
        QString copyOf;    // the data is that of this earlier entry (hard link, copy)
    };

    TUnRar();
    ~TUnRar();
    TUnRar(const TUnRar&) = delete;
    TUnRar& operator=(const TUnRar&) = delete;

    // Called with a volume name and VolumeMissing or VolumeNext; answering 0
    // to VolumeMissing stops.
    std::function<int(const QString& volume, int mode)> VolumeCallback;
    // Bytes of the current entry unpacked so far; false stops the unpacking.
    std::function<bool(qint64 done)> Progress;
    // An existing file (native path) is about to be replaced: true allows it.
    // Unset: existing files are kept.
    std::function<bool(const QString& nativePath)> ReplaceQuestion;

    int open(const QString& nativePath, OpenMode mode);
    void close();
    int readHeader(RHeader& header);
    // `destFolder`: native folder for Extract (made when missing).
    int processFile(Operation op, const QString& destFolder = QString());

    // The last problem in the library's or this class's words (for stderr).
    const QString& lastError() const { return m_error; }
    // The volumes in use, first one first.
    const QStringList& volumes() const { return m_volumes; }
    // The unpacked size of all entries, from the headers (for progress).
    qint64 totalUnpacked() const;

    // The volumes of the set that `first` begins: name.partN.rar numbered on,
    // or name.rar followed by name.r00, name.r01, ... while they exist.
    static QStringList candidateVolumes(const QString& first);
    // The name the volume after `volume` has (empty when none can follow).
    static QString nextVolumeName(const QString& volume);
    // An entry name split into folder parts that stay inside a folder; empty
    // (with the reason) when the name must be refused.
    static QStringList safeParts(const QString& name, QString* why = nullptr);
    // The DOS date and time of a local date-time (0 for an invalid one).
    static quint32 dosTimeOf(const QDateTime& time);
    // The same of seconds since 1970, in local time.
    static quint32 dosTimeOf(qint64 secondsSinceEpoch);

private:
    int fail(int code, const QString& why);
    int missingVolume();
    int dataError();
    int extractTo(const QString& destFolder);
    int copyEarlier(const QString& destFolder, const QString& folder, const QString& target);
    int moveIntoPlace(QTemporaryFile& temp, const QString& target);
    const rarheaders::RFileInfo* currentInfo() const;

    archive* m_archive = nullptr;
    OpenMode m_mode = ListMode;
    QStringList m_volumes;
    QString m_missing; // the volume the set needs but does not have
    bool m_missingTold = false;
    rarheaders::RScan m_scan;
    int m_index = -1;
    bool m_fromHeaders = false; // entries now come from the header walk
    bool m_dead = false;        // the library stopped on an error
    bool m_dataDone = false;
    bool m_unreadable = false; // the library lost the current entry's name
    RHeader m_current;
    QString m_error;
};
