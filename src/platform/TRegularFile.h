#pragma once

#include <QString>

// Book files are read only when they are regular files: opening a named
// pipe waits for a writer that never comes, and a device (a link to
// /dev/zero, say) never ends. Links are followed.
class TRegularFile {
public:
    // True for a regular file; otherwise `why` says what the path is ("a
    // named pipe", "a device", "a folder", "not found", ...).
    static bool check(const QString& nativePath, QString* why = nullptr);
    // "<path> is not a regular file (a named pipe)": one line for stderr.
    static QString refusal(const QString& nativePath, const QString& why);
};
