#pragma once

#include "content/ContentArchive.h"
#include "engine/TFileSource.h"
#include "platform/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Loose book files in a temporary folder, read through a content archive
// with no archive opened (disk only), as a book without interface.dat.
class TestPages {
public:
    TestPages() : source(archive) {}
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString write(const QString& name, const QByteArray& bytes) {
        QString p = path(name);
        QDir().mkpath(QFileInfo(p).path());
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return p;
    }
    // Writes a page in code page 1251.
    QString page(const QString& name, const QString& html) {
        return write(name, cp1251::fromUnicode(html));
    }

    QTemporaryDir dir;
    ContentArchive archive;
    TArchiveSource source;
};
