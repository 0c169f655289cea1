#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

// One page a frame viewer showed: the page (or frame set) file, its title,
// the page each named frame showed, and the vertical position of the active
// page when the reader left it.
struct THtmlHistoryEntry {
    QString file;
    QString title;
    QMap<QString, QString> frames; // frame name -> file
    int position = 0;

    bool operator==(const THtmlHistoryEntry&) const = default;
};

// The history of a frame viewer, newest first: entry 0 is the newest page;
// entries below the index are forward entries, those above it back entries.
// No widget: history popups, menus and favourites read it directly. The
// frame viewer that owns it is the only writer.
class THtmlHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultMaxCount = 10;

    explicit THtmlHistory(QObject* parent = nullptr);

    int maxCount() const { return m_maxCount; }
    // Drops the oldest entries beyond the new limit.
    void setMaxCount(int count);

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const QList<THtmlHistoryEntry>& entries() const { return m_entries; }
    // Entry i; an empty entry for an index out of range.
    THtmlHistoryEntry entry(int i) const;
    QString file(int i) const { return entry(i).file; }
    QString title(int i) const { return entry(i).title; }
    QStringList files() const;
    QStringList titles() const;
    // The first entry showing `file` (any separators and letter case; the
    // anchor counts), or -1.
    int indexOf(const QString& file) const;

    // The entry shown. 0 for an empty history.
    int index() const { return m_index; }
    bool canGoBack() const { return m_index + 1 < m_entries.size(); }
    bool canGoForward() const { return m_index > 0; }

    // Writing (the owning frame viewer).
    // A new newest entry: drops the forward entries, keeps at most
    // maxCount(); the index becomes 0. With a limit of 0 nothing is kept.
    void push(const THtmlHistoryEntry& e);
    // Moves the index; an index out of range changes nothing.
    void setIndex(int i);
    // Remembers the position of entry i (no change notice: positions move
    // with every scroll).
    void setPosition(int i, int position);
    void clear();

signals:
    // Entries or the index changed.
    void changed();

private:
    QList<THtmlHistoryEntry> m_entries;
    int m_index = 0;
    int m_maxCount = kDefaultMaxCount;
};
