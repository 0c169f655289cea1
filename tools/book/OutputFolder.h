#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The folder that unpack and extract write into. Stored names are checked
// before anything is written so that no name can leave the folder: absolute
// names, drive letters, empty parts, "." and ".." are refused, and nothing is
// written through a symbolic link.
class OutputFolder {
public:
    // Creates the folder when missing (ToolError when it cannot).
    explicit OutputFolder(const QString& nativePath);

    // The parts of a stored name ("\" and "/" separate parts), or an empty
    // list with the reason in `why` when the name is not a safe relative name.
    static QStringList safeParts(const QString& name, QString* why);

    // Writes one file below the folder, creating sub-folders as needed.
    // Throws ToolError on failure.
    void write(const QStringList& parts, const QByteArray& data) const;

    const QString& path() const { return m_path; }

private:
    QString m_path;
};
