#include "FileIo.h"

#include "ToolError.h"

#include "data/TReadBin.h"
#include "platform/TRegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

QByteArray FileIo::readInput(const QString& path) {
    if (!path.isEmpty() && path != QLatin1String("-"))
        return readFile(path);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        throw ToolError(QStringLiteral("cannot read standard input"));
    return in.readAll();
}

QByteArray FileIo::readFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw ToolError(QStringLiteral("%1: no such file").arg(path));
    if (info.isDir())
        throw ToolError(QStringLiteral("%1 is a folder, not a file").arg(path));
    QString what;
    if (!TRegularFile::check(path, &what))
        throw ToolError(TRegularFile::refusal(path, what));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ToolError(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ToolError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return data;
}

void FileIo::writeFile(const QString& path, const QByteArray& data) {
    if (QFileInfo(path).isDir())
        throw ToolError(QStringLiteral("%1 is a folder, not a file").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw ToolError(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

void FileIo::writeStdout(const QByteArray& data) {
    if (!data.isEmpty() &&
        std::fwrite(data.constData(), 1, size_t(data.size()), stdout) != size_t(data.size()))
        throw ToolError(QStringLiteral("cannot write to standard output"));
    if (std::fflush(stdout) != 0)
        throw ToolError(QStringLiteral("cannot write to standard output"));
}

QByteArray FileIo::readPackEntry(const QString& packPath, const QString& entry) {
    if (!QFileInfo(packPath).exists())
        throw ToolError(QStringLiteral("%1: no such file").arg(packPath));
    TReadBin pack;
    QString error;
    if (!pack.load(packPath, &error))
        throw ToolError(error);
    if (!pack.has(entry))
        throw ToolError(QStringLiteral("%1: no entry %2").arg(packPath, entry));
    QByteArray bytes;
    if (pack.readToBuffer(entry, bytes) < 0)
        throw ToolError(
            QStringLiteral("%1: entry %2 cannot be read (damaged pack)").arg(packPath, entry));
    return bytes;
}
