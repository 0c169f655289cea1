#include "engine/TPageFilter.h"

#include "engine/HtmlMarkup.h"
#include "engine/TStyleSheetFilter.h"

#include <QRegularExpression>

#include <functional>

// Replaces each match of `re` by what `replacement` returns for it.
static QString
replaceEach(const QString& text, const QRegularExpression& re,
            const std::function<QString(const QRegularExpressionMatch&)>& replacement) {
    QString out;
    qsizetype last = 0;
    auto it = re.globalMatch(text);
    while (it.hasNext()) {
        auto m = it.next();
        QString with = replacement(m);
        if (with == m.captured())
            continue;
        out += QStringView(text).mid(last, m.capturedStart() - last);
        out += with;
        last = m.capturedEnd();
    }
    if (last == 0)
        return text;
    out += QStringView(text).mid(last);
    return out;
}

// Replaces the content of each element named by `open` (a pattern for its
// start tag, whose group 1 is the tag name) up to its end tag. One pass over
// the text: a start tag without an end tag ends the work (a pattern that
// looked ahead for the end tag of every start tag could take quadratic time
// on a page of start tags alone).
static QString replaceBlocks(
    const QString& html, const QRegularExpression& open,
    const std::function<QString(const QString& startTag, const QString& name, const QString& body)>&
        replacement) {
    QString out;
    qsizetype last = 0, pos = 0;
    while (pos < html.size()) {
        const QRegularExpressionMatch m = open.match(html, pos);
        if (!m.hasMatch())
            break;
        const QString endTag = QLatin1String("</") + m.captured(1);
        qsizetype end = html.indexOf(endTag, m.capturedEnd(), Qt::CaseInsensitive);
        if (end < 0)
            break;
        const QString body = html.mid(m.capturedEnd(), end - m.capturedEnd());
        const QString with = replacement(m.captured(0), m.captured(1), body);
        if (with != m.captured(0) + body) {
            out += QStringView(html).mid(last, m.capturedStart() - last);
            out += with;
            last = end;
        }
        pos = end + endTag.size();
    }
    if (last == 0)
        return html;
    out += QStringView(html).mid(last);
    return out;
}

// rel="..." and media="..." in lower case.
static QString lowerCaseTypes(const QString& tag) {
    static const QRegularExpression attr(
        QStringLiteral("(\\b(?:rel|media)\\s*=\\s*)(\"[^\"]*\"|'[^']*'|[^\\s>]+)"),
        QRegularExpression::CaseInsensitiveOption);
    return replaceEach(tag, attr, [](const QRegularExpressionMatch& m) {
        return m.captured(1) + m.captured(2).toLower();
    });
}

static QString mendStyleBlocks(const QString& html) {
    static const QRegularExpression open(QStringLiteral("<(style)\\b[^<>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    return replaceBlocks(html, open,
                         [](const QString& startTag, const QString&, const QString& body) {
                             return lowerCaseTypes(startTag) + TStyleSheetFilter::mendSheet(body);
                         });
}

static QString mendLinks(const QString& html) {
    static const QRegularExpression link(QStringLiteral("<link\\b[^<>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    return replaceEach(
        html, link, [](const QRegularExpressionMatch& m) { return lowerCaseTypes(m.captured()); });
}

static QString mendStyleAttributes(const QString& html) {
    static const QRegularExpression attr(
        QStringLiteral("(<[a-zA-Z][^<>]*?\\sstyle\\s*=\\s*)(\"[^\"]*\"|'[^']*')"),
        QRegularExpression::CaseInsensitiveOption);
    return replaceEach(html, attr, [](const QRegularExpressionMatch& m) {
        const QString quoted = m.captured(2);
        if (!quoted.contains(QLatin1String("background"), Qt::CaseInsensitive))
            return m.captured();
        const QChar q = quoted.front();
        return m.captured(1) + q +
               TStyleSheetFilter::mendDeclarations(quoted.mid(1, quoted.size() - 2)) + q;
    });
}

QString TPageFilter::expandTabs(const QString& html) {
    if (!html.contains(QLatin1Char('\t')))
        return html;
    static const QRegularExpression open(QStringLiteral("<(pre|xmp|listing)\\b[^<>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    return replaceBlocks(
        html, open, [](const QString& startTag, const QString& name, const QString& body) {
            if (!body.contains(QLatin1Char('\t')))
                return startTag + body;
            const bool raw = name.compare(QLatin1String("pre"), Qt::CaseInsensitive) != 0;
            QString out;
            out.reserve(body.size() + 64);
            int column = 0;
            for (qsizetype i = 0; i < body.size(); ++i) {
                const QChar c = body.at(i);
                if (c == QLatin1Char('\t')) {
                    const int n = 8 - column % 8;
                    out += QString(n, QLatin1Char(' '));
                    column += n;
                    continue;
                }
                if (c == QLatin1Char('\n')) {
                    out += c;
                    column = 0;
                    continue;
                }
                if (!raw && c == QLatin1Char('<')) {
                    const qsizetype end = body.indexOf(QLatin1Char('>'), i);
                    if (end > i) {
                        const QStringView tag = QStringView(body).mid(i, end - i + 1);
                        if (tag.startsWith(QLatin1String("<br"), Qt::CaseInsensitive))
                            column = 0;
                        out += tag;
                        i = end;
                        continue;
                    }
                }
                if (!raw && c == QLatin1Char('&')) {
                    qsizetype j = i + 1;
                    while (j < body.size() && j - i < 12 &&
                           (body.at(j).isLetterOrNumber() || body.at(j) == QLatin1Char('#')))
                        ++j;
                    if (j < body.size() && body.at(j) == QLatin1Char(';') && j > i + 1) {
                        out += QStringView(body).mid(i, j - i + 1);
                        i = j;
                        ++column;
                        continue;
                    }
                }
                if (c.isLowSurrogate())
                    out += c; // the second half of a character already counted
                else {
                    out += c;
                    ++column;
                }
            }
            return startTag + out;
        });
}

QString TPageFilter::mend(const QString& html) {
    QString out = html;
    if (htmlmarkup::containsNoCase(out, "<style"))
        out = mendStyleBlocks(out);
    if (htmlmarkup::containsNoCase(out, "<link"))
        out = mendLinks(out);
    if (htmlmarkup::containsNoCase(out, "background"))
        out = mendStyleAttributes(out);
    return expandTabs(out);
}
