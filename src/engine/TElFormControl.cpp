#include "engine/TElFormControl.h"

#include "engine/TFontEntry.h"
#include "engine/TPixelRect.h"

#include <QPainter>

static QString attrOf(const litehtml::element* el, const char* name) {
    const char* v = el->get_attr(name);
    return v ? QString::fromUtf8(v) : QString();
}

// The text an element shows: comments inside (even in an <option>) are not
// part of it.
static void collectText(const litehtml::element::ptr& el, litehtml::tstring& t) {
    if (el->is_comment())
        return;
    if (el->get_children_count() == 0) {
        el->get_text(t);
        return;
    }
    for (size_t i = 0; i < el->get_children_count(); ++i)
        collectText(el->get_child(int(i)), t);
}

static QString textOf(const litehtml::element::ptr& el) {
    litehtml::tstring t;
    collectText(el, t);
    return QString::fromUtf8(t.c_str()).simplified();
}

QString TElFormControl::name() const {
    return attrOf(this, "name");
}

QString TElFormControl::typeName() const {
    switch (m_kind) {
    case Kind::Select:
        return QStringLiteral("select");
    case Kind::TextArea:
        return QStringLiteral("textarea");
    default:
        break;
    }
    QString t = attrOf(this, "type").toLower();
    if (std::strcmp(get_tagName(), "button") == 0)
        return QStringLiteral("button");
    return t.isEmpty() ? QStringLiteral("text") : t;
}

void TElFormControl::setSelectedIndex(int i) {
    if (i < 0 || i >= m_options.size())
        return;
    if (m_listBox) {
        for (int k = 0; k < m_chosen.size(); ++k)
            m_chosen[k] = k == i;
        m_anchor = i;
        // Scroll the entry into view.
        if (i < m_top)
            m_top = i;
        else if (i >= m_top + visibleRows())
            scrollRows(i - (m_top + visibleRows()) + 1);
    }
    m_selected = i;
}

void TElFormControl::choose(int i, bool on) {
    if (i < 0 || i >= m_chosen.size())
        return;
    m_chosen[i] = on;
    m_selected = int(m_chosen.indexOf(true));
}

bool TElFormControl::isSelected(int i) const {
    if (m_listBox)
        return i >= 0 && i < m_chosen.size() && m_chosen[i];
    return i == m_selected;
}

QStringList TElFormControl::selectedTexts() const {
    QStringList out;
    for (int i = 0; i < m_options.size(); ++i)
        if (isSelected(i))
            out << m_options[i];
    return out;
}

int TElFormControl::visibleRows() const {
    // A multiple list without a size shows four rows, as browsers do.
    return m_size > 1 ? m_size : 4;
}

void TElFormControl::scrollRows(int delta) {
    int maxTop = qMax(0, int(m_options.size()) - visibleRows());
    m_top = qBound(0, m_top + delta, maxTop);
}

TElFormControl::State TElFormControl::state() const {
    State s;
    s.kind = m_kind;
    s.chosen = m_chosen;
    s.selected = m_selected;
    s.top = m_top;
    s.checked = m_checked;
    s.value = m_value;
    return s;
}

void TElFormControl::restore(const State& s) {
    if (s.kind != m_kind || s.chosen.size() != m_chosen.size())
        return;
    m_chosen = s.chosen;
    if (s.selected < m_options.size())
        m_selected = s.selected;
    m_top = s.top;
    m_checked = s.checked;
    m_value = s.value;
}

QString TElFormControl::selectedText() const {
    return m_selected >= 0 && m_selected < m_options.size() ? m_options.at(m_selected) : QString();
}

