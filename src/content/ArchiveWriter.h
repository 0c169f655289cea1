#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

// Builds a content archive (interface.dat) that ContentArchive reads: folders
// kept, names stored upper case in code page 1251 as the archive stores them,
// entries of each folder in byte order of their stored names. A file's data is
// zlib-compressed when that makes it smaller and stored plainly otherwise; the
// directory block likewise.
class ArchiveWriter {
public:
    // Where a file ended up, for tools and benchmarks that read the raw data.
    struct Placed {
        QString path;       // stored path, folders joined by "\"
        quint32 offset = 0; // from the data base
        quint32 stored = 0;
        quint32 unpacked = 0;
    };
    struct Layout {
        std::vector<Placed> files;
        quint32 dataBase = 0; // file offset of the entry data
    };

    // zlib level for file data and the directory: 0 stores everything plainly.
    void setCompressionLevel(int level) { m_level = level; }
    void setCompressDirectory(bool on) { m_compressDirectory = on; }

    // A file at a relative path ("man/p1.htm", "MAN\P1.HTM"); missing folders
    // are created. Fails for a name that is empty, "." or "..", longer than 64
    // bytes, not representable in code page 1251, or that clashes (after
    // upper-casing) with a different kind of entry; a file added twice keeps
    // the last bytes.
    bool addFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);
    // An (empty) folder; existing folders are fine.
    bool addFolder(const QString& path, QString* error = nullptr);
    // Every file and folder below a folder on disk (symbolic links to folders
    // are not followed).
    bool addTree(const QString& nativeDir, QString* error = nullptr);

    // The whole archive, or nothing (with a reason) when it would exceed the
    // format's 32-bit sizes.
    std::optional<QByteArray> build(QString* error = nullptr, Layout* layout = nullptr) const;
    bool write(const QString& nativePath, QString* error = nullptr) const;

    // Low-level pieces for hand-made (also deliberately damaged) archives.
    // Header words and directory block around `data`; the block is compressed
    // when `compressDirectory` and that is smaller.
    static QByteArray assemble(const QByteArray& directory, const QByteArray& data,
                               bool compressDirectory, int level = 6);
    static QByteArray directoryHeader(quint32 folders, quint32 entries, quint32 root);
    static QByteArray folderRecord(quint32 first, quint32 count);
    // `name` as stored (already upper case); cut or NUL-padded to 64 bytes.
    static QByteArray entryRecord(const QByteArray& name, quint32 number, quint32 stored,
                                  quint32 unpacked, quint32 kind);
    // zlib stream of `bytes`, or nothing when compressing fails.
    static std::optional<QByteArray> compress(const QByteArray& bytes, int level = 6);

private:
    struct Node {
        QByteArray name; // stored form
        bool folder = false;
        QByteArray bytes;
        std::vector<int> children; // indices into m_nodes, kept sorted by name
    };
    std::optional<int> folderFor(const QList<QByteArray>& parts, qsizetype count, QString* error);
    std::optional<QList<QByteArray>> splitPath(const QString& path, QString* error) const;
    int childNamed(int folder, const QByteArray& name) const;
    int insertChild(int folder, Node node);
    bool addTreeFolder(const QString& nativeDir, const QString& relative, int depth,
                       QString* error);

    std::vector<Node> m_nodes{Node{QByteArray(), true, QByteArray(), {}}};
    int m_level = 6;
    bool m_compressDirectory = true;
};
