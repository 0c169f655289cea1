#include "platform/TRegularFile.h"

#include <QFile>

#include <sys/stat.h>

bool TRegularFile::check(const QString& nativePath, QString* why) {
    struct stat st {};
    const QByteArray name = QFile::encodeName(nativePath);
    QString what;
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0)
        what = QStringLiteral("not found");
    else if (S_ISREG(st.st_mode))
        return true;
    else if (S_ISDIR(st.st_mode))
        what = QStringLiteral("a folder");
    else if (S_ISFIFO(st.st_mode))
        what = QStringLiteral("a named pipe");
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        what = QStringLiteral("a device");
    else if (S_ISSOCK(st.st_mode))
        what = QStringLiteral("a socket");
    else
        what = QStringLiteral("not a file");
    if (why)
        *why = what;
    return false;
}

QString TRegularFile::refusal(const QString& nativePath, const QString& why) {
    return QStringLiteral("%1 is not a regular file (%2); it is not read").arg(nativePath, why);
}
