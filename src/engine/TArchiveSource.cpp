#include "content/ContentArchive.h"
#include "engine/TFileSource.h"

bool TArchiveSource::exists(const QString& path) const {
    return m_archive.exists(path);
}

std::optional<QByteArray> TArchiveSource::read(const QString& path) const {
    // What TComprStream is filled with: the archive's entry, else the disk
    // file; one lookup, and the disk is looked at only when the archive has
    // no such entry.
    return m_archive.read(path);
}
