#include "content/TComprStream.h"

#include "content/ContentArchive.h"

FileOpenError::FileOpenError(const QString& path)
    : std::runtime_error(("Cannot open file " + path).toStdString()), m_path(path) {}

TComprStream::TComprStream(const ContentArchive& archive, const QString& pathText) {
    auto bytes = archive.read(pathText);
    if (!bytes)
        throw FileOpenError(pathText);
    setData(*bytes);
    open(QIODevice::ReadOnly);
}
