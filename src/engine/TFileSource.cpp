#include "engine/TFileSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString TDiskSource::nativePath(const QString& path) {
    QString p = path;
#ifndef Q_OS_WIN
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
    return p;
}

bool TDiskSource::exists(const QString& path) const {
    QFileInfo info(nativePath(path));
    return info.exists() && info.isFile();
}

std::optional<QByteArray> TDiskSource::read(const QString& path) const {
    QFile f(nativePath(path));
    if (!QFileInfo(f).isFile() || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}