void TElFormControl::parse_attributes() {
    QString tag = QString::fromUtf8(get_tagName());
    if (tag == QLatin1String("select")) {
        m_kind = Kind::Select;
        QList<int> marked;
        std::function<void(const litehtml::element::ptr&)> collectSelected =
            [&](const litehtml::element::ptr& el) {
                for (size_t i = 0; i < el->get_children_count(); ++i) {
                    auto child = el->get_child(int(i));
                    const char* t = child->get_tagName();
                    if (t && std::strcmp(t, "option") == 0) {
                        if (child->get_attr("selected"))
                            marked << int(m_options.size());
                        m_options << textOf(child);
                    } else {
                        collectSelected(child);
                    }
                }
            };
        collectSelected(shared_from_this());
        m_multiple = get_attr("multiple") != nullptr;
        m_size = qBound(0, attrOf(this, "size").toInt(), 32767);
        m_listBox = m_multiple || m_size > 1;
        if (m_listBox) {
            // A list box shows no selection unless an entry is marked; a
            // single one keeps the last marked entry.
            m_chosen = QList<bool>(m_options.size(), false);
            if (!m_multiple && !marked.isEmpty())
                marked = {marked.last()};
            for (int i : marked)
                m_chosen[i] = true;
            m_selected = marked.isEmpty() ? -1 : marked.first();
            if (m_selected >= visibleRows())
                scrollRows(m_selected - visibleRows() + 1);
        } else {
            m_selected = marked.isEmpty() ? (m_options.isEmpty() ? -1 : 0) : marked.last();
        }
    } else if (tag == QLatin1String("textarea")) {
        m_kind = Kind::TextArea;
        litehtml::tstring t;
        get_text(t);
        m_value = QString::fromUtf8(t.c_str());
    } else if (tag == QLatin1String("button")) {
        m_kind = Kind::Button;
        m_value = textOf(shared_from_this());
    } else {
        QString type = attrOf(this, "type").toLower();
        m_value = attrOf(this, "value");
        if (type.isEmpty() || type == QLatin1String("text"))
            m_kind = Kind::Text;
        else if (type == QLatin1String("password"))
            m_kind = Kind::Password;
        else if (type == QLatin1String("checkbox"))
            m_kind = Kind::CheckBox;
        else if (type == QLatin1String("radio"))
            m_kind = Kind::Radio;
        else if (type == QLatin1String("submit") || type == QLatin1String("reset") ||
                 type == QLatin1String("button") || type == QLatin1String("image")) {
            m_kind = Kind::Button;
            if (m_value.isEmpty())
                m_value = type == QLatin1String("reset") ? QStringLiteral("Reset")
                                                         : QStringLiteral("Submit");
        }
        m_checked = get_attr("checked") != nullptr;
    }
    // The control draws its own content.
    m_children.clear();
    html_tag::parse_attributes();
}

void TElFormControl::parse_styles(bool is_reparse) {
    html_tag::parse_styles(is_reparse);
    auto* font = reinterpret_cast<TFontEntry*>(get_font());
    int h = font ? font->metrics.height() : 14;
    auto textWidth = [&](const QString& s) {
        return font ? font->metrics.horizontalAdvance(s) : int(s.size()) * 7;
    };
    int w = 0, height = h + 6;
    switch (m_kind) {
    case Kind::Select: {
        int widest = 0;
        for (const QString& o : m_options)
            widest = qMax(widest, textWidth(o));
        if (m_listBox) {
            w = widest + 8 + (m_options.size() > visibleRows() ? kBarWidth : 0);
            height = h * visibleRows() + 4;
        } else {
            w = widest + h + 12;
        }
        break;
    }
    case Kind::Text:
    case Kind::Password: {
        int size = qBound(0, attrOf(this, "size").toInt(), 32767); // no overflow below
        w = textWidth(QStringLiteral("x")) * (size > 0 ? size : 20) + 8;
        break;
    }
    case Kind::CheckBox:
    case Kind::Radio:
        w = height = 13;
        break;
    case Kind::Button:
        w = textWidth(m_value) + 16;
        break;
    case Kind::TextArea: {
        int cols = qBound(0, attrOf(this, "cols").toInt(), 32767);
        int rows = qBound(0, attrOf(this, "rows").toInt(), 32767);
        w = textWidth(QStringLiteral("x")) * (cols > 0 ? cols : 20) + 8;
        height = h * (rows > 0 ? rows : 2) + 6;
        break;
    }
    case Kind::Other:
        return;
    }
    if (m_css_width.is_predefined())
        m_css_width.set_value(float(w), litehtml::css_units_px);
    if (m_css_height.is_predefined())
        m_css_height.set_value(float(height), litehtml::css_units_px);
}

TElFormControl::ListGeometry TElFormControl::listGeometry(const QRect& box) {
    ListGeometry g;
    auto* font = reinterpret_cast<TFontEntry*>(get_font());
    g.rowHeight = qMax(1, font ? font->metrics.height() : 14);
    QRect inner = box.adjusted(2, 2, -2, -2);
    g.rows = inner;
    int count = int(m_options.size()), rows = visibleRows();
    if (count <= rows || inner.width() <= kBarWidth || inner.height() < 8)
        return g;
    g.rows.setRight(inner.right() - kBarWidth);
    g.bar = QRect(g.rows.right() + 1, inner.top(), kBarWidth, inner.height());
    int bh = qMin(kBarWidth, g.bar.height() / 2);
    g.up = QRect(g.bar.left(), g.bar.top(), kBarWidth, bh);
    g.down = QRect(g.bar.left(), g.bar.bottom() - bh + 1, kBarWidth, bh);
    int track = g.bar.height() - 2 * bh;
    int thumbH = qMax(8, track * rows / count);
    if (thumbH < track) {
        int y = g.up.bottom() + 1 + (track - thumbH) * m_top / qMax(1, count - rows);
        g.thumb = QRect(g.bar.left(), y, kBarWidth, thumbH);
    }
    return g;
}

