#include "engine/TMasterCss.h"

#include "engine/HtmlMarkup.h"

#include <QRegularExpression>

#include <cctype>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>

namespace mastercss {

QString cssColor(const QColor& c) {
    return c.name(QColor::HexRgb);
}

int defaultFontPx(const TViewerSettings& s) {
    int pt = s.defFontSize > 0 ? s.defFontSize : 8;
    return int(std::lround(pt * 96.0 / 72.0));
}

static const char* const kBase = R"CSS(
html { display: block; }
head, script, style, title, meta, link, base, param, area, map, noframes, frameset, frame,
noscript, option, optgroup, datalist, template { display: none; }
body { display: block; margin: 8px; }
address, blockquote, center, dir, div, dl, fieldset, form, h1, h2, h3, h4, h5, h6,
menu, ol, p, pre, ul, dd, dt, li, hr, listing, xmp, plaintext, nobr { display: block; }
nobr { display: inline-block; white-space: nowrap; }
br { display: block; }
li { display: list-item; }
p, blockquote, dl, ul, ol, dir, menu, pre, xmp, listing, fieldset { margin-top: 1em; margin-bottom: 1em; }
form { margin-bottom: 1em; }
ul ul, ul ol, ol ul, ol ol, ul dl, ol dl, dl ul, dl ol, ul menu, ul dir { margin-top: 0; margin-bottom: 0; }
dl dl, dir dl, menu dl, dl dir, dl menu { margin-top: 0; margin-bottom: 0; }
blockquote { margin-left: 40px; margin-right: 40px; }
dd { margin-left: 40px; }
ol, ul, dir, menu { padding-left: 40px; }
ul { list-style-type: disc; }
ol { list-style-type: decimal; }
ul ul { list-style-type: circle; }
ul ul ul { list-style-type: square; }
h1 { font-size: 2em; margin-top: 0.67em; margin-bottom: 0.67em; font-weight: bold; }
h2 { font-size: 1.5em; margin-top: 0.83em; margin-bottom: 0.83em; font-weight: bold; }
h3 { font-size: 1.17em; margin-top: 1em; margin-bottom: 1em; font-weight: bold; }
h4 { font-size: 1em; margin-top: 1.33em; margin-bottom: 1.33em; font-weight: bold; }
h5 { font-size: 0.83em; margin-top: 1.67em; margin-bottom: 1.67em; font-weight: bold; }
h6 { font-size: 0.67em; margin-top: 2.33em; margin-bottom: 2.33em; font-weight: bold; }
b, strong, th { font-weight: bold; }
i, em, cite, var, dfn, address { font-style: italic; }
pre, tt, code, kbd, samp, xmp, listing, plaintext { font-family: "Courier New", monospace; }
pre, xmp, listing, plaintext { white-space: pre; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
big { font-size: 1.17em; }
small { font-size: 0.83em; }
sub { font-size: 0.83em; position: relative; top: 0.3em; }
sup { font-size: 0.83em; position: relative; top: -0.4em; }
center { text-align: center; }
center table, div[align=center] table, p[align=center] table, td[align=center] table,
th[align=center] table { margin-left: auto; margin-right: auto; }
div[align=right] table, p[align=right] table { margin-left: auto; margin-right: 0; }
hr { border: 1px inset #808080; margin: 0.5em auto; height: 0; }
table { display: table; border-collapse: separate; border-spacing: 2px; text-indent: 0; }
table { font-size: medium; font-weight: normal; font-style: normal; text-align: left; white-space: normal; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
col { display: table-column; }
colgroup { display: table-column-group; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }
caption { display: table-caption; text-align: center; }
img { display: inline-block; }
a[href] img { border: 2px solid; }
select, input, textarea, button { display: inline-block; }
input[type=hidden] { display: none; }
input[type=checkbox], input[type=radio] { margin: 0 3px 0 4px; }
label { display: inline; }
)CSS";

// Replaces what `pattern` matches in `css` by what `replacement` gives for
// the match (captured group `group` is replaced; nullopt keeps the match).
static QString replaceMatches(
    const QString& css, const QRegularExpression& pattern, int group,
    const std::function<std::optional<QString>(const QRegularExpressionMatch&)>& replacement) {
    QString out = css;
    auto it = pattern.globalMatch(css);
    // Replace from the end so that earlier offsets stay valid.
    QList<QRegularExpressionMatch> matches;
    while (it.hasNext())
        matches.prepend(it.next());
    for (const auto& m : matches) {
        if (const std::optional<QString> text = replacement(m))
            out.replace(m.capturedStart(group), m.capturedLength(group), *text);
    }
    return out;
}

// font-size: smaller/larger become em.
static QString mendRelativeFontSizes(const QString& css) {
    if (!htmlmarkup::containsNoCase(css, "font-size"))
        return css;
    static const QRegularExpression relative(
        QStringLiteral("(font-size\\s*:\\s*)(smaller|larger)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return replaceMatches(css, relative, 2, [](const QRegularExpressionMatch& m) {
        return m.captured(2).compare(QLatin1String("smaller"), Qt::CaseInsensitive) == 0
                   ? QStringLiteral("0.83em")
                   : QStringLiteral("1.2em");
    });
}

// The declarations around `at`: from the last "{" or quote before it to the
// next "}" or quote after it.
static QStringView declarationBlock(const QString& css, qsizetype at) {
    qsizetype from = at;
    while (from > 0 && !QStringView(u"{\"'").contains(css.at(from - 1)))
        --from;
    qsizetype to = at;
    while (to < css.size() && !QStringView(u"}\"'").contains(css.at(to)))
        ++to;
    return QStringView(css).mid(from, to - from);
}

// vertical-align: sub/super moves inline text down or up, as browsers do; the
// layout library leaves such text on the baseline, so the element is shifted
// by relative positioning instead (as the default sub and sup rules do). A
// declaration block that positions the element itself is left alone.
static QString mendVerticalAlign(const QString& css) {
    if (!htmlmarkup::containsNoCase(css, "vertical-align"))
        return css;
    static const QRegularExpression shift(QStringLiteral("vertical-align\\s*:\\s*(sub|super)\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression positioned(QStringLiteral("(^|[^-\\w])(position|top)\\s*:"),
                                               QRegularExpression::CaseInsensitiveOption);
    return replaceMatches(
        css, shift, 0, [&css](const QRegularExpressionMatch& m) -> std::optional<QString> {
            if (positioned.match(declarationBlock(css, m.capturedStart())).hasMatch())
                return std::nullopt;
            const bool sub = m.captured(1).compare(QLatin1String("sub"), Qt::CaseInsensitive) == 0;
            return sub ? QStringLiteral("position: relative; top: 0.3em")
                       : QStringLiteral("position: relative; top: -0.4em");
        });
}

QString mendCss(const QString& css) {
    return mendVerticalAlign(mendRelativeFontSizes(css));
}

QString keepIndicesWithWords(const QString& html) {
    if (!htmlmarkup::containsNoCase(html, "<su"))
        return html;
    // A run of text glued to one or more <sub>/<sup> elements (whose content
    // holds no further sub or sup and is short, so that a missing end tag
    // cannot swallow the page).
    static const QRegularExpression run(
        QStringLiteral("[^\\s<>]*(?:<(sub|sup)\\b[^>]*>(?:(?!</?su[bp]\\b).){0,200}?</\\1\\s*>"
                       "[^\\s<>]*)+"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression index(QStringLiteral("<su[bp]\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString out;
    out.reserve(html.size() + 256);
    qsizetype last = 0;
    auto it = run.globalMatch(html);
    while (it.hasNext()) {
        auto m = it.next();
        QString text = m.captured();
        bool glued = !text.startsWith(QLatin1Char('<')) || !text.endsWith(QLatin1Char('>')) ||
                     text.count(index) > 1;
        if (!glued)
            continue;
        out += QStringView(html).mid(last, m.capturedStart() - last);
        out += QLatin1String("<nobr>") + text + QLatin1String("</nobr>");
        last = m.capturedEnd();
    }
    if (last == 0)
        return html;
    out += QStringView(html).mid(last);
    return out;
}

QString styleSheet(const TViewerSettings& s) {
    QString css = QString::fromUtf8(kBase);
    QString family = s.defFontName.isEmpty() ? QStringLiteral("Arial") : s.defFontName;
    css += QStringLiteral("html { font-family: \"%1\"; font-size: %2px; color: %3; }\n")
               .arg(family)
               .arg(defaultFontPx(s))
               .arg(cssColor(s.defFontColor));
    css += QStringLiteral("table { font-size: %1px; }\n").arg(defaultFontPx(s));
    css += QStringLiteral("a[href] { color: %1; text-decoration: %2; cursor: pointer; }\n")
               .arg(cssColor(s.defHotSpotColor),
                    s.noLinkUnderline ? QStringLiteral("none") : QStringLiteral("underline"));
    css += QStringLiteral("a[href]:visited { color: #800080; }\n");
    if (s.overLinksActive)
        css += QStringLiteral("a[href]:hover { color: %1; }\n").arg(cssColor(s.overLinkColor));
    return css;
}

} // namespace mastercss

namespace mastercss {

QSet<QByteArray> tagsOf(const QByteArray& utf8) {
    // What the parser makes without a tag of its own in the text.
    QSet<QByteArray> tags{"html", "head", "body", "tbody", "tr", "colgroup"};
    const char* p = utf8.constData();
    const char* end = p + utf8.size();
    QByteArray name;
    while ((p = static_cast<const char*>(std::memchr(p, '<', end - p))) != nullptr) {
        ++p;
        if (p < end && *p == '/')
            ++p;
        name.clear();
        while (p < end && (std::isalnum(static_cast<unsigned char>(*p)) != 0))
            name += char(std::tolower(static_cast<unsigned char>(*p++)));
        if (!name.isEmpty() && name.size() <= 16)
            tags.insert(name);
    }
    // Obsolete tags the parser turns into others.
    if (tags.contains("image"))
        tags.insert("img");
    if (tags.contains("isindex"))
        tags.unite(QSet<QByteArray>{"form", "hr", "label", "input"});
    return tags;
}

// The element a selector applies to: the tag name of its last compound
// ("" for *, attributes or classes alone).
static QByteArray subjectTag(QStringView selector) {
    qsizetype start = selector.size();
    while (start > 0) {
        const QChar c = selector.at(start - 1);
        if (c.isSpace() || c == u'>' || c == u'+' || c == u'~')
            break;
        --start;
    }
    QByteArray tag;
    for (qsizetype i = start; i < selector.size() && selector.at(i).isLetterOrNumber(); ++i)
        tag += char(selector.at(i).toLower().toLatin1());
    return tag;
}

QString forTags(const QString& css, const QSet<QByteArray>& tags) {
    QString out;
    out.reserve(css.size());
    qsizetype pos = 0;
    while (pos < css.size()) {
        const qsizetype open = css.indexOf(u'{', pos);
        const qsizetype close = open < 0 ? -1 : css.indexOf(u'}', open);
        // Anything past the last whole rule (or a nested block) is kept as
        // it stands.
        const qsizetype nested = close < 0 ? -1 : css.indexOf(u'{', open + 1);
        if (close < 0 || (nested >= 0 && nested < close)) {
            if (!QStringView(css).mid(pos).trimmed().isEmpty())
                out += QStringView(css).mid(pos);
            break;
        }
        QStringList kept;
        for (const QString& sel : css.mid(pos, open - pos).split(u',')) {
            const QString s = sel.trimmed();
            if (s.startsWith(u'@')) {
                kept.clear();
                kept << css.mid(pos, open - pos).trimmed();
                break;
            }
            const QByteArray tag = subjectTag(s);
            if (!s.isEmpty() && (tag.isEmpty() || tags.contains(tag)))
                kept << s;
        }
        if (!kept.isEmpty()) {
            out += kept.join(QStringLiteral(", "));
            out += u' ';
            out += QStringView(css).mid(open, close + 1 - open);
            out += u'\n';
        }
        pos = close + 1;
    }
    return out;
}

} // namespace mastercss
