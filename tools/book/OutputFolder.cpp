#include "OutputFolder.h"

#include "ToolError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

OutputFolder::OutputFolder(const QString& nativePath) : m_path(nativePath) {
    const QFileInfo info(nativePath);
    if (info.exists() && !info.isDir())
        throw ToolError(QStringLiteral("%1 exists and is not a folder").arg(nativePath));
    if (!info.exists() && !QDir().mkpath(nativePath))
        throw ToolError(QStringLiteral("cannot create folder %1").arg(nativePath));
}

QStringList OutputFolder::safeParts(const QString& name, QString* why) {
    auto refuse = [why](const QString& reason) {
        if (why)
            *why = reason;
        return QStringList();
    };
    if (name.isEmpty())
        return refuse(QStringLiteral("empty name"));
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    const QStringList parts = name.split(separators);
    if (parts.first().isEmpty())
        return refuse(QStringLiteral("absolute name"));
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (drive.match(parts.first()).hasMatch())
        return refuse(QStringLiteral("name with a drive"));
    for (const QString& part : parts) {
        if (part.isEmpty())
            return refuse(QStringLiteral("empty path part"));
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return refuse(QStringLiteral("'%1' as a path part").arg(part));
        if (part.contains(QChar(0)))
            return refuse(QStringLiteral("NUL in the name"));
    }
    return parts;
}

void OutputFolder::write(const QStringList& parts, const QByteArray& data) const {
    QString path = m_path;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        path += QLatin1Char('/') + parts[i];
        const QFileInfo info(path);
        if (info.isSymLink())
            throw ToolError(
                QStringLiteral("refusing to write through the symbolic link %1").arg(path));
        if (info.exists() && !info.isDir())
            throw ToolError(QStringLiteral("%1 exists and is not a folder").arg(path));
        if (!info.exists() && !QDir().mkdir(path))
            throw ToolError(QStringLiteral("cannot create folder %1").arg(path));
    }
    path += QLatin1Char('/') + parts.last();
    const QFileInfo info(path);
    if (info.isSymLink())
        throw ToolError(QStringLiteral("refusing to write through the symbolic link %1").arg(path));
    if (info.isDir())
        throw ToolError(QStringLiteral("%1 exists and is a folder").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw ToolError(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}
