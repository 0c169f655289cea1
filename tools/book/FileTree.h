#pragma once

#include <QList>
#include <QString>

// The files below a folder, each with its name relative to the folder
// (sub-folders joined by "\"), sorted by name without regard to letter case
// (then with it). Symbolic links to folders are not followed.
class FileTree {
public:
    struct File {
        QString name; // "sub\name"
        QString path; // native path
        bool folder = false;
    };

    // `exclude`: a native path left out (the output file when it lies inside
    // the folder). `withFolders`: sub-folders are listed too (so that empty
    // ones are kept). Throws ToolError when `folder` is not a folder.
    static QList<File> collect(const QString& folder, const QString& exclude = QString(),
                               bool withFolders = false);
};
