#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// The content archive interface.dat and the two operations every book file
// goes through: exists() and read() (the bytes TComprStream is filled with).
// Both look in the archive first for reads, and on disk first for exists();
// a book may keep any file either in the archive or as a loose file.
// Paths are path texts (see BookPaths); "/" and "\" are both accepted.
class ContentArchive {
public:
    ContentArchive();
    ~ContentArchive();
    ContentArchive(const ContentArchive&) = delete;
    ContentArchive& operator=(const ContentArchive&) = delete;

    // Layout of interface.dat: two masked header words (A, B), the directory
    // block (B bytes as stored, A + B bytes unpacked; plain when A is 0), then
    // the entry data. The directory: folder count, entry count, a reserved
    // word, the root folder index, 8-byte folder records, 80-byte entries.
    static constexpr quint32 kMaskA = 0x5A3C91E4u;
    static constexpr quint32 kMaskB = 0xC7D20B6Fu;
    static constexpr int kDirectoryHeaderSize = 16;
    static constexpr int kFolderRecordSize = 8;
    static constexpr int kEntryRecordSize = 80;
    static constexpr int kNameSize = 64;
    static constexpr quint32 kKindFile = 1;
    static constexpr quint32 kKindFolder = 2;
    // Limits of the lookup: longer paths and parts are never found.
    static constexpr int kMaxPathLength = 1024;
    static constexpr int kMaxPartLength = 100;
    // Ceilings on what an archive may make us allocate.
    static constexpr quint64 kMaxDirectorySize = 64ull << 20;
    static constexpr quint64 kMaxFileSize = 1ull << 30;

    // OpenArchive. A missing file leaves no archive (disk only) and returns
    // false quietly; a damaged one returns false with a one-line reason in
    // `error` (the caller prints it on stderr). Any previous archive is
    // released first.
    bool open(const QString& nativePath, QString* error = nullptr);
    bool isOpen() const;
    void close();

    // SetRootPrefix (normalised and stored).
    void setRootPrefix(const QString& pathText);

    // Exists: a regular file on disk (case-insensitive resolution), else a
    // file entry in the archive.
    bool exists(const QString& pathText) const;
    // True when the path names a file entry of the archive.
    bool inArchive(const QString& pathText) const;
    // The whole file: from the archive when found there, else from disk.
    // Empty optional when it is in neither place or cannot be read (a corrupt
    // entry fails like a missing file).
    std::optional<QByteArray> read(const QString& pathText, QString* error = nullptr) const;

    // The unpacked size of what read() would give (the archive's entry, else
    // the disk file), without reading it; empty when it is in neither place.
    std::optional<quint64> sizeOf(const QString& pathText) const;

    // ListArchiveFiles: every file, relative to the root folder, upper case as
    // stored, folders joined by "\", names beginning with "." skipped.
    QStringList listFiles() const;
    // Entry records that were found damaged when the archive was opened (a
    // kind other than file or folder, data past the end of the file, sizes
    // beyond what the data can hold): they are in no listing and no lookup.
    qsizetype damagedEntryCount() const;

    // Name normalisation of the lookup, on code page 1251 bytes: "/" -> "\",
    // ASCII letters and а..я to capitals (ё and everything else unchanged).
    static QByteArray normalise(const QByteArray& cp1251Path);

private:
    struct State;
    std::unique_ptr<State> d;
};
