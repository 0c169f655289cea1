#include "FileTree.h"

#include "ToolError.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

QList<FileTree::File> FileTree::collect(const QString& folder, const QString& exclude,
                                        bool withFolders) {
    const QFileInfo info(folder);
    if (!info.isDir())
        throw ToolError(QStringLiteral("%1 is not a folder").arg(folder));
    const QString root = info.absoluteFilePath();
    const QDir dir(root);
    // An output file that does not exist yet cannot be listed either.
    const QString excluded = exclude.isEmpty() ? QString() : QFileInfo(exclude).canonicalFilePath();

    QList<File> files;
    QDir::Filters filters = QDir::Files | QDir::Hidden | QDir::System;
    if (withFolders)
        filters |= QDir::Dirs | QDir::NoDotAndDotDot;
    QDirIterator it(root, filters, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo file = it.fileInfo();
        if (!excluded.isEmpty() && file.canonicalFilePath() == excluded)
            continue;
        QString name = dir.relativeFilePath(path);
        name.replace(QLatin1Char('/'), QLatin1Char('\\'));
        files.append({name, path, file.isDir()});
    }
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return files;
}
