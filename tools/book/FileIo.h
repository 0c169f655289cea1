#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes of the tool; failures throw ToolError.
class FileIo {
public:
    // The bytes of a file; `path` empty or "-" reads standard input.
    static QByteArray readInput(const QString& path);
    static QByteArray readFile(const QString& path);
    // Writes the file in one step (a temporary file renamed into place), so
    // a failed command leaves no half-written output.
    static void writeFile(const QString& path, const QByteArray& data);
    static void writeStdout(const QByteArray& data);
    // The bytes of one entry of a resource pack; a missing pack or entry, or
    // a damaged pack, throws.
    static QByteArray readPackEntry(const QString& packPath, const QString& entry);
};
