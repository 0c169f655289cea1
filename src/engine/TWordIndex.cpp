#include "engine/TWordIndex.h"

#include "engine/TElFormControl.h"
#include "engine/TFontEntry.h"
#include "engine/TPixelRect.h"

#include <litehtml/litehtml.h>

#include <litehtml/el_text.h>

#include <algorithm>

void TWordIndex::clear() {
    m_text.clear();
    m_breaks.clear();
    m_words.clear();
}

void TWordIndex::build(const litehtml::element::ptr& root) {
    clear();
    if (!root)
        return;
    bool pending = false;
    walk(root, pending);
}

void TWordIndex::walk(const litehtml::element::ptr& el, bool& pendingSpace) {
    if (el->get_display() == litehtml::display_none)
        return;
    if (dynamic_cast<TElFormControl*>(el.get()))
        return;
    if (dynamic_cast<litehtml::el_text*>(el.get())) {
        if (el->is_white_space()) {
            pendingSpace = true;
            return;
        }
        litehtml::tstring t;
        el->get_text(t);
        QString word = QString::fromUtf8(t.c_str());
        if (word.isEmpty())
            return;
        if (word.trimmed().isEmpty()) {
            // Spaces kept by pre-formatted text still count as one space.
            pendingSpace = true;
            return;
        }
        litehtml::position p = el->get_placement();
        QRect r = TPixelRect::of(p);
        bool newLine = false;
        if (!m_words.isEmpty()) {
            const QRect& prev = m_words.last().rect;
            newLine = r.top() >= prev.bottom() || r.left() < prev.left();
            bool apart = r.left() > prev.right() + 1 + 1;
            if (newLine || pendingSpace || apart) {
                m_text += QLatin1Char(' ');
                m_breaks += newLine ? QLatin1Char('\n') : QLatin1Char(' ');
            }
        }
        pendingSpace = false;
        // White space inside a word (pre-formatted text) counts as one space.
        QString w;
        w.reserve(word.size());
        for (QChar c : word)
            w += (c.isSpace() || c == QChar(0xA0)) ? QLatin1Char(' ') : c;
        Word entry;
        entry.rect = r;
        entry.start = int(m_text.size());
        entry.length = int(w.size());
        entry.font = reinterpret_cast<TFontEntry*>(el->get_font());
        m_text += w;
        m_breaks += QString(w.size(), QLatin1Char(' '));
        m_words.push_back(entry);
        return;
    }
    const char* tag = el->get_tagName();
    bool block = el->get_display() != litehtml::display_inline &&
                 el->get_display() != litehtml::display_inline_text;
    if (tag && std::strcmp(tag, "br") == 0)
        pendingSpace = true;
    if (block)
        pendingSpace = true;
    for (size_t i = 0; i < el->get_children_count(); ++i)
        walk(el->get_child(int(i)), pendingSpace);
    if (block)
        pendingSpace = true;
}

QString TWordIndex::copyText(int start, int end) const {
    start = qBound(0, start, int(m_text.size()));
    end = qBound(start, end, int(m_text.size()));
    QString out;
    out.reserve(end - start);
    for (int i = start; i < end; ++i)
        out += m_breaks.at(i) == QLatin1Char('\n') ? QLatin1Char('\n') : m_text.at(i);
    return out;
}

int TWordIndex::charX(const Word& w, int offset) const {
    if (offset <= 0)
        return w.rect.left();
    if (offset >= w.length || !w.font)
        return w.rect.left() + (w.length ? w.rect.width() * offset / w.length : 0);
    return w.rect.left() + w.font->metrics.horizontalAdvance(m_text.mid(w.start, offset));
}

QVector<QRect> TWordIndex::rectsFor(int start, int end) const {
    QVector<QRect> out;
    if (end <= start)
        return out;
    auto it = std::lower_bound(m_words.begin(), m_words.end(), start,
                               [](const Word& w, int pos) { return w.start + w.length <= pos; });
    for (; it != m_words.end() && it->start < end; ++it) {
        int a = qMax(start, it->start) - it->start;
        int b = qMin(end, it->start + it->length) - it->start;
        int x1 = charX(*it, a), x2 = charX(*it, b);
        // Include the following space in the highlight when it is selected.
        auto next = it + 1;
        if (b == it->length && next != m_words.end() && next->start < end &&
            next->rect.top() == it->rect.top() && next->start > it->start + it->length)
            x2 = next->rect.left();
        out.push_back(QRect(x1, it->rect.top(), qMax(1, x2 - x1), it->rect.height()));
    }
    return out;
}

QRect TWordIndex::boundingRect(int start, int end) const {
    QVector<QRect> rects = rectsFor(start, end);
    QRect r;
    for (const QRect& x : rects)
        r = r.united(x);
    return r;
}

int TWordIndex::positionAt(const QPoint& p) const {
    if (m_words.isEmpty())
        return -1;
    const Word* best = nullptr;
    long bestScore = LONG_MAX;
    for (const Word& w : m_words) {
        long dy = p.y() < w.rect.top()      ? w.rect.top() - p.y()
                  : p.y() > w.rect.bottom() ? p.y() - w.rect.bottom()
                                            : 0;
        long dx = p.x() < w.rect.left()    ? w.rect.left() - p.x()
                  : p.x() > w.rect.right() ? p.x() - w.rect.right()
                                           : 0;
        long score = dy * 100000 + dx;
        if (score < bestScore) {
            bestScore = score;
            best = &w;
            if (score == 0)
                break;
        }
    }
    if (p.x() <= best->rect.left())
        return best->start;
    if (p.x() > best->rect.right())
        return best->start + best->length;
    for (int i = 0; i < best->length; ++i) {
        int mid = (charX(*best, i) + charX(*best, i + 1)) / 2;
        if (p.x() < mid)
            return best->start + i;
    }
    return best->start + best->length;
}

std::pair<int, int> TWordIndex::wordAt(const QPoint& p) const {
    for (const Word& w : m_words) {
        if (!w.rect.contains(p))
            continue;
        // Extend over pieces of the same word split by inline tags.
        int s = w.start, e = w.start + w.length;
        while (s > 0 && !m_text.at(s - 1).isSpace())
            --s;
        while (e < m_text.size() && !m_text.at(e).isSpace())
            ++e;
        return {s, e};
    }
    return {0, 0};
}
