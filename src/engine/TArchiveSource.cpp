#include "content/ContentArchive.h"
#include "content/TComprStream.h"
#include "engine/TFileSource.h"

bool TArchiveSource::exists(const QString& path) const {
    return m_archive.exists(path);
}

std::optional<QByteArray> TArchiveSource::read(const QString& path) const {
    if (!m_archive.exists(path))
        return std::nullopt;
    try {
        TComprStream stream(m_archive, path);
        return stream.data();
    } catch (const FileOpenError&) {
        return std::nullopt;
    }
}
