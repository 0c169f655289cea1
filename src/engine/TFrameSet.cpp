#include "engine/TFrameSet.h"

#include <gumbo.h>

#include <QStringList>

#include <cmath>

namespace frameset {

static QString attr(const GumboElement& el, const char* name) {
    const GumboAttribute* a = gumbo_get_attribute(&el.attributes, name);
    return a ? QString::fromUtf8(a->value).trimmed() : QString();
}

static bool borderOff(const QString& v) {
    QString l = v.toLower();
    return l == QLatin1String("0") || l == QLatin1String("no");
}

static TFrameNode build(const GumboNode* node, bool inheritedBorder, int depth) {
    TFrameNode n;
    const GumboElement& el = node->v.element;
    if (el.tag == GUMBO_TAG_FRAMESET) {
        n.isSet = true;
        n.rows = attr(el, "rows");
        n.cols = attr(el, "cols");
        QString b = attr(el, "border");
        if (!b.isEmpty())
            n.border = b.toInt();
        QString fb = attr(el, "frameborder");
        n.frameBorder = fb.isEmpty() ? inheritedBorder : !borderOff(fb);
        if (n.border == 0)
            n.frameBorder = false;
        if (depth > 16)
            return n;
        for (unsigned i = 0; i < el.children.length; ++i) {
            auto* child = static_cast<const GumboNode*>(el.children.data[i]);
            if (child->type != GUMBO_NODE_ELEMENT)
                continue;
            GumboTag tag = child->v.element.tag;
            if (tag == GUMBO_TAG_FRAMESET || tag == GUMBO_TAG_FRAME)
                n.children << build(child, n.frameBorder, depth + 1);
        }
    } else {
        n.name = attr(el, "name");
        n.src = attr(el, "src");
        n.noResize = gumbo_get_attribute(&el.attributes, "noresize") != nullptr;
        n.scrolling = attr(el, "scrolling").toLower();
        QString fb = attr(el, "frameborder");
        n.frameBorder = fb.isEmpty() ? inheritedBorder : !borderOff(fb);
    }
    return n;
}

static const GumboNode* findSet(const GumboNode* node, int depth) {
    if (node->type != GUMBO_NODE_ELEMENT || depth > 3)
        return nullptr;
    if (node->v.element.tag == GUMBO_TAG_FRAMESET)
        return node;
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i)
        if (const GumboNode* f =
                findSet(static_cast<const GumboNode*>(children.data[i]), depth + 1))
            return f;
    return nullptr;
}

TFrameNode parse(const QString& html) {
    TFrameNode result;
    if (!html.contains(QLatin1String("frameset"), Qt::CaseInsensitive))
        return result;
    QByteArray utf8 = html.toUtf8();
    GumboOutput* out =
        gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(), size_t(utf8.size()));
    if (const GumboNode* set = findSet(out->root, 0))
        result = build(set, true, 0);
    gumbo_destroy_output(&kGumboDefaultOptions, out);
    return result;
}

QVector<int> split(const QString& list, int total) {
    QStringList parts = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {total};
    enum Kind { Px, Pct, Star };
    QVector<Kind> kinds;
    QVector<double> values;
    // Sizes from the page may be any number (1e308, inf): bounded so that
    // sums and ratios stay finite.
    auto sane = [](double v) { return std::isfinite(v) ? qBound(0.0, v, 1e6) : 0.0; };
    for (QString p : parts) {
        p = p.trimmed();
        if (p.endsWith(QLatin1Char('*'))) {
            QString w = p.chopped(1).trimmed();
            double weight = w.isEmpty() ? 1.0 : sane(w.toDouble());
            kinds << Star;
            values << (weight > 0 ? weight : 1.0);
        } else if (p.endsWith(QLatin1Char('%'))) {
            kinds << Pct;
            values << sane(p.chopped(1).toDouble());
        } else {
            kinds << Px;
            values << sane(p.toDouble());
        }
    }
    const int n = int(kinds.size());
    QVector<double> sizes(n, 0.0);
    double used = 0, stars = 0;
    for (int i = 0; i < n; ++i) {
        if (kinds[i] == Px)
            sizes[i] = values[i];
        else if (kinds[i] == Pct)
            sizes[i] = total * values[i] / 100.0;
        else
            stars += values[i];
        if (kinds[i] != Star)
            used += sizes[i];
    }
    if (stars > 0) {
        double left = qMax(0.0, total - used);
        if (used > total) {
            // Fixed parts do not fit: shrink them, stars get nothing.
            for (int i = 0; i < n; ++i)
                if (kinds[i] != Star)
                    sizes[i] = sizes[i] * total / used;
        }
        for (int i = 0; i < n; ++i)
            if (kinds[i] == Star)
                sizes[i] = left * values[i] / stars;
    } else if (used > 0) {
        for (int i = 0; i < n; ++i)
            sizes[i] = sizes[i] * total / used;
    }
    // Round so that the parts add up to the total exactly.
    QVector<int> out(n);
    double acc = 0;
    int prev = 0;
    for (int i = 0; i < n; ++i) {
        acc += sizes[i];
        int edge = i == n - 1 ? total : int(std::lround(acc));
        out[i] = qMax(0, edge - prev);
        prev = edge;
    }
    return out;
}

} // namespace frameset
