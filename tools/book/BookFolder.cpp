#include "BookFolder.h"

#include "ToolError.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

static QString checkedFolder(const QString& dir) {
    const QFileInfo folder(dir);
    if (!folder.isDir())
        throw ToolError(QStringLiteral("%1: no such folder").arg(dir));
    return QDir(folder.absoluteFilePath()).absolutePath();
}

BookFolder::BookFolder(const QString& dir) : m_paths(checkedFolder(dir)) {
    BookPaths::setCurrent(m_paths);
    const QString archivePath = BookPaths::resolveOnDisk(m_paths.baseDir() + "interface.dat");
    QString error;
    if (!archivePath.isEmpty() && !m_archive.open(archivePath, &error))
        std::fprintf(stderr, "vantrel-book: interface.dat: %s\n", qPrintable(error));
    m_archive.setRootPrefix(m_paths.bookRoot());
}
