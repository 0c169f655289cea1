#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One directory record of the resource pack.
struct RBin {
    QString name; // code page 1251 decoded, cut at the first NUL
    quint32 offset = 0;
    quint32 size = 0;
};
using TDynamicBinArray = QList<RBin>;

// The resource pack reader (Dod.dhl): reads the directory once, hands out
// entries by name (case-insensitive, first match wins).
class TReadBin {
public:
    // Reads the directory. Returns false (and fills `error`) for a missing,
    // short, non-regular or malformed file: a name length of 0 or above 256,
    // or a directory that runs past the end of the file ("damaged"). The
    // previous directory is replaced only on success.
    bool load(const QString& nativePath, QString* error = nullptr);
    bool has(const QString& name) const;
    // Entry bytes into `buffer`; returns the size, or -1.
    qint64 readToBuffer(const QString& name, QByteArray& buffer) const;
    // Entry bytes into `stream` (opened read-write, position 0); false when
    // absent or unreadable.
    bool readToStream(const QString& name, QBuffer& stream) const;
    // Convenience: the entry's bytes, or an empty optional.
    std::optional<QByteArray> read(const QString& name) const;

    // Damage found by load(): a pack cut short after its directory still
    // loads; the entries whose data run past its end are lost (reads of them
    // fail).
    bool isDamaged() const { return !m_lost.isEmpty(); }
    const QStringList& lostEntries() const { return m_lost; }
    // True when the entry is in the directory but its data are lost.
    bool isLost(const QString& name) const;
    // One line naming the damage ("<path> is damaged: ..."), empty when whole.
    QString damageLine() const;

    const TDynamicBinArray& entries() const { return m_entries; }
    const QString& path() const { return m_path; }

private:
    const RBin* find(const QString& name) const;
    QString m_path;
    TDynamicBinArray m_entries;
    // Folded name -> index of its first record (the first match wins).
    QHash<QString, qsizetype> m_index;
    QStringList m_lost;
};
