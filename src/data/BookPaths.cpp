#include "data/BookPaths.h"

#include "platform/Cp1251.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QReadWriteLock>

namespace {

QReadWriteLock g_currentLock;

// Spaces and control characters at both ends go (the book's own trimming).
QString trimControls(const QString& s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b).unicode() <= ' ')
        ++b;
    while (e > b && s.at(e - 1).unicode() <= ' ')
        --e;
    return s.mid(b, e - b);
}

bool hasDrive(const QString& text) {
    return text.size() >= 3 && text.at(0).isLetter() && text.at(1) == u':' && text.at(2) == u'\\';
}

bool startsWithNoCase(const QString& text, const QString& prefix) {
    return text.size() >= prefix.size() &&
           cp1251::equalsNoCase(QStringView(text).left(prefix.size()).toString(), prefix);
}

// The position of the anchor backslash in `base` (which ends with a
// backslash). anchorRoot, when given and `base` lies below it, is a POSIX
// book root that plays the part of the first directory below a drive.
qsizetype findAnchor(const QString& base, const QString& anchorRoot) {
    qsizetype drive = base.indexOf(QLatin1String(":\\"));
    if (drive >= 0) {
        qsizetype a = base.indexOf(u'\\', drive + 2);
        return a >= 0 ? a : base.size() - 1;
    }
    if (!anchorRoot.isEmpty() && startsWithNoCase(base, anchorRoot))
        return anchorRoot.size() - 1;
    return base.indexOf(u'\\');
}

QString joinWithAnchorRoot(QString base, const QString& relativeIn, const QString& anchorRoot) {
    if (!base.endsWith(u'\\'))
        base += u'\\';
    qsizetype anchor = findAnchor(base, anchorRoot);
    QString relative = trimControls(relativeIn);
    // Books may write either separator; URLs and drive paths keep theirs.
    if (!relative.contains(u':'))
        relative.replace(u'/', u'\\');

    QString result;
    if (relative.startsWith(u'\\'))
        result = base.left(anchor + 1) + relative.mid(1);
    else
        result = base + relative;

    static const QString up = QStringLiteral("\\..\\");
    for (;;) {
        qsizetype p = result.indexOf(up);
        if (p < 0)
            break;
        if (p > anchor) {
            // The previous backslash is at or after the anchor, so the path
            // never climbs above it.
            qsizetype q = result.lastIndexOf(u'\\', p - 1);
            if (q < 0)
                break;
            result = result.left(q + 1) + result.mid(p + up.size());
        } else {
            result.remove(p + 1, 3);
        }
    }
    return result;
}

#ifndef Q_OS_WIN
// Folder listings for the case-insensitive lookup, folded name -> name on
// disk, kept while the folder's modification time stays the same: a page
// full of pictures written in another letter case lists its folder once.
struct Listing {
    qint64 modified = 0;
    QHash<QString, QString> names;
};
QMutex g_listingLock;
QHash<QString, Listing> g_listings;
constexpr qsizetype kMaxListings = 512;
constexpr qint64 kSettleMs = 2000;

QString findNoCase(const QString& dirPath, const QString& name) {
    const QFileInfo dirInfo(dirPath);
    if (!dirInfo.isDir())
        return {};
    const qint64 modified = dirInfo.lastModified().toMSecsSinceEpoch();
    const QString key = dirInfo.absoluteFilePath();
    const QString want = cp1251::foldCase(name);
    QMutexLocker lock(&g_listingLock);
    auto it = g_listings.find(key);
    if (it == g_listings.end() || it->modified != modified) {
        if (it == g_listings.end() && g_listings.size() >= kMaxListings)
            g_listings.clear();
        Listing listing;
        listing.modified = modified;
        const QStringList names = QDir(dirPath).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& n : names) {
            const QString folded = cp1251::foldCase(n);
            if (!listing.names.contains(folded))
                listing.names.insert(folded, n);
        }
        // A folder changed within the last moments may change again within
        // the same clock tick without its time moving: such a listing is
        // used once and not kept.
        if (QDateTime::currentMSecsSinceEpoch() - modified < kSettleMs) {
            if (it != g_listings.end())
                g_listings.erase(it);
            return listing.names.value(want);
        }
        it = g_listings.insert(key, std::move(listing));
    }
    return it->names.value(want);
}
#endif

} // namespace

BookPaths::BookPaths(const QString& baseDir) {
    QString text = baseDir;
    bool isText = text.startsWith(u'\\') || hasDrive(text);
#ifdef Q_OS_WIN
    isText = true;
    text = QDir::toNativeSeparators(QFileInfo(text).absoluteFilePath());
#endif
    if (!isText && !text.isEmpty())
        text = fromNative(QFileInfo(text).absoluteFilePath());
    if (!text.isEmpty() && !text.endsWith(u'\\'))
        text += u'\\';
    m_baseDir = text;

    // The reader lives in the book's "run" folder; only a whole folder of
    // that name counts (a folder such as "rerun" is left alone).
    m_bookRoot = m_baseDir;
    QString folded = cp1251::foldCase(m_baseDir);
    qsizetype at = folded.startsWith(QLatin1String("run\\")) ? 0 : -1;
    if (at < 0) {
        at = folded.indexOf(QLatin1String("\\run\\"));
        if (at >= 0)
            at += 1;
    }
    if (at >= 0)
        m_bookRoot.remove(at, 4);

    if (hasDrive(m_baseDir))
        m_discRoot = m_baseDir.left(1).toLower() + QStringLiteral(":\\");
    else
        m_discRoot = m_bookRoot;
}

