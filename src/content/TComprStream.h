#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <stdexcept>

class ContentArchive;

// Raised when a book file is neither in the archive nor on disk.
class FileOpenError : public std::runtime_error {
public:
    explicit FileOpenError(const QString& path);
    const QString& path() const { return m_path; }

private:
    QString m_path;
};

// A memory stream filled once at creation with one book file's bytes: from
// the content archive when the path is found there, otherwise from disk.
// Open for reading at position 0.
class TComprStream : public QBuffer {
public:
    // Throws FileOpenError when the file is in neither place.
    TComprStream(const ContentArchive& archive, const QString& pathText);
};