bool TElFormControl::listBoxClick(const QPoint& at, Qt::KeyboardModifiers modifiers) {
    if (!m_listBox)
        return false;
    ListGeometry g = listGeometry(documentRect());
    int rows = visibleRows();
    if (g.bar.contains(at)) {
        int top = m_top;
        if (g.up.contains(at))
            scrollRows(-1);
        else if (g.down.contains(at))
            scrollRows(1);
        else if (!g.thumb.isEmpty() && at.y() < g.thumb.top())
            scrollRows(-rows);
        else if (!g.thumb.isEmpty() && at.y() > g.thumb.bottom())
            scrollRows(rows);
        return top != m_top;
    }
    if (!g.rows.contains(at))
        return false;
    int i = m_top + (at.y() - g.rows.top()) / g.rowHeight;
    if (i < 0 || i >= m_options.size() || i >= m_top + rows)
        return false;
    const QList<bool> before = m_chosen;
    if (m_multiple && (modifiers & Qt::ControlModifier)) {
        choose(i, !m_chosen[i]);
        m_anchor = i;
    } else if (m_multiple && (modifiers & Qt::ShiftModifier) && m_anchor >= 0) {
        for (int k = 0; k < m_chosen.size(); ++k)
            m_chosen[k] = k >= qMin(m_anchor, i) && k <= qMax(m_anchor, i);
        m_selected = int(m_chosen.indexOf(true));
    } else {
        for (int k = 0; k < m_chosen.size(); ++k)
            m_chosen[k] = k == i;
        m_selected = i;
        m_anchor = i;
    }
    return before != m_chosen;
}

// Controls of the time: face colour, a white edge above and left, a darker
// one below and right (two pixels deep on scroll bar parts).
static const QColor kFace(0xd4, 0xd0, 0xc8), kDark(0x80, 0x80, 0x80), kShadow(0x40, 0x40, 0x40);

static void drawRaised(QPainter* p, const QRect& b, bool twoPixels) {
    p->fillRect(b, kFace);
    p->setPen(Qt::white);
    p->drawLine(b.topLeft(), b.topRight());
    p->drawLine(b.topLeft(), b.bottomLeft());
    p->setPen(twoPixels ? kShadow : kDark);
    p->drawLine(b.bottomLeft(), b.bottomRight());
    p->drawLine(b.topRight(), b.bottomRight());
    if (!twoPixels)
        return;
    p->setPen(kDark);
    p->drawLine(b.bottomLeft() + QPoint(1, -1), b.bottomRight() + QPoint(-1, -1));
    p->drawLine(b.topRight() + QPoint(-1, 1), b.bottomRight() + QPoint(-1, -1));
}

// A small black arrow head centred at `c`.
static void drawArrowHead(QPainter* p, const QPoint& c, bool upwards) {
    QPolygon tri;
    if (upwards)
        tri << QPoint(c.x() - 3, c.y() + 1) << QPoint(c.x() + 3, c.y() + 1)
            << QPoint(c.x(), c.y() - 2);
    else
        tri << QPoint(c.x() - 3, c.y() - 1) << QPoint(c.x() + 3, c.y() - 1)
            << QPoint(c.x(), c.y() + 2);
    p->setPen(Qt::black);
    p->setBrush(Qt::black);
    p->drawPolygon(tri);
}

void TElFormControl::drawListBox(QPainter* p, const QRect& box) {
    ListGeometry g = listGeometry(box);
    p->save();
    p->setClipRect(g.rows);
    for (int i = m_top; i < m_options.size() && i < m_top + visibleRows(); ++i) {
        QRect row(g.rows.left(), g.rows.top() + (i - m_top) * g.rowHeight, g.rows.width(),
                  g.rowHeight);
        bool on = isSelected(i);
        if (on)
            p->fillRect(row, QColor(0x0a, 0x24, 0x6a));
        p->setPen(on ? Qt::white : Qt::black);
        p->drawText(row.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, m_options[i]);
    }
    p->restore();
    if (g.bar.isEmpty())
        return;
    // The scroll bar of the time: a light track, raised arrow buttons and thumb.
    p->fillRect(g.bar, QColor(0xea, 0xe8, 0xe3));
    for (const auto& [button, upwards] : {std::pair{g.up, true}, std::pair{g.down, false}}) {
        drawRaised(p, button, true);
        drawArrowHead(p, button.center(), upwards);
    }
    if (!g.thumb.isEmpty())
        drawRaised(p, g.thumb, true);
}

