#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Small archives linked from the pages: a ZIP (saved through the save
// dialog) and a RAR 4 archive (listed and extracted by the reader). Both
// store their files uncompressed; no Debian package writes RAR.
namespace archivefiles {

struct File {
    QString name; // may hold "/" for a folder
    QByteArray data;
};

QByteArray zip(const QList<File>& files);
QByteArray rar4(const QList<File>& files);
quint32 crc32(const QByteArray& data);

} // namespace archivefiles
