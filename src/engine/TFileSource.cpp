#include "engine/TFileSource.h"

#include "platform/Log.h"

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
    const QFileInfo info(f);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (quint64(info.size()) > kMaxReadSize) {
        vlog::complain(QStringLiteral("%1 is too large to show (%2 MB, %3 MB at most)")
                           .arg(path)
                           .arg(info.size() >> 20)
                           .arg(kMaxReadSize >> 20));
        return std::nullopt;
    }
    return f.readAll();
}
