#pragma once

#include <QString>

// The program's own temporary folder: one per user below the system's
// temporary folder, made with mode 0700 and owned by the user. Files the
// program writes for itself go there, and only files there may be deleted on
// another copy's request.
class TTempFolder {
public:
    // Native path of the folder (made when missing); empty with one line on
    // stderr when it cannot be made or belongs to someone else.
    static QString path();
    // True when `nativeFile` is a regular file (not a link) of this user
    // directly inside the folder.
    static bool holds(const QString& nativeFile);
    // Makes `nativeDir` a folder only its owner may enter; false (one line on
    // stderr) when it cannot be made, is no folder or belongs to another user.
    static bool makePrivate(const QString& nativeDir);
};
