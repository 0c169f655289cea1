#pragma once

#include "data/SettingsNames.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

// The per-book settings: organisation "Quorvel", one group per book title
// (the registry key SOFTWARE\Quorvel\<title> on Windows, a file under the
// user's configuration folder elsewhere). Booleans are stored as the integers
// 0 and 1. A value that does not convert to its type is "unreadable" and
// counts as missing. Every call opens the store, reads or writes, and closes
// it again, so several objects and processes share one state.
class TSettingsStore {
public:
    explicit TSettingsStore(const QString& title);

    const QString& title() const { return m_title; }

    // Raw typed access: empty for a missing or unreadable value. Booleans are
    // integers, any value but 0 meaning true.
    std::optional<int> readInt(const QString& name) const;
    std::optional<bool> readBool(const QString& name) const;
    std::optional<QString> readText(const QString& name) const;
    void writeInt(const QString& name, int value);
    void writeBool(const QString& name, bool value);
    void writeText(const QString& name, const QString& value);
    void remove(const QString& name);
    bool contains(const QString& name) const;

    // Reading rule of the options: a missing or unreadable value is written
    // back with the default, and the default is used.
    bool boolOrWriteDefault(const QString& name, bool def);
    int intOrWriteDefault(const QString& name, int def);

    // Texts: a missing, unreadable or empty value is written back with the
    // default, and the default is used (song-list names; FontName).
    QString textOrWriteDefault(const QString& name, const QString& def);

    // The same rules for the named values of SettingsNames.h.
    bool boolOrWriteDefault(const settings::BoolValue& v) {
        return boolOrWriteDefault(QLatin1String(v.name), v.def);
    }
    int intOrWriteDefault(const settings::IntValue& v) {
        return intOrWriteDefault(QLatin1String(v.name), v.def);
    }
    QString textOrWriteDefault(const settings::TextValue& v) {
        return textOrWriteDefault(QLatin1String(v.name), QString::fromUtf8(v.def));
    }

    // Favourites: the stored slots in order (missing slots skipped); writing
    // fills slots from 0 and deletes the rest. Only the first
    // settings::FavoriteSlots entries can be stored.
    QStringList readFavorites() const;
    void writeFavorites(const QStringList& favorites);

    // The file or registry path behind this store (for messages and tests).
    QString location() const;

    // Tests and tools point the store elsewhere: the values of a title then
    // live in <folder>/Quorvel/<title>.conf. Affects every store used
    // afterwards; an empty folder restores the platform's own place.
    static void setLocation(const QString& folder);

private:
    std::unique_ptr<QSettings> open() const;
    QString m_title;
};
