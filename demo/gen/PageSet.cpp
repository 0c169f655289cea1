#include "PageSet.h"

#include "platform/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

bool representable(const QString& text, QString* bad) {
    for (QChar c : text) {
        if (c == u'?')
            continue;
        if (cp1251::fromUnicode(c, '?') == '?') {
            if (bad)
                *bad = QString(c);
            return false;
        }
    }
    return true;
}

} // namespace

QByteArray PageSet::toCp1251Text(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\n', QLatin1String("\r\n"));
    return cp1251::fromUnicode(t);
}

std::optional<QByteArray> PageSet::convertPage(const QString& html, QString* error) {
    if (html.contains(QLatin1String("keep-utf8")))
        return html.toUtf8();
    QString page = html;
    static const QRegularExpression charset(QStringLiteral("charset=utf-8"),
                                            QRegularExpression::CaseInsensitiveOption);
    page.replace(charset, QStringLiteral("charset=windows-1251"));
    QString bad;
    if (!representable(page, &bad)) {
        if (error)
            *error = QStringLiteral("character '%1' has no windows-1251 form").arg(bad);
        return std::nullopt;
    }
    return cp1251::fromUnicode(page);
}

bool PageSet::load(const QString& folder, QString* error) {
    m_pages.clear();
    QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*.htm")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("%1: cannot read").arg(f.fileName());
            return false;
        }
        const QString html = QString::fromUtf8(f.readAll());
        QString why;
        const std::optional<QByteArray> bytes = convertPage(html, &why);
        if (!bytes) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(f.fileName(), why);
            return false;
        }
        m_pages.append(Page{name, *bytes});
    }
    return true;
}
