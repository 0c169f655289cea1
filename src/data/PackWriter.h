#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// Writes a resource pack (Dod.dhl): the count, the directory records, then
// the entries' data in the order they were added. Names are stored in code
// page 1251 (1..256 bytes each).
class PackWriter {
public:
    struct Entry {
        QString name;
        QByteArray data;
    };

    // False (and `error` filled) for an empty or over-long name, a name not
    // representable in code page 1251 or holding a NUL, a name that equals an
    // earlier one without regard to letter case (the reader could never reach
    // it), or more than 65535 entries.
    bool add(const QString& name, const QByteArray& data, QString* error = nullptr);
    const QList<Entry>& entries() const { return m_entries; }
    void clear() {
        m_entries.clear();
        m_folded.clear();
    }

    // The whole pack; empty with `error` filled when it would not fit the
    // format's 32-bit offsets.
    QByteArray toBytes(QString* error = nullptr) const;
    // Writes the pack to a file (atomically: a partly written pack never
    // replaces a good one).
    bool write(const QString& nativePath, QString* error = nullptr) const;

private:
    QList<Entry> m_entries;
    QHash<QString, QString> m_folded; // folded name -> name as added
};
