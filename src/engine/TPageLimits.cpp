#include "engine/TPageLimits.h"

#include "engine/TCssLimits.h"

#include <QList>
#include <QSet>

#include <vector>

namespace {

using Names = QSet<QByteArray>;

const Names& voidElements() {
    static const Names s{"area",    "base",   "basefont", "bgsound", "br",    "col",
                         "embed",   "frame",  "hr",       "image",   "img",   "input",
                         "isindex", "keygen", "link",     "meta",    "param", "source",
                         "spacer",  "track",  "wbr",      "html",    "head",  "body"};
    return s;
}

// Elements whose content is text up to their end tag.
const Names& rawTextElements() {
    static const Names s{"script", "style",   "xmp",      "textarea", "title",
                         "iframe", "noembed", "noframes", "plaintext"};
    return s;
}

const Names& tableParts() {
    static const Names s{"table", "caption", "colgroup", "col", "tbody",
                         "thead", "tfoot",   "tr",       "td",  "th"};
    return s;
}

// Elements that end an open <p>.
const Names& closesParagraph() {
    static const Names s{"address", "article", "aside",    "blockquote", "center", "dir",
                         "div",     "dl",      "fieldset", "figure",     "footer", "form",
                         "h1",      "h2",      "h3",       "h4",         "h5",     "h6",
                         "header",  "hr",      "menu",     "nav",        "ol",     "p",
                         "pre",     "section", "table",    "ul",         "li",     "dd",
                         "dt",      "listing", "main",     "details",    "summary"};
    return s;
}

// Elements that stop the search of an end tag's element.
const Names& specialElements() {
    static const Names s{
        "address",  "applet",     "area",     "article",    "aside",    "base",     "basefont",
        "bgsound",  "blockquote", "body",     "br",         "button",   "caption",  "center",
        "col",      "colgroup",   "dd",       "details",    "dir",      "div",      "dl",
        "dt",       "embed",      "fieldset", "figcaption", "figure",   "footer",   "form",
        "frame",    "frameset",   "h1",       "h2",         "h3",       "h4",       "h5",
        "h6",       "head",       "header",   "hgroup",     "hr",       "html",     "iframe",
        "img",      "input",      "li",       "link",       "listing",  "main",     "marquee",
        "menu",     "meta",       "nav",      "noembed",    "noframes", "noscript", "object",
        "ol",       "p",          "param",    "plaintext",  "pre",      "script",   "section",
        "select",   "source",     "style",    "summary",    "table",    "tbody",    "td",
        "template", "textarea",   "tfoot",    "th",         "thead",    "title",    "tr",
        "track",    "ul",         "wbr",      "xmp"};
    return s;
}

const Names& scopeBoundaries() {
    static const Names s{"applet", "caption", "html",   "table",   "td",
                         "th",     "marquee", "object", "template"};
    return s;
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

struct Attr {
    qsizetype nameStart, nameEnd, valueStart, valueEnd; // value: -1 when absent
};

struct Tag {
    qsizetype start = 0, end = 0; // end: one past '>'
    qsizetype nameEnd = 0;        // one past the name
    QByteArray name;              // lower case
    bool closing = false;
    QList<Attr> attrs;
};

// Reads the tag at s[i] == '<'. False when no tag starts there.
bool readTag(const QByteArray& s, qsizetype i, Tag& t) {
    const qsizetype n = s.size();
    qsizetype j = i + 1;
    t = Tag();
    t.start = i;
    if (j < n && s[j] == '/') {
        t.closing = true;
        ++j;
    }
    if (j >= n || !isAsciiLetter(s[j]))
        return false;
    qsizetype nameStart = j;
    while (j < n && !isSpace(s[j]) && s[j] != '/' && s[j] != '>')
        ++j;
    t.name = s.mid(nameStart, j - nameStart).toLower();
    t.nameEnd = j;
    if (t.closing) {
        qsizetype e = s.indexOf('>', j);
        t.end = e < 0 ? n : e + 1;
        return true;
    }
    while (j < n) {
        while (j < n && (isSpace(s[j]) || s[j] == '/'))
            ++j;
        if (j >= n || s[j] == '>')
            break;
        Attr a{j, j, -1, -1};
        ++j; // a name may start with '=' or a quote
        while (j < n && !isSpace(s[j]) && s[j] != '/' && s[j] != '>' && s[j] != '=')
            ++j;
        a.nameEnd = j;
        while (j < n && isSpace(s[j]))
            ++j;
        if (j < n && s[j] == '=') {
            ++j;
            while (j < n && isSpace(s[j]))
                ++j;
            if (j < n && (s[j] == '"' || s[j] == '\'')) {
                const char q = s[j];
                a.valueStart = ++j;
                while (j < n && s[j] != q)
                    ++j;
                a.valueEnd = j;
                if (j < n)
                    ++j;
            } else {
                a.valueStart = j;
                while (j < n && !isSpace(s[j]) && s[j] != '>')
                    ++j;
                a.valueEnd = j;
            }
        }
        t.attrs << a;
    }
    t.end = j < n ? j + 1 : n;
    return true;
}

// A span value clamped to [1, max]; empty when it may stay as written.
QByteArray clampedSpan(const QByteArray& value, int max) {
    qsizetype i = 0;
    while (i < value.size() && isSpace(value[i]))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        negative = value[i++] == '-';
    if (i >= value.size() || value[i] < '0' || value[i] > '9')
        return {};
    qint64 v = 0;
    while (i < value.size() && value[i] >= '0' && value[i] <= '9' && v <= max)
        v = v * 10 + (value[i++] - '0');
    if (negative && v > 0)
        return "1";
    if (v > max)
        return QByteArray::number(max);
    if (v == 0)
        return "1";
    return {};
}

struct Open {
    QByteArray name; // as the parser will see it
    QByteArray orig;
    bool renamed = false;
};

class Limiter {
public:
    explicit Limiter(const QByteArray& s) : m_s(s) { m_out.reserve(s.size()); }

    QByteArray run(TPageLimits::Report& report) {
        const qsizetype n = m_s.size();
        qsizetype i = 0;
        while (i < n) {
            qsizetype lt = m_s.indexOf('<', i);
            if (lt < 0) {
                m_out += m_s.mid(i);
                break;
            }
            m_out += m_s.mid(i, lt - i);
            i = lt;
            if (m_s.mid(i, 4) == "<!--") {
                qsizetype e = m_s.indexOf("-->", i + 4);
                e = e < 0 ? n : e + 3;
                m_out += m_s.mid(i, e - i);
                i = e;
                continue;
            }
            if (i + 1 < n && (m_s[i + 1] == '!' || m_s[i + 1] == '?')) {
                qsizetype e = m_s.indexOf('>', i);
                e = e < 0 ? n : e + 1;
                m_out += m_s.mid(i, e - i);
                i = e;
                continue;
            }
            Tag t;
            if (!readTag(m_s, i, t)) {
                m_out += '<';
                ++i;
                continue;
            }
            i = t.closing ? endTag(t) : startTag(t);
        }
        report.depthCapped = m_depthCapped;
        report.tablesFlattened = m_flattened;
        report.spansClamped = m_clamped;
        report.selectorsDropped = m_selectorsDropped;
        return m_out;
    }

private:
    static constexpr int modelCap = TPageLimits::maxDepth - 16; // room for implied elements

    // The nearest open table, or -1.
    int nearestTable() const {
        for (int k = int(m_stack.size()) - 1; k >= 0; --k)
            if (m_stack[k].orig == "table")
                return k;
        return -1;
    }
    bool inFlattenedTable() const {
        int t = nearestTable();
        return t >= 0 && m_stack[t].renamed;
    }

    // Closes the open elements from the top down to index `to` (inclusive).
    // Renamed elements need their closing written out, and then so do all
    // elements above them.
    void popTo(int to, bool writeAll) {
        bool write = writeAll;
        for (int k = to; k < int(m_stack.size()) && !write; ++k)
            write = m_stack[k].renamed;
        while (int(m_stack.size()) > to) {
            const Open& o = m_stack.back();
            if (write)
                m_out += "</" + o.name + '>';
            if (o.orig == "table" && !o.renamed)
                --m_realTables;
            m_stack.pop_back();
        }
    }

    // Index of the nearest open `name` before a stop element, or -1.
    int find(const QByteArray& name, const Names& stops, const Names& extraStops = {}) const {
        for (int k = int(m_stack.size()) - 1; k >= 0; --k) {
            if (m_stack[k].name == name)
                return k;
            if (stops.contains(m_stack[k].name) || extraStops.contains(m_stack[k].name))
                return -1;
        }
        return -1;
    }

    void impliedCloses(const QByteArray& n) {
        static const Names buttonScope{"button"};
        static const Names listScope{"ol", "ul"};
        static const Names rowStops{"table", "tbody", "thead", "tfoot"};
        static const Names cellStops{"tr", "table"};
        static const Names sectionStops{"table"};
        if (closesParagraph().contains(n)) {
            int k = find("p", scopeBoundaries(), buttonScope);
            if (k >= 0)
                popTo(k, false);
        }
        auto closeWithin = [&](std::initializer_list<const char*> names, const Names& stops) {
            for (int k = int(m_stack.size()) - 1; k >= 0; --k) {
                for (const char* nm : names)
                    if (m_stack[k].orig == nm) {
                        popTo(k, false);
                        return;
                    }
                if (stops.contains(m_stack[k].orig) || scopeBoundaries().contains(m_stack[k].name))
                    return;
            }
        };
        if (n == "li")
            closeWithin({"li"}, listScope);
        else if (n == "dd" || n == "dt")
            closeWithin({"dd", "dt"}, Names{"dl"});
        else if (n == "tr")
            closeWithin({"tr"}, rowStops);
        else if (n == "td" || n == "th")
            closeWithin({"td", "th"}, cellStops);
        else if (n == "tbody" || n == "thead" || n == "tfoot")
            closeWithin({"tbody", "thead", "tfoot"}, sectionStops);
        else if (n == "option" || n == "optgroup") {
            if (!m_stack.empty() && m_stack.back().orig == "option")
                popTo(int(m_stack.size()) - 1, false);
            if (n == "optgroup" && !m_stack.empty() && m_stack.back().orig == "optgroup")
                popTo(int(m_stack.size()) - 1, false);
        }
        // Table parts close the open cell or row they cannot live in.
        if (n == "tr" || n == "tbody" || n == "thead" || n == "tfoot" || n == "caption")
            closeWithin({"td", "th"}, cellStops);
        if (n == "tbody" || n == "thead" || n == "tfoot")
            closeWithin({"tr"}, rowStops);
    }

    // The start tag with colspan and rowspan clamped.
    void writeStartTag(const Tag& t, const QByteArray& asName) {
        qsizetype from = t.start;
        if (asName != t.name) {
            m_out += '<' + asName;
            from = t.nameEnd;
        }
        if (t.name == "td" || t.name == "th") {
            for (const Attr& a : t.attrs) {
                if (a.valueStart < 0)
                    continue;
                const QByteArray attr = m_s.mid(a.nameStart, a.nameEnd - a.nameStart).toLower();
                const int max = attr == "colspan"   ? TPageLimits::maxColspan
                                : attr == "rowspan" ? TPageLimits::maxRowspan
                                                    : 0;
                if (max == 0)
                    continue;
                QByteArray v = clampedSpan(m_s.mid(a.valueStart, a.valueEnd - a.valueStart), max);
                if (v.isEmpty())
                    continue;
                m_out += m_s.mid(from, a.valueStart - from);
                m_out += v;
                from = a.valueEnd;
                m_clamped = true;
            }
        }
        m_out += m_s.mid(from, t.end - from);
    }

    qsizetype startTag(const Tag& t) {
        const QByteArray& n = t.name;
        if (rawTextElements().contains(n))
            return rawText(t);
        bool renamed = false;
        if (tableParts().contains(n)) {
            if (n == "table")
                renamed = m_realTables >= TPageLimits::maxTableDepth;
            else
                renamed = inFlattenedTable();
        }
        impliedCloses(n);
        if (renamed && (n == "col" || n == "colgroup")) {
            m_flattened = true;
            return t.end; // a block of columns means nothing outside a table
        }
        if (voidElements().contains(n)) {
            writeStartTag(t, n);
            return t.end;
        }
        m_work += qint64(m_stack.size()) << m_realTables; // tables lay out their cells again
        if (m_work > TPageLimits::maxNestingWork && int(m_stack.size()) >= TPageLimits::keptDepth) {
            // Every element costs the layout engine time in proportion to its
            // depth: past the budget, deep elements give up their tags and
            // keep their text.
            m_depthCapped = true;
            return t.end;
        }
        if (int(m_stack.size()) >= modelCap) {
            // Attached at the cap: the element becomes a sibling of the
            // deepest open element instead of its child.
            m_depthCapped = true;
            popTo(int(m_stack.size()) - 1, true);
        }
        if (renamed)
            m_flattened = true;
        Open o{renamed ? QByteArray("div") : n, n, renamed};
        if (n == "table" && !renamed)
            ++m_realTables;
        m_stack.push_back(o);
        writeStartTag(t, o.name);
        return t.end;
    }

    qsizetype endTag(const Tag& t) {
        const QByteArray& n = t.name;
        int k = -1;
        if (tableParts().contains(n)) {
            for (int j = int(m_stack.size()) - 1; j >= 0; --j) {
                if (m_stack[j].orig == n) {
                    k = j;
                    break;
                }
                if (m_stack[j].orig == "table")
                    break;
            }
            if (k < 0) {
                if (!inFlattenedTable())
                    m_out += m_s.mid(t.start, t.end - t.start);
                return t.end;
            }
        } else if (n == "body" || n == "html" || n == "head" || n == "br") {
            m_out += m_s.mid(t.start, t.end - t.start);
            return t.end;
        } else if (specialElements().contains(n)) {
            static const Names li{"ol", "ul"};
            static const Names p{"button"};
            k = find(n, scopeBoundaries(), n == "li" ? li : n == "p" ? p : Names());
        } else {
            k = find(n, specialElements());
        }
        if (k < 0) {
            m_out += m_s.mid(t.start, t.end - t.start);
            return t.end;
        }
        const bool renamed = m_stack[k].renamed;
        popTo(k + 1, renamed);
        if (renamed)
            m_out += "</div>";
        else
            m_out += m_s.mid(t.start, t.end - t.start);
        if (m_stack[k].orig == "table" && !renamed)
            --m_realTables;
        m_stack.pop_back();
        return t.end;
    }

    qsizetype rawText(const Tag& t) {
        writeStartTag(t, t.name);
        const qsizetype n = m_s.size();
        if (t.name == "plaintext") {
            m_out += m_s.mid(t.end);
            return n;
        }
        qsizetype close = t.end;
        while (true) {
            close = m_s.indexOf("</", close);
            if (close < 0)
                break;
            if (m_s.mid(close + 2, t.name.size()).toLower() == t.name)
                break;
            close += 2;
        }
        if (close < 0)
            close = n;
        QByteArray content = m_s.mid(t.end, close - t.end);
        if (t.name == "style") {
            int dropped = 0;
            content = TCssLimits::apply(content, &dropped);
            m_selectorsDropped += dropped;
        }
        m_out += content;
        if (close >= n)
            return n;
        qsizetype e = m_s.indexOf('>', close);
        e = e < 0 ? n : e + 1;
        m_out += m_s.mid(close, e - close);
        return e;
    }

    const QByteArray& m_s;
    QByteArray m_out;
    std::vector<Open> m_stack;
    int m_realTables = 0;
    qint64 m_work = 0;
    bool m_depthCapped = false;
    bool m_flattened = false;
    bool m_clamped = false;
    int m_selectorsDropped = 0;
};

} // namespace

QByteArray TPageLimits::apply(const QByteArray& html, Report* report) {
    Report r;
    QByteArray out = Limiter(html).run(r);
    if (report)
        *report = r;
    return r.changed() ? out : html;
}
