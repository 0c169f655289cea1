#pragma once

#include <QString>
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

    // Raw typed access. `ok` is false for a missing or unreadable value.
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

    // Tests and tools point the store elsewhere (a folder for the native
    // format). Affects every store created afterwards.
    static void setLocation(const QString& folder);

private:
    QString m_title;
};
