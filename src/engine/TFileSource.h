#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

class ContentArchive;

// Where the engine reads every file it opens (pages, frames, style sheets,
// images). The book's content archive is the real source; a disk source reads
// loose files and is what tools and tests use when no book is open.
class TFileSource {
public:
    // Pages, style sheets and pictures are read whole: a file that would
    // unpack to more (a small compressed bomb, say) is refused with one line.
    static constexpr quint64 kMaxReadSize = 64ull << 20;

    virtual ~TFileSource() = default;
    virtual bool exists(const QString& path) const = 0;
    virtual std::optional<QByteArray> read(const QString& path) const = 0;
};

// Loose files only. Path texts with backslashes are accepted.
class TDiskSource : public TFileSource {
public:
    bool exists(const QString& path) const override;
    std::optional<QByteArray> read(const QString& path) const override;
    static QString nativePath(const QString& path);
};

// The content archive: Exists and TComprStream, archive first, then disk.
class TArchiveSource : public TFileSource {
public:
    explicit TArchiveSource(const ContentArchive& archive) : m_archive(archive) {}
    bool exists(const QString& path) const override;
    std::optional<QByteArray> read(const QString& path) const override;

private:
    const ContentArchive& m_archive;
};