QString BookPaths::resolvePath(const QString& text) const {
    static const QString marker = QStringLiteral("<cd>");
    qsizetype cd = text.indexOf(marker);
    if (cd >= 0)
        return text.left(cd) + m_discRoot + text.mid(cd + marker.size());

    if (text.contains(QLatin1String(":\\")))
        return text;
    if (!text.contains(u'.') && !text.contains(u'\\') && !text.contains(u'/'))
        return text;
    QString anchorRoot = hasDrive(m_baseDir) ? QString() : m_bookRoot;
    qsizetype eq = text.lastIndexOf(u'=');
    // A path resolved already (a list value resolved when it was read, then
    // run as a command) stays as it is, as a path with a drive does.
    if (!anchorRoot.isEmpty() && startsWithNoCase(text.mid(eq + 1), anchorRoot))
        return text;
    if (eq >= 0)
        return text.left(eq + 1) + joinWithAnchorRoot(m_baseDir, text.mid(eq + 1), anchorRoot);
    return joinWithAnchorRoot(m_baseDir, text, anchorRoot);
}

QString BookPaths::join(const QString& base, const QString& relative) const {
    return joinWithAnchorRoot(base, relative, hasDrive(base) ? QString() : m_bookRoot);
}

BookPaths& BookPaths::currentStorage() {
    static BookPaths current;
    return current;
}

QString BookPaths::joinPath(const QString& base, const QString& relative) {
    QString anchorRoot;
    if (!hasDrive(base)) {
        QReadLocker lock(&g_currentLock);
        anchorRoot = currentStorage().m_bookRoot;
    }
    return joinWithAnchorRoot(base, relative, anchorRoot);
}

void BookPaths::setCurrent(const BookPaths& paths) {
    QWriteLocker lock(&g_currentLock);
    currentStorage() = paths;
}

BookPaths BookPaths::current() {
    QReadLocker lock(&g_currentLock);
    return currentStorage();
}

QString BookPaths::fromNative(const QString& nativePath) {
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(nativePath);
#else
    QString t = nativePath;
    t.replace(u'/', u'\\');
    return t;
#endif
}

QString BookPaths::toNative(const QString& pathText) {
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(pathText);
#else
    QString t = pathText;
    t.replace(u'\\', u'/');
    return t;
#endif
}

QString BookPaths::resolveOnDisk(const QString& pathText) {
    const QString native = toNative(pathText);
    if (native.isEmpty())
        return {};
#ifndef Q_OS_WIN
    if (hasDrive(pathText))
        return {}; // a drive path has no place on this system
#endif
    if (QFileInfo::exists(native))
        return native;
#ifdef Q_OS_WIN
    return {};
#else
    const bool absolute = native.startsWith(u'/');
    const bool trailing = native.endsWith(u'/');
    const QStringList parts = native.split(u'/', Qt::SkipEmptyParts);
    QString cur = absolute ? QStringLiteral("/") : QString();
    auto append = [&cur](const QString& name) {
        if (!cur.isEmpty() && !cur.endsWith(u'/'))
            cur += u'/';
        cur += name;
    };
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        if (part == u'.')
            continue;
        QString dirPath = cur.isEmpty() ? QStringLiteral(".") : cur;
        if (part == QLatin1String("..")) {
            append(part);
            continue;
        }
        QString exact = cur;
        if (!exact.isEmpty() && !exact.endsWith(u'/'))
            exact += u'/';
        exact += part;
        if (QFileInfo::exists(exact)) {
            cur = exact;
            continue;
        }
        const QString found = findNoCase(dirPath, part);
        if (found.isEmpty())
            return {};
        append(found);
    }
    if (cur.isEmpty())
        cur = QStringLiteral(".");
    if (trailing && !cur.endsWith(u'/'))
        cur += u'/';
    return QFileInfo::exists(cur) ? cur : QString();
#endif
}

bool BookPaths::fileExists(const QString& pathText) {
    const QString p = resolveOnDisk(pathText);
    return !p.isEmpty() && QFileInfo(p).isFile();
}

QString BookPaths::takeBookOption(QStringList& args, QString* error) {
    QString dir;
    static const QString opt = QStringLiteral("--book");
    for (qsizetype i = 0; i < args.size();) {
        const QString& a = args.at(i);
        if (a == opt) {
            if (i + 1 >= args.size()) {
                if (error)
                    *error = QStringLiteral("--book needs a folder");
                args.removeAt(i);
                continue;
            }
            dir = args.at(i + 1);
            args.remove(i, 2);
            continue;
        }
        if (a.startsWith(opt + u'=')) {
            dir = a.mid(opt.size() + 1);
            if (dir.isEmpty() && error)
                *error = QStringLiteral("--book needs a folder");
            args.removeAt(i);
            continue;
        }
        ++i;
    }
    return dir;
}
