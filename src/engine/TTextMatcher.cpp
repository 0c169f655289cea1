#include "engine/TTextMatcher.h"

#include "engine/TPageDecoder.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

namespace textmatch {

static bool isSpace(QChar c) {
    return c.isSpace() || c == QChar(0xA0);
}

QString collapseSpaces(const QString& text) {
    QString out;
    out.reserve(text.size());
    bool inSpace = false;
    for (QChar c : text) {
        if (isSpace(c)) {
            if (!inSpace)
                out += QLatin1Char(' ');
            inSpace = true;
        } else {
            out += c;
            inSpace = false;
        }
    }
    return out;
}

int find(const QString& hay, const QString& needle, bool matchCase, int from) {
    QString n = collapseSpaces(needle);
    if (n.isEmpty() || from < 0)
        return -1;
    return hay.indexOf(n, from, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

static QString decodeEntity(const QString& name) {
    static const QHash<QString, QChar> named = {
        {QStringLiteral("nbsp"), QChar(0xA0)},      {QStringLiteral("amp"), QLatin1Char('&')},
        {QStringLiteral("lt"), QLatin1Char('<')},   {QStringLiteral("gt"), QLatin1Char('>')},
        {QStringLiteral("quot"), QLatin1Char('"')}, {QStringLiteral("apos"), QLatin1Char('\'')},
        {QStringLiteral("copy"), QChar(0xA9)},      {QStringLiteral("reg"), QChar(0xAE)},
        {QStringLiteral("laquo"), QChar(0xAB)},     {QStringLiteral("raquo"), QChar(0xBB)},
        {QStringLiteral("mdash"), QChar(0x2014)},   {QStringLiteral("ndash"), QChar(0x2013)},
        {QStringLiteral("deg"), QChar(0xB0)},       {QStringLiteral("middot"), QChar(0xB7)},
        {QStringLiteral("hellip"), QChar(0x2026)},  {QStringLiteral("bull"), QChar(0x2022)},
        {QStringLiteral("times"), QChar(0xD7)},     {QStringLiteral("plusmn"), QChar(0xB1)},
        {QStringLiteral("sect"), QChar(0xA7)},      {QStringLiteral("para"), QChar(0xB6)},
        {QStringLiteral("ldquo"), QChar(0x201C)},   {QStringLiteral("rdquo"), QChar(0x201D)},
        {QStringLiteral("bdquo"), QChar(0x201E)},   {QStringLiteral("lsquo"), QChar(0x2018)},
        {QStringLiteral("rsquo"), QChar(0x2019)},   {QStringLiteral("shy"), QChar(0xAD)}};
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                        ? name.mid(2).toUInt(&ok, 16)
                        : name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code < 0x110000)
            return QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        return {};
    }
    auto it = named.constFind(name);
    return it == named.constEnd() ? QString() : QString(*it);
}

QString pageText(const QString& html) {
    QString out;
    out.reserve(html.size());
    const int n = html.size();
    int i = 0;
    while (i < n) {
        QChar c = html.at(i);
        if (c == QLatin1Char('<')) {
            if (html.mid(i, 4) == QLatin1String("<!--")) {
                int end = html.indexOf(QLatin1String("-->"), i + 4);
                i = end < 0 ? n : end + 3;
                continue;
            }
            int end = html.indexOf(QLatin1Char('>'), i + 1);
            if (end < 0)
                break;
            QString tag = html.mid(i + 1, end - i - 1).trimmed().toLower();
            QString name = tag.section(QRegularExpression(QStringLiteral("[\\s/>]")), 0, 0,
                                       QString::SectionSkipEmpty);
            i = end + 1;
            if (!tag.startsWith(QLatin1Char('/')) &&
                (name == QLatin1String("script") || name == QLatin1String("style") ||
                 name == QLatin1String("title") || name == QLatin1String("select"))) {
                int close = html.indexOf(QLatin1String("</") + name, i, Qt::CaseInsensitive);
                i = close < 0 ? n : close;
                continue;
            }
            static const QStringList inlineTags = {
                QStringLiteral("a"),    QStringLiteral("b"),      QStringLiteral("i"),
                QStringLiteral("u"),    QStringLiteral("s"),      QStringLiteral("font"),
                QStringLiteral("span"), QStringLiteral("strong"), QStringLiteral("em"),
                QStringLiteral("big"),  QStringLiteral("small"),  QStringLiteral("sub"),
                QStringLiteral("sup"),  QStringLiteral("strike"), QStringLiteral("tt"),
                QStringLiteral("code"), QStringLiteral("nobr"),   QStringLiteral("abbr")};
            QString bare = name.startsWith(QLatin1Char('/')) ? name.mid(1) : name;
            if (!inlineTags.contains(bare))
                out += QLatin1Char(' ');
            continue;
        }
        if (c == QLatin1Char('&')) {
            int semi = html.indexOf(QLatin1Char(';'), i + 1);
            if (semi > i && semi - i <= 10) {
                QString d = decodeEntity(html.mid(i + 1, semi - i - 1));
                if (!d.isEmpty()) {
                    out += d;
                    i = semi + 1;
                    continue;
                }
            }
        }
        out += c;
        ++i;
    }
    return collapseSpaces(out).trimmed();
}

QString pageTextOfFile(const QByteArray& bytes, const QString& path) {
    TPageDecoder::Kind kind = TPageDecoder::kindOf(path);
    if (kind == TPageDecoder::Kind::Picture)
        return {};
    QString html = TPageDecoder::toHtml(bytes, kind, QString());
    return pageText(html);
}

bool fileContains(const QByteArray& bytes, const QString& path, const QString& needle,
                  bool matchCase) {
    return find(pageTextOfFile(bytes, path), needle, matchCase) >= 0;
}

} // namespace textmatch