int TElFormControl::get_base_line() {
    bool oneLine = m_kind == Kind::Text || m_kind == Kind::Password || m_kind == Kind::Button ||
                   (m_kind == Kind::Select && !m_listBox);
    auto* font = reinterpret_cast<TFontEntry*>(get_font());
    if ((m_kind == Kind::CheckBox || m_kind == Kind::Radio) && font)
        // Centred on the capitals of the text beside.
        return qMax(0, m_pos.height / 2 - font->metrics.capHeight() / 2) + content_margins_bottom();
    if (!oneLine || !font || m_pos.height <= 0)
        return html_tag::get_base_line();
    // The text is centred in the box: its baseline lies half the spare
    // height plus the font's descent above the bottom.
    int spare = qMax(0, m_pos.height - font->metrics.height());
    return spare / 2 + font->metrics.descent() + content_margins_bottom();
}

QRect TElFormControl::documentRect() const {
    litehtml::position p = get_placement();
    return TPixelRect::of(p);
}

void TElFormControl::draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position* clip) {
    html_tag::draw(hdc, x, y, clip);
    litehtml::position pos = m_pos;
    pos.x = TPixelRect::bounded(qint64(pos.x) + x);
    pos.y = TPixelRect::bounded(qint64(pos.y) + y);
    if (m_kind == Kind::Other || pos.width <= 0 || pos.height <= 0)
        return;
    auto* p = reinterpret_cast<QPainter*>(hdc);
    auto* font = reinterpret_cast<TFontEntry*>(get_font());
    QRect r = TPixelRect::of(pos);
    p->save();
    if (font)
        p->setFont(font->font);
    // The two-pixel sunken edge of the time: grey and black above and left,
    // white and face colour below and right.
    auto sunken = [&](const QRect& b) {
        p->fillRect(b, Qt::white);
        p->setPen(kDark);
        p->drawLine(b.topLeft(), b.topRight());
        p->drawLine(b.topLeft(), b.bottomLeft());
        p->setPen(Qt::white);
        p->drawLine(b.bottomLeft(), b.bottomRight());
        p->drawLine(b.topRight(), b.bottomRight());
        if (b.width() < 4 || b.height() < 4)
            return;
        QRect i = b.adjusted(1, 1, -1, -1);
        p->setPen(kShadow);
        p->drawLine(i.topLeft(), i.topRight());
        p->drawLine(i.topLeft(), i.bottomLeft());
        p->setPen(kFace);
        p->drawLine(i.bottomLeft() + QPoint(1, 0), i.bottomRight());
        p->drawLine(i.topRight() + QPoint(0, 1), i.bottomRight());
    };
    QRect b = r.adjusted(0, 0, -1, -1);
    switch (m_kind) {
    case Kind::Select: {
        sunken(b);
        if (m_listBox) {
            drawListBox(p, r);
            break;
        }
        int bw = r.height() - 4;
        QRect button(r.right() - bw - 1, r.top() + 2, bw, r.height() - 4);
        drawRaised(p, button.adjusted(0, 0, -1, -1), false);
        drawArrowHead(p, button.center(), false);
        p->setClipRect(r.adjusted(3, 1, -bw - 3, -1));
        p->drawText(r.adjusted(4, 0, -bw - 4, 0), Qt::AlignVCenter | Qt::AlignLeft, selectedText());
        break;
    }
    case Kind::Text:
    case Kind::Password:
    case Kind::TextArea: {
        sunken(b);
        QString t = m_kind == Kind::Password ? QString(m_value.size(), QLatin1Char('*')) : m_value;
        p->setPen(Qt::black);
        p->setClipRect(r.adjusted(2, 2, -2, -2));
        p->drawText(
            r.adjusted(4, 2, -3, -2),
            (m_kind == Kind::TextArea ? Qt::AlignTop | Qt::TextWordWrap : Qt::AlignVCenter) |
                Qt::AlignLeft,
            t);
        break;
    }
    case Kind::CheckBox: {
        sunken(b);
        if (m_checked) {
            p->setPen(QPen(Qt::black, 2));
            p->drawLine(r.left() + 3, r.center().y(), r.center().x() - 1, r.bottom() - 3);
            p->drawLine(r.center().x() - 1, r.bottom() - 3, r.right() - 3, r.top() + 3);
        }
        break;
    }
    case Kind::Radio: {
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(kDark);
        p->setBrush(Qt::white);
        p->drawEllipse(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
        if (m_checked) {
            p->setBrush(Qt::black);
            p->setPen(Qt::NoPen);
            p->drawEllipse(QRectF(r).adjusted(4, 4, -4, -4));
        }
        break;
    }
    case Kind::Button:
        drawRaised(p, b, false);
        p->setPen(Qt::black);
        p->drawText(r, Qt::AlignCenter, m_value);
        break;
    case Kind::Other:
        break;
    }
    p->restore();
}
