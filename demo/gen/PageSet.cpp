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

QString PageSet::titleOf(const QString& html) {
    static const QRegularExpression re(QStringLiteral("<title>(.*?)</title>"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(html);
    return m.hasMatch() ? m.captured(1).simplified() : QString();
}

QString PageSet::visibleText(const QString& html) {
    QString t = html;
    static const QRegularExpression head(QStringLiteral("<head>.*?</head>"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    t.remove(head);
    t.replace(tags, QStringLiteral(" "));
    const std::pair<const char*, const char*> entities[] = {
        {"&nbsp;", " "}, {"&laquo;", "«"}, {"&raquo;", "»"}, {"&mdash;", "—"}, {"&ndash;", "–"},
        {"&deg;", "°"},  {"&lt;", "<"},    {"&gt;", ">"},    {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
        t.replace(QLatin1String(from), QString::fromUtf8(to));
    return t.simplified();
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
        m_pages.append(Page{name, titleOf(html), visibleText(html), *bytes});
    }
    return true;
}

PageSet::Index PageSet::buildIndex(const QStringList& keywords, const QStringList& skip,
                                   QStringList* unused) const {
    QList<const Page*> indexed;
    for (const Page& p : m_pages) {
        bool skipped = false;
        for (const QString& s : skip)
            skipped = skipped || p.file.startsWith(s, Qt::CaseInsensitive);
        if (!skipped)
            indexed.append(&p);
    }
    QString files, words, lists;
    for (const Page* p : indexed)
        files += p->file + QStringLiteral("#:#") + p->title + QLatin1Char('\n');
    for (const QString& raw : keywords) {
        const QString word = raw.trimmed();
        if (word.isEmpty() || word.startsWith(u'#'))
            continue;
        // Whole words; a long word also matches its inflected forms (a few
        // more letters), as a reader searching for it would expect.
        const QString tail = word.size() >= 5 ? QStringLiteral("\\w{0,3}") : QString();
        const QRegularExpression re(QStringLiteral("(?<!\\w)") + QRegularExpression::escape(word) +
                                        tail + QStringLiteral("(?!\\w)"),
                                    QRegularExpression::CaseInsensitiveOption |
                                        QRegularExpression::UseUnicodePropertiesOption);
        QStringList numbers;
        for (int i = 0; i < indexed.size(); ++i) {
            if (re.match(indexed.at(i)->text).hasMatch())
                numbers.append(QString::number(i + 1));
        }
        if (numbers.isEmpty()) {
            if (unused)
                unused->append(word);
            continue;
        }
        words += word + QLatin1Char('\n');
        lists += numbers.join(u':') + QLatin1Char('\n');
    }
    return Index{toCp1251Text(words), toCp1251Text(lists), toCp1251Text(files)};
}
