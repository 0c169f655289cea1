#include "engine/TFontResolver.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QStringList>

// Long pages are parsed on a worker thread while the window resolves fonts
// of its own: one lock guards both caches.
static QRecursiveMutex& cacheLock() {
    static QRecursiveMutex lock;
    return lock;
}

static QHash<QString, QString>& resolved() {
    static QHash<QString, QString> cache;
    return cache;
}

// Installed families in lower case; read once (the list is slow to build).
static QSet<QString>& familyList() {
    static QSet<QString> families;
    return families;
}

static const QSet<QString>& installedFamilies() {
    QSet<QString>& families = familyList();
    if (families.isEmpty()) {
        // Fonts the program adds later (the book's own) count from then on.
        static const bool watching =
            qApp && QObject::connect(qApp, &QGuiApplication::fontDatabaseChanged,
                                     [] { TFontResolver::forget(); });
        Q_UNUSED(watching);
        for (const QString& f : QFontDatabase::families())
            families.insert(f.toLower());
    }
    return families;
}

void TFontResolver::forget() {
    QMutexLocker locker(&cacheLock());
    resolved().clear();
    familyList().clear();
}

QString TFontResolver::installed(const QString& name) {
    QMutexLocker locker(&cacheLock());
    QString family = name.trimmed();
    const QString lower = family.toLower();
    if (lower == QLatin1String("monospace"))
        family = QStringLiteral("Courier New");
    else if (lower == QLatin1String("serif"))
        family = QStringLiteral("Times New Roman");
    else if (lower == QLatin1String("sans-serif"))
        family = QStringLiteral("Arial");
    if (family.isEmpty())
        return {};
    if (installedFamilies().contains(family.toLower()))
        return family;
    // Substitutes drawn with the same advance widths.
    static const QHash<QString, QStringList> compatible = {
        {QStringLiteral("arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")}},
        {QStringLiteral("helvetica"), {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")}},
        {QStringLiteral("times new roman"),
         {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")}},
        {QStringLiteral("courier new"),
         {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine")}},
        {QStringLiteral("calibri"), {QStringLiteral("Carlito")}},
        {QStringLiteral("cambria"), {QStringLiteral("Caladea")}},
    };
    auto it = compatible.constFind(family.toLower());
    if (it != compatible.constEnd())
        for (const QString& sub : *it)
            if (installedFamilies().contains(sub.toLower()))
                return sub;
    return {};
}

QString TFontResolver::resolve(const QString& list, const QString& fallback) {
    QMutexLocker locker(&cacheLock());
    const QString key = list + QLatin1Char('|') + fallback;
    auto hit = resolved().constFind(key);
    if (hit != resolved().constEnd())
        return *hit;
    QString chosen;
    for (const QString& part : list.split(QLatin1Char(','))) {
        QString name = part.trimmed();
        name.remove(QLatin1Char('"'));
        name.remove(QLatin1Char('\''));
        chosen = installed(name);
        if (!chosen.isEmpty())
            break;
    }
    if (chosen.isEmpty()) {
        chosen = installed(fallback);
        if (chosen.isEmpty())
            chosen = fallback; // left to the font configuration
    }
    resolved().insert(key, chosen);
    return chosen;
}
