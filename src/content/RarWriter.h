#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// Writes RAR 4 archives whose entries are stored without compression: the
// marker block, the archive header, one file header per entry (CRC-16 of the
// header, CRC-32 of the data) followed by its data, and the end block. Used by
// the tests, the benchmarks and the demo book to make archives the reader
// then lists and unpacks.
class RarWriter {
public:
    // How an entry's name is stored.
    enum class NameForm {
        Auto,    // ASCII names plainly, others as Oem + Unicode
        Oem,     // code page 866 only (old DOS and Windows archivers)
        Unicode, // code page 866 followed by the Unicode form
        Utf8Raw, // UTF-8 bytes without the Unicode flag
    };

    struct Entry {
        QString name; // folders separated by "/" or "\"
        QByteArray data;
        bool folder = false;
        QDateTime time;         // invalid: 2020-01-02 03:04:06 local time
        quint32 attributes = 0; // 0: 0x20 for files, 0x10 for folders
        NameForm nameForm = NameForm::Auto;
        QByteArray rawName;    // when set, stored exactly as given (no Unicode form)
        bool wrongCrc = false; // the header's data CRC does not match
    };

    void add(const Entry& entry) { m_entries.append(entry); }
    void addFile(const QString& name, const QByteArray& data);
    void addFolder(const QString& name);
    const QList<Entry>& entries() const { return m_entries; }

    // The whole archive in one volume.
    QByteArray archive() const;
    // A volume set: each volume holds at most `dataPerVolume` bytes of entry
    // data (at least one byte); files that do not fit are split across
    // volumes. Named name.part1.rar, name.part2.rar, ... by the caller.
    QList<QByteArray> volumes(qint64 dataPerVolume) const;

    // Writes `bytes` to `path` (folders made); false on failure.
    static bool save(const QString& path, const QByteArray& bytes);
    // The DOS date and time of a local date-time.
    static quint32 dosTime(const QDateTime& time);

private:
    QList<Entry> m_entries;
};
