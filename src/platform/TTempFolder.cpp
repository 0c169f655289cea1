#include "platform/TTempFolder.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using vlog::complain;

bool TTempFolder::makePrivate(const QString& nativeDir) {
    QDir().mkpath(nativeDir);
#ifdef Q_OS_UNIX
    struct stat st {};
    const QByteArray native = QFile::encodeName(nativeDir);
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        complain(QStringLiteral("%1: the folder cannot be made").arg(nativeDir));
        return false;
    }
    if (st.st_uid != ::getuid()) {
        complain(QStringLiteral("%1: the folder belongs to another user").arg(nativeDir));
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0) {
        complain(QStringLiteral("%1: the folder is open to other users").arg(nativeDir));
        return false;
    }
    return true;
#else
    return QFileInfo(nativeDir).isDir();
#endif
}

QString TTempFolder::path() {
#ifdef Q_OS_UNIX
    const QString dir = QDir::tempPath() + QStringLiteral("/vantrel-%1").arg(::getuid());
#else
    const QString dir = QDir::tempPath() + QStringLiteral("/vantrel");
#endif
    return makePrivate(dir) ? dir : QString();
}

bool TTempFolder::holds(const QString& nativeFile) {
    const QString dir = path();
    if (dir.isEmpty() || nativeFile.isEmpty())
        return false;
    const QFileInfo file(nativeFile);
    // The folder the file names, with every link on the way resolved: a name
    // that only passes through the folder does not count.
    const QString parent = QFileInfo(file.absolutePath()).canonicalFilePath();
    if (parent.isEmpty() || parent != QFileInfo(dir).canonicalFilePath())
        return false;
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::lstat(QFile::encodeName(file.absoluteFilePath()).constData(), &st) != 0)
        return false;
    return S_ISREG(st.st_mode) && st.st_uid == ::getuid();
#else
    return file.isFile() && !file.isSymLink();
#endif
}
