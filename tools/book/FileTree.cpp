#include "FileTree.h"

#include "ToolError.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

QList<FileTree::File> FileTree::collect(const QString& folder, const QString& exclude,
                                        bool withFolders) {
    const QFileInfo root(folder);
    if (!root.isDir())
        throw ToolError(QStringLiteral("%1 is not a folder").arg(folder));
    const QDir dir(folder);
    const QString excluded = exclude.isEmpty() ? QString() : QFileInfo(exclude).absoluteFilePath();

    QList<File> files;
    QDir::Filters filters = QDir::Files | QDir::Hidden | QDir::System;
    if (withFolders)
        filters |= QDir::Dirs | QDir::NoDotAndDotDot;
    QDirIterator it(folder, filters, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (!excluded.isEmpty() && info.absoluteFilePath() == excluded)
            continue;
        QString name = dir.relativeFilePath(path);
        name.replace(QLatin1Char('/'), QLatin1Char('\\'));
        files.append({name, path, info.isDir()});
    }
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return files;
}
