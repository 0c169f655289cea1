#include "engine/TCssLimits.h"

#include <QList>

namespace {

// End of a comment or string starting at `i`, or `i` when neither starts there.
qsizetype skipCommentOrString(const QByteArray& s, qsizetype i) {
    const qsizetype n = s.size();
    if (s[i] == '/' && i + 1 < n && s[i + 1] == '*') {
        qsizetype end = s.indexOf("*/", i + 2);
        return end < 0 ? n : end + 2;
    }
    if (s[i] == '"' || s[i] == '\'') {
        const char q = s[i];
        qsizetype j = i + 1;
        while (j < n && s[j] != q && s[j] != '\n') {
            if (s[j] == '\\')
                ++j;
            ++j;
        }
        return qMin(n, j + 1);
    }
    return i;
}

// Index of the brace that closes the block opened at `open`, or the end.
qsizetype blockEnd(const QByteArray& s, qsizetype open) {
    int depth = 0;
    for (qsizetype i = open; i < s.size();) {
        qsizetype k = skipCommentOrString(s, i);
        if (k != i) {
            i = k;
            continue;
        }
        if (s[i] == '{')
            ++depth;
        else if (s[i] == '}' && --depth == 0)
            return i;
        ++i;
    }
    return s.size();
}

// Splits a rule's prelude at top-level commas.
QList<QByteArray> splitSelectors(const QByteArray& prelude) {
    QList<QByteArray> out;
    int nest = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < prelude.size();) {
        qsizetype k = skipCommentOrString(prelude, i);
        if (k != i) {
            i = k;
            continue;
        }
        char c = prelude[i];
        if (c == '(' || c == '[')
            ++nest;
        else if ((c == ')' || c == ']') && nest > 0)
            --nest;
        else if (c == ',' && nest == 0) {
            out << prelude.mid(start, i - start);
            start = i + 1;
        }
        ++i;
    }
    out << prelude.mid(start);
    return out;
}

bool isAtRuleWithRules(const QByteArray& prelude) {
    QByteArray p = prelude.trimmed().toLower();
    return p.startsWith("@media") || p.startsWith("@supports") || p.startsWith("@document") ||
           p.startsWith("@-moz-document") || p.startsWith("@layer");
}

struct Filter {
    int dropped = 0;

    // Rules from `from` to `to` (exclusive) at nesting `depth`.
    QByteArray rules(const QByteArray& s, qsizetype from, qsizetype to, int depth) {
        QByteArray out;
        qsizetype preludeStart = from;
        for (qsizetype i = from; i < to;) {
            qsizetype k = skipCommentOrString(s, i);
            if (k != i) {
                i = k;
                continue;
            }
            const char c = s[i];
            if (c == ';' && s.mid(preludeStart, i - preludeStart).trimmed().startsWith('@')) {
                out += s.mid(preludeStart, i + 1 - preludeStart); // @import, @charset
                preludeStart = i + 1;
                ++i;
                continue;
            }
            if (c == '}') { // stray
                preludeStart = ++i;
                continue;
            }
            if (c != '{') {
                ++i;
                continue;
            }
            const qsizetype close = qMin(blockEnd(s, i), to);
            const QByteArray prelude = s.mid(preludeStart, i - preludeStart);
            if (depth + 1 > TCssLimits::maxNesting) {
                ++dropped;
            } else if (prelude.trimmed().startsWith('@')) {
                out += prelude;
                out += '{';
                if (isAtRuleWithRules(prelude))
                    out += rules(s, i + 1, close, depth + 1);
                else
                    out += declarations(s, i + 1, close, depth + 1);
                out += '}';
            } else {
                QByteArray kept;
                for (const QByteArray& sel : splitSelectors(prelude)) {
                    if (!TCssLimits::selectorAllowed(sel)) {
                        ++dropped;
                        continue;
                    }
                    if (!kept.isEmpty())
                        kept += ',';
                    kept += sel;
                }
                if (!kept.trimmed().isEmpty()) {
                    out += kept;
                    out += '{';
                    out += declarations(s, i + 1, close, depth + 1);
                    out += '}';
                }
            }
            i = close + 1;
            preludeStart = i;
        }
        if (preludeStart < to)
            out += s.mid(preludeStart, to - preludeStart);
        return out;
    }

    // A declaration block; nested blocks inside it are kept within the limit.
    QByteArray declarations(const QByteArray& s, qsizetype from, qsizetype to, int depth) {
        QByteArray out;
        for (qsizetype i = from; i < to;) {
            qsizetype k = skipCommentOrString(s, i);
            if (k != i) {
                out += s.mid(i, k - i);
                i = k;
                continue;
            }
            if (s[i] == '{') {
                const qsizetype close = qMin(blockEnd(s, i), to);
                if (depth + 1 > TCssLimits::maxNesting) {
                    ++dropped;
                    out += "{}";
                } else {
                    out += '{';
                    out += declarations(s, i + 1, close, depth + 1);
                    out += '}';
                }
                i = close + 1;
                continue;
            }
            out += s[i];
            ++i;
        }
        return out;
    }
};

// Deepest brace nesting and longest prelude: the quick test that lets
// ordinary sheets through untouched.
bool withinLimits(const QByteArray& s) {
    int depth = 0;
    qsizetype preludeStart = 0;
    for (qsizetype i = 0; i < s.size();) {
        qsizetype k = skipCommentOrString(s, i);
        if (k != i) {
            i = k;
            continue;
        }
        const char c = s[i];
        if (c == '{') {
            if (++depth > TCssLimits::maxNesting)
                return false;
            if (i - preludeStart > 128)
                for (const QByteArray& sel : splitSelectors(s.mid(preludeStart, i - preludeStart)))
                    if (!TCssLimits::selectorAllowed(sel))
                        return false;
            preludeStart = i + 1;
        } else if (c == '}') {
            depth = qMax(0, depth - 1);
            preludeStart = i + 1;
        } else if (c == ';') {
            preludeStart = i + 1;
        }
        ++i;
    }
    return true;
}

} // namespace

bool TCssLimits::selectorAllowed(const QByteArray& selector) {
    const QByteArray s = selector.trimmed();
    if (s.size() > maxSelectorLength)
        return false;
    // Compound parts: runs separated by whitespace or combinators.
    int compounds = 0;
    bool inCompound = false;
    int nest = 0;
    for (char c : s) {
        if (c == '(' || c == '[')
            ++nest;
        else if ((c == ')' || c == ']') && nest > 0)
            --nest;
        const bool separator = nest == 0 && (c == ' ' || c == '\t' || c == '\n' || c == '\r' ||
                                             c == '\f' || c == '>' || c == '+' || c == '~');
        if (separator) {
            inCompound = false;
        } else if (!inCompound) {
            inCompound = true;
            if (++compounds > maxCompounds)
                return false;
        }
    }
    return true;
}

QByteArray TCssLimits::apply(const QByteArray& css, int* dropped) {
    if (dropped)
        *dropped = 0;
    if (withinLimits(css))
        return css;
    Filter f;
    QByteArray out = f.rules(css, 0, css.size(), 0);
    if (dropped)
        *dropped = f.dropped;
    return out;
}
