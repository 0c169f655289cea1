#include "data/SettingsStore.h"

#include <QSettings>

namespace {

const char* const kOrganisation = "Quorvel";

// The folder set by setLocation(); empty for the platform's own place.
QString& redirectedFolder() {
    static QString folder;
    return folder;
}

// The book title as the last part of a settings path: a title must not reach
// another folder or key through separators.
QString storeName(const QString& title) {
    QString name = title;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return name;
}

} // namespace

TSettingsStore::TSettingsStore(const QString& title) : m_title(title) {}

std::unique_ptr<QSettings> TSettingsStore::open() const {
    const QString& folder = redirectedFolder();
    if (!folder.isEmpty()) {
        const QString file = folder + QLatin1Char('/') + QLatin1String(kOrganisation) +
                             QLatin1Char('/') + storeName(m_title) + QLatin1String(".conf");
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
    auto s = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                         QLatin1String(kOrganisation), storeName(m_title));
    // Only the user's own values count, as with the user's registry hive: no
    // system-wide or organisation-wide files behind them.
    s->setFallbacksEnabled(false);
    return s;
}

std::optional<int> TSettingsStore::readInt(const QString& name) const {
    const QVariant v = open()->value(name);
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    const int value = v.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<bool> TSettingsStore::readBool(const QString& name) const {
    const std::optional<int> value = readInt(name);
    if (!value)
        return std::nullopt;
    return *value != 0;
}

std::optional<QString> TSettingsStore::readText(const QString& name) const {
    const QVariant v = open()->value(name);
    if (!v.isValid())
        return std::nullopt;
    // A hand-written text with commas reads back as a list in the INI format.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1String(", "));
    if (!v.canConvert<QString>())
        return std::nullopt;
    return v.toString();
}

void TSettingsStore::writeInt(const QString& name, int value) {
    open()->setValue(name, value);
}

void TSettingsStore::writeBool(const QString& name, bool value) {
    open()->setValue(name, value ? 1 : 0);
}

void TSettingsStore::writeText(const QString& name, const QString& value) {
    open()->setValue(name, value);
}

void TSettingsStore::remove(const QString& name) {
    open()->remove(name);
}

bool TSettingsStore::contains(const QString& name) const {
    return open()->contains(name);
}

bool TSettingsStore::boolOrWriteDefault(const QString& name, bool def) {
    if (const std::optional<bool> value = readBool(name))
        return *value;
    writeBool(name, def);
    return def;
}

int TSettingsStore::intOrWriteDefault(const QString& name, int def) {
    if (const std::optional<int> value = readInt(name))
        return *value;
    writeInt(name, def);
    return def;
}

QString TSettingsStore::textOrWriteDefault(const QString& name, const QString& def) {
    const std::optional<QString> value = readText(name);
    if (value && !value->isEmpty())
        return *value;
    writeText(name, def);
    return def;
}

QStringList TSettingsStore::readFavorites() const {
    QStringList result;
    for (int slot = 0; slot < settings::FavoriteSlots; ++slot) {
        const std::optional<QString> value = readText(settings::favorite(slot));
        if (value && !value->isEmpty())
            result.append(*value);
    }
    return result;
}

void TSettingsStore::writeFavorites(const QStringList& favorites) {
    std::unique_ptr<QSettings> s = open();
    int slot = 0;
    for (; slot < settings::FavoriteSlots && slot < favorites.size(); ++slot)
        s->setValue(settings::favorite(slot), favorites.at(slot));
    for (; slot < settings::FavoriteSlots; ++slot)
        s->remove(settings::favorite(slot));
}

QString TSettingsStore::location() const {
    return open()->fileName();
}

void TSettingsStore::setLocation(const QString& folder) {
    redirectedFolder() = folder;
}
