#include "engine/TStyleSheetFilter.h"

#include <QColor>
#include <QRegularExpression>
#include <QStringList>

// The value split into space-separated parts; a function call such as
// url(...) or rgb(...) stays one part even with spaces inside. Empty when a
// bracket or a quote is not closed.
static bool splitValue(const QString& value, QStringList& parts) {
    QString cur;
    int depth = 0;
    QChar quote;
    for (QChar c : value) {
        if (!quote.isNull()) {
            cur += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            cur += c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
            cur += c;
        } else if (c == QLatin1Char(')')) {
            if (--depth < 0)
                return false;
            cur += c;
        } else if (c.isSpace() && depth == 0) {
            if (!cur.isEmpty())
                parts << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (depth != 0 || !quote.isNull())
        return false;
    if (!cur.isEmpty())
        parts << cur;
    return true;
}

bool TStyleSheetFilter::isValidColor(const QString& v) {
    static const QRegularExpression hex(QStringLiteral("^#([0-9a-fA-F]{3}|[0-9a-fA-F]{6})$"));
    static const QRegularExpression func(
        QStringLiteral("^rgba?\\(\\s*[-+]?[\\d.]+%?\\s*(,\\s*[-+]?[\\d.]+%?\\s*){2,3}\\)$"),
        QRegularExpression::CaseInsensitiveOption);
    if (v.startsWith(QLatin1Char('#')))
        return hex.match(v).hasMatch();
    if (v.contains(QLatin1Char('(')))
        return func.match(v).hasMatch();
    static const QRegularExpression word(QStringLiteral("^[a-zA-Z]+$"));
    if (!word.match(v).hasMatch())
        return false;
    if (v.compare(QLatin1String("transparent"), Qt::CaseInsensitive) == 0 ||
        v.compare(QLatin1String("currentcolor"), Qt::CaseInsensitive) == 0)
        return true;
    // Named colours (the CSS and SVG names) and the system colours of CSS 2.
    static const QStringList system = {
        "activeborder",   "activecaption",   "appworkspace",      "background",
        "buttonface",     "buttonhighlight", "buttonshadow",      "buttontext",
        "captiontext",    "graytext",        "highlight",         "highlighttext",
        "inactiveborder", "inactivecaption", "infobackground",    "infotext",
        "menu",           "menutext",        "scrollbar",         "threeddarkshadow",
        "threedface",     "threedhighlight", "threedlightshadow", "threedshadow",
        "window",         "windowframe",     "windowtext",        "inactivecaptiontext"};
    return QColor::isValidColorName(v) || system.contains(v.toLower());
}

static bool isLengthOrPercent(const QString& v) {
    static const QRegularExpression length(
        QStringLiteral("^[-+]?(\\d+|\\d*\\.\\d+)(px|em|ex|pt|pc|cm|mm|in|%)?$"),
        QRegularExpression::CaseInsensitiveOption);
    auto m = length.match(v);
    if (!m.hasMatch())
        return false;
    // A bare number is a length only when it is zero.
    return !m.captured(2).isEmpty() || v.toDouble() == 0;
}

bool TStyleSheetFilter::isValidBackground(const QString& value) {
    QStringList parts;
    if (!splitValue(value, parts) || parts.isEmpty())
        return false;
    static const QStringList keywords = {"none",   "repeat", "repeat-x", "repeat-y", "no-repeat",
                                         "scroll", "fixed",  "local",    "left",     "right",
                                         "top",    "bottom", "center",   "inherit",  "initial"};
    static const QRegularExpression url(QStringLiteral("^url\\(.*\\)$"),
                                        QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::DotMatchesEverythingOption);
    int colors = 0, images = 0;
    for (const QString& p : parts) {
        if (keywords.contains(p.toLower()) || isLengthOrPercent(p))
            continue;
        if (url.match(p).hasMatch()) {
            ++images;
            continue;
        }
        if (isValidColor(p)) {
            ++colors;
            continue;
        }
        return false;
    }
    return colors <= 1 && images <= 1;
}

// The declaration list with invalid background declarations taken out.
// `text` runs to its end; nothing outside declarations is given here.
QString TStyleSheetFilter::mendDeclarations(const QString& text) {
    if (!text.contains(QLatin1String("background"), Qt::CaseInsensitive))
        return text;
    static const QRegularExpression decl(
        QStringLiteral("(^|[;{\\s])(background(-color)?)\\s*:\\s*([^;}]*)(;?)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression important(QStringLiteral("\\s*!\\s*important\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype last = 0;
    auto it = decl.globalMatch(text);
    while (it.hasNext()) {
        auto m = it.next();
        QString value = m.captured(4);
        value.remove(important);
        value = value.trimmed();
        const bool colorOnly = !m.captured(3).isEmpty();
        const bool valid = colorOnly
                               ? (isValidColor(value) ||
                                  value.compare(QLatin1String("inherit"), Qt::CaseInsensitive) == 0)
                               : isValidBackground(value);
        if (valid)
            continue;
        // Keep the character before the declaration, drop the rest of it.
        out += QStringView(text).mid(last, m.capturedEnd(1) - last);
        last = m.capturedEnd();
    }
    if (last == 0)
        return text;
    out += QStringView(text).mid(last);
    return out;
}

QString TStyleSheetFilter::mendSheet(const QString& css) {
    QString out = css;
    if (out.contains(QLatin1String("<!--")) || out.contains(QLatin1String("-->"))) {
        // Outside strings and comments these markers are ignored tokens.
        out.replace(QLatin1String("<!--"), QLatin1String(" "));
        out.replace(QLatin1String("-->"), QLatin1String(" "));
    }
    return mendDeclarations(out);
}
