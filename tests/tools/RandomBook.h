#pragma once

#include <QByteArray>
#include <QMap>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

// Files of a folder tree: relative path with '/' -> content.
using BookFiles = QMap<QString, QByteArray>;

// Random book material for round trips: folder trees with Cyrillic names,
// binary and empty files, nested folders, and description lines.
class RandomBook {
public:
    explicit RandomBook(quint32 seed) : m_random(seed) {}

    // A file name of ASCII and Cyrillic letters, digits, spaces, '-' and '_'
    // (never beginning with '.' or a space), up to `maxLength` characters,
    // with the given extension.
    QString name(int maxLength, const QString& extension);
    QByteArray bytes(int maxSize);
    // Description lines: code page 1251 characters, no line feeds.
    QStringList lines(int maxLines, bool withCarriageReturns);

    // Files (relative path with '/' -> content) of a random tree: at most
    // `maxFiles` files in up to `depth` levels. Names are unique after
    // upper-casing ASCII and а..я, so the tree fits both the pack and the
    // archive. Files ending in .cfs hold UTF-8 text of `lines()`.
    BookFiles tree(int maxFiles, int depth);

    QRandomGenerator& random() { return m_random; }

private:
    QRandomGenerator m_random;
};

// The archive's stored form of a name: ASCII letters and а..я upper case.
QString archiveUpper(const QString& name);
// Writes a tree below `root`; false on failure.
bool writeTree(const QString& root, const BookFiles& files);
// Every file below `root` (relative path with '/' -> content).
BookFiles readTree(const QString& root);
// UTF-8 text of lines, each followed by LF.
QByteArray linesText(const QStringList& lines);
