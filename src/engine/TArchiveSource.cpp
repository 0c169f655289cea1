#include "content/ContentArchive.h"
#include "engine/TFileSource.h"
#include "platform/Log.h"

bool TArchiveSource::exists(const QString& path) const {
    return m_archive.exists(path);
}

std::optional<QByteArray> TArchiveSource::read(const QString& path) const {
    // What TComprStream is filled with: the archive's entry, else the disk
    // file; one lookup, and the disk is looked at only when the archive has
    // no such entry.
    const std::optional<quint64> size = m_archive.sizeOf(path);
    if (size && *size > kMaxReadSize) {
        vlog::complain(QStringLiteral("%1 is too large to show (%2 MB unpacked, %3 MB at most)")
                           .arg(path)
                           .arg(*size >> 20)
                           .arg(kMaxReadSize >> 20));
        return std::nullopt;
    }
    return m_archive.read(path);
}
