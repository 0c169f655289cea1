#include "engine/TLinkPath.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace linkpath {

static bool isSep(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

QString scheme(const QString& link) {
    int colon = link.indexOf(QLatin1Char(':'));
    if (colon < 2)
        return {};
    for (int i = 0; i < colon; ++i) {
        QChar c = link.at(i);
        if (!(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') ||
              c == QLatin1Char('.')) ||
            c.unicode() > 127)
            return {};
    }
    return link.left(colon).toLower();
}

bool hasScheme(const QString& link) {
    QString s = scheme(link);
    return !s.isEmpty() && s != QLatin1String("file");
}

bool isAbsolute(const QString& path) {
    if (path.isEmpty())
        return false;
    if (isSep(path.at(0)))
        return true;
    return path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter();
}

QString folderOf(const QString& path) {
    QString p = withoutAnchor(path);
    for (int i = p.size() - 1; i >= 0; --i)
        if (isSep(p.at(i)))
            return p.left(i + 1);
    return {};
}

QString fileNameOf(const QString& path) {
    QString p = withoutAnchor(path);
    return p.mid(folderOf(p).size());
}

QString extensionOf(const QString& path) {
    QString name = fileNameOf(path);
    int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

QString withoutAnchor(const QString& link) {
    int hash = link.indexOf(QLatin1Char('#'));
    return hash < 0 ? link : link.left(hash);
}

QString anchorOf(const QString& link) {
    int hash = link.indexOf(QLatin1Char('#'));
    return hash < 0 ? QString() : link.mid(hash + 1);
}

static QString fold(const QString& path, QChar sep) {
    // Keep the root ("\", "/", "c:\") and fold the rest.
    QString root;
    QString rest = path;
    if (rest.size() >= 2 && rest.at(1) == QLatin1Char(':') && rest.at(0).isLetter()) {
        root = rest.left(2);
        rest = rest.mid(2);
    }
    bool absolute = !rest.isEmpty() && isSep(rest.at(0));
    if (absolute)
        root += sep;
    QStringList parts;
    QStringList in = rest.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    for (int i = 0; i < in.size(); ++i) {
        const QString& part = in.at(i);
        if (part.isEmpty() || part == QLatin1String(".")) {
            if (i == in.size() - 1 && !parts.isEmpty())
                parts << QString(); // keep a trailing separator
            continue;
        }
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty() && parts.last() != QLatin1String(".."))
                parts.removeLast();
            else if (!absolute && root.isEmpty())
                parts << part;
            continue;
        }
        parts << part;
    }
    return root + parts.join(sep);
}

QString expand(const QString& base, const QString& link) {
    QString l = link.trimmed();
    if (hasScheme(l))
        return l;
    if (scheme(l) == QLatin1String("file")) {
        l = l.mid(5);
        while (l.startsWith(QLatin1String("///")))
            l = l.mid(2);
        if (l.startsWith(QLatin1String("//")))
            l = l.mid(1);
    }
    if (l.contains(QLatin1Char('%')))
        l = QUrl::fromPercentEncoding(l.toUtf8());
    QString baseFile = withoutAnchor(base);
    if (l.isEmpty())
        return baseFile;
    if (l.startsWith(QLatin1Char('#')))
        return baseFile + l;
    QChar sep = baseFile.contains(QLatin1Char('\\')) ? QLatin1Char('\\') : QLatin1Char('/');
    if (!baseFile.contains(QLatin1Char('\\')) && !baseFile.contains(QLatin1Char('/')))
        sep = l.contains(QLatin1Char('\\')) ? QLatin1Char('\\') : QLatin1Char('/');
    QString anchor;
    int hash = l.indexOf(QLatin1Char('#'));
    if (hash >= 0) {
        anchor = l.mid(hash);
        l = l.left(hash);
    }
    QString joined;
    if (isAbsolute(l)) {
        joined = l;
        // "\x" on a page of drive "c:" stays on that drive.
        if (isSep(l.at(0)) && baseFile.size() >= 2 && baseFile.at(1) == QLatin1Char(':'))
            joined = baseFile.left(2) + l;
    } else {
        joined = folderOf(baseFile) + l;
    }
    return fold(joined, sep) + anchor;
}

bool samePath(const QString& a, const QString& b) {
    QString x = a, y = b;
    x.replace(QLatin1Char('/'), QLatin1Char('\\'));
    y.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return x.compare(y, Qt::CaseInsensitive) == 0;
}

} // namespace linkpath
