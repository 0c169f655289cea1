#include "engine/TLegacyElements.h"

#include "engine/TPixelRect.h"
#include "engine/TQtContainer.h"
#include "engine/TTableFit.h"
#include "engine/TTagAccess.h"

#include <QPainter>
#include <QRegularExpression>

#include <cmath>
#include <mutex>
#include <unordered_map>

using litehtml::html_tag;

static QString attr(const litehtml::element* el, const char* name) {
    const char* v = el->get_attr(name);
    return v ? QString::fromUtf8(v).trimmed() : QString();
}

void addHint(litehtml::style& style, const litehtml::element* el, const char* name,
             const QString& value) {
    if (value.isEmpty())
        return;
    // Pages repeat the same few hints on thousands of cells: parse each once.
    static std::unordered_map<std::string, litehtml::style> parsed;
    // Pages are also parsed off the GUI thread.
    static std::mutex guard;
    std::lock_guard lock(guard);
    std::string text = std::string(name) + ":" + value.toUtf8().toStdString();
    auto it = parsed.find(text);
    if (it == parsed.end()) {
        if (parsed.size() > 4096)
            parsed.clear();
        litehtml::style st;
        st.add(text.c_str(), "", el);
        it = parsed.emplace(text, st).first;
    }
    // As the library's combine(), without checking again the values its
    // parse has checked.
    TParsedRules::addTo(style, TStyleStore::properties(it->second));
}

QString legacyColor(const QString& a) {
    QString v = a.trimmed();
    if (v.isEmpty())
        return {};
    static const QRegularExpression hex(QStringLiteral("^[0-9a-fA-F]{6}$"));
    if (hex.match(v).hasMatch())
        return QLatin1Char('#') + v;
    static const QRegularExpression safe(QStringLiteral("^#?[0-9a-zA-Z]+$"));
    return safe.match(v).hasMatch() ? v : QString();
}

QString legacyLength(const QString& a) {
    // Digits, an optional fraction, then "%" (after optional blanks) or
    // anything else (pixels). Every cell asks, most of them with nothing.
    const QStringView v = QStringView(a).trimmed();
    qsizetype i = 0;
    while (i < v.size() && v[i].isDigit() && v[i].unicode() < 128)
        ++i;
    if (i == 0)
        return {};
    if (i + 1 < v.size() && v[i] == u'.' && v[i + 1].isDigit() && v[i + 1].unicode() < 128) {
        i += 2;
        while (i < v.size() && v[i].isDigit() && v[i].unicode() < 128)
            ++i;
    }
    qsizetype j = i;
    while (j < v.size() && v[j].isSpace())
        ++j;
    const bool percent = j < v.size() && v[j] == u'%';
    return v.left(i).toString() + (percent ? QStringLiteral("%") : QStringLiteral("px"));
}

static QString alignToText(const QString& a) {
    QString v = a.toLower();
    if (v == QLatin1String("center") || v == QLatin1String("middle"))
        return QStringLiteral("center");
    if (v == QLatin1String("left") || v == QLatin1String("right") || v == QLatin1String("justify"))
        return v;
    return {};
}

static QString valign(const QString& a) {
    QString v = a.toLower();
    if (v == QLatin1String("top") || v == QLatin1String("bottom") || v == QLatin1String("middle") ||
        v == QLatin1String("baseline"))
        return v;
    if (v == QLatin1String("center"))
        return QStringLiteral("middle");
    return {};
}

static QString cssUrl(const QString& path) {
    QString p = path;
    p.replace(QLatin1Char('"'), QStringLiteral("%22"));
    return QStringLiteral("url(\"%1\")").arg(p);
}

// ---- font

QString TElFont::sizeKeyword(const QString& a) {
    QString v = a.trimmed();
    if (v.isEmpty())
        return {};
    bool ok = false;
    int n = 3;
    if (v.startsWith(QLatin1Char('+')) || v.startsWith(QLatin1Char('-'))) {
        int d = v.mid(1).toInt(&ok);
        if (!ok)
            return {};
        d = qBound(-7, d, 7); // sizes run 1..7: a larger step overflows nothing
        n = v.startsWith(QLatin1Char('+')) ? 3 + d : 3 - d;
    } else {
        n = v.toInt(&ok);
        if (!ok)
            return {};
    }
    n = qBound(1, n, 7);
    static const char* const names[] = {"x-small", "small",    "medium", "large",
                                        "x-large", "xx-large", "3em"};
    return QString::fromLatin1(names[n - 1]);
}

void TElFont::parse_attributes() {
    QString face = attr(this, "face");
    if (!face.isEmpty()) {
        QStringList fams;
        for (const QString& f : face.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            QString t = f.trimmed();
            t.remove(QLatin1Char('"'));
            t.remove(QLatin1Char(';'));
            if (!t.isEmpty())
                fams << QLatin1Char('"') + t + QLatin1Char('"');
        }
        addHint(m_style, this, "font-family", fams.join(QLatin1Char(',')));
    }
    addHint(m_style, this, "font-size", sizeKeyword(attr(this, "size")));
    addHint(m_style, this, "color", legacyColor(attr(this, "color")));
    html_tag::parse_attributes();
}

// ---- body

void TElBody::parse_attributes() {
    el_body::parse_attributes();
    addHint(m_style, this, "background-color", legacyColor(attr(this, "bgcolor")));
    addHint(m_style, this, "color", legacyColor(attr(this, "text")));
    QString bg = attr(this, "background");
    if (!bg.isEmpty())
        addHint(m_style, this, "background-image", cssUrl(bg));
    QString lm = legacyLength(attr(this, "leftmargin"));
    if (lm.isEmpty())
        lm = legacyLength(attr(this, "marginwidth"));
    QString tm = legacyLength(attr(this, "topmargin"));
    if (tm.isEmpty())
        tm = legacyLength(attr(this, "marginheight"));
    if (!lm.isEmpty()) {
        addHint(m_style, this, "margin-left", lm);
        addHint(m_style, this, "margin-right", lm);
    }
    if (!tm.isEmpty()) {
        addHint(m_style, this, "margin-top", tm);
        addHint(m_style, this, "margin-bottom", tm);
    }
}

// ---- table

static litehtml::element* tableOf(litehtml::element* el) {
    for (auto p = el->parent(); p; p = p->parent()) {
        const char* tag = p->get_tagName();
        if (tag && std::strcmp(tag, "table") == 0)
            return p.get();
    }
    return nullptr;
}

static int borderOf(const litehtml::element* table) {
    const char* b = table->get_attr("border");
    if (!b)
        return 0;
    QString v = QString::fromUtf8(b).trimmed();
    if (v.isEmpty())
        return 1; // <table border>
    bool ok = false;
    int n = legacyLength(v).remove(QStringLiteral("px")).toInt(&ok);
    return ok ? qBound(0, n, 32767) : 1;
}

namespace {
// Each text with its length before it, so that no two lists of texts give
// the same string.
void appendText(std::string& out, const std::string& text) {
    out += std::to_string(text.size());
    out += ':';
    out += text;
}

void appendAttributes(std::string& out, const litehtml::element* el) {
    const auto* tag = dynamic_cast<const litehtml::html_tag*>(el);
    if (!tag) {
        out += '-';
        return;
    }
    const litehtml::string_map& attrs = tag->*TTagAccess::attributes;
    appendText(out, el->get_tagName());
    out += std::to_string(attrs.size());
    for (const auto& [name, value] : attrs) {
        appendText(out, name);
        appendText(out, value);
    }
}
} // namespace

std::string TElCell::hintInputs() const {
    std::string out;
    appendAttributes(out, this);
    const litehtml::element* table = tableOf(const_cast<TElCell*>(this));
    out += table ? '+' : '0';
    if (table)
        appendAttributes(out, table);
    return out;
}

void TElTable::parse_attributes() {
    el_table::parse_attributes();
    int border = borderOf(this);
    QString color = legacyColor(attr(this, "bordercolor"));
    if (border > 0)
        addHint(m_style, this, "border",
                QStringLiteral("%1px %2 %3")
                    .arg(border)
                    .arg(color.isEmpty() ? QStringLiteral("outset") : QStringLiteral("solid"))
                    .arg(color.isEmpty() ? QStringLiteral("#808080") : color));
    else if (get_attr("border"))
        addHint(m_style, this, "border-style", QStringLiteral("none"));
    QString spacing = legacyLength(attr(this, "cellspacing"));
    if (!spacing.isEmpty() && !spacing.endsWith(QLatin1Char('%')))
        addHint(m_style, this, "border-spacing", spacing);
    addHint(m_style, this, "background-color", legacyColor(attr(this, "bgcolor")));
    QString bg = attr(this, "background");
    if (!bg.isEmpty())
        addHint(m_style, this, "background-image", cssUrl(bg));
    addHint(m_style, this, "width", legacyLength(attr(this, "width")));
    addHint(m_style, this, "height", legacyLength(attr(this, "height")));
    QString align = attr(this, "align").toLower();
    if (align == QLatin1String("center")) {
        addHint(m_style, this, "margin-left", QStringLiteral("auto"));
        addHint(m_style, this, "margin-right", QStringLiteral("auto"));
    } else if (align == QLatin1String("left") || align == QLatin1String("right")) {
        addHint(m_style, this, "float", align);
    }
}

int TElTable::render(int x, int y, int max_width, bool second_pass) {
    return TTableFit::render(this, max_width,
                             [&] { return el_table::render(x, y, max_width, second_pass); });
}

void TElRow::parse_attributes() {
    el_tr::parse_attributes();
    addHint(m_style, this, "background-color", legacyColor(attr(this, "bgcolor")));
    addHint(m_style, this, "text-align", alignToText(attr(this, "align")));
    addHint(m_style, this, "vertical-align", valign(attr(this, "valign")));
}

void TElCell::parse_attributes() {
    el_td::parse_attributes();
    if (litehtml::element* table = tableOf(this)) {
        QString pad = legacyLength(QString::fromUtf8(table->get_attr("cellpadding", "")));
        if (!pad.isEmpty() && !pad.endsWith(QLatin1Char('%')))
            addHint(m_style, this, "padding", pad);
        int border = borderOf(table);
        if (border > 0) {
            QString color = legacyColor(QString::fromUtf8(table->get_attr("bordercolor", "")));
            addHint(m_style, this, "border",
                    color.isEmpty() ? QStringLiteral("1px inset #808080")
                                    : QStringLiteral("1px solid %1").arg(color));
        }
    }
    addHint(m_style, this, "background-color", legacyColor(attr(this, "bgcolor")));
    QString bg = attr(this, "background");
    if (!bg.isEmpty())
        addHint(m_style, this, "background-image", cssUrl(bg));
    addHint(m_style, this, "width", legacyLength(attr(this, "width")));
    addHint(m_style, this, "height", legacyLength(attr(this, "height")));
    addHint(m_style, this, "text-align", alignToText(attr(this, "align")));
    addHint(m_style, this, "vertical-align", valign(attr(this, "valign")));
    if (get_attr("nowrap"))
        addHint(m_style, this, "white-space", QStringLiteral("nowrap"));
}

// ---- img

void TElImage::parse_attributes() {
    el_image::parse_attributes();
    QString h = legacyLength(attr(this, "hspace"));
    if (!h.isEmpty() && !h.endsWith(QLatin1Char('%'))) {
        addHint(m_style, this, "margin-left", h);
        addHint(m_style, this, "margin-right", h);
    }
    QString v = legacyLength(attr(this, "vspace"));
    if (!v.isEmpty() && !v.endsWith(QLatin1Char('%'))) {
        addHint(m_style, this, "margin-top", v);
        addHint(m_style, this, "margin-bottom", v);
    }
    if (get_attr("border")) {
        QString b = legacyLength(attr(this, "border"));
        if (b.isEmpty() || b.endsWith(QLatin1Char('%')))
            b = QStringLiteral("0px");
        addHint(m_style, this, "border-width", b);
        addHint(m_style, this, "border-style",
                b == QLatin1String("0px") ? QStringLiteral("none") : QStringLiteral("solid"));
    }
    QString align = attr(this, "align").toLower();
    if (align == QLatin1String("left") || align == QLatin1String("right"))
        addHint(m_style, this, "float", align);
    else if (align == QLatin1String("middle") || align == QLatin1String("absmiddle") ||
             align == QLatin1String("center"))
        addHint(m_style, this, "vertical-align", QStringLiteral("middle"));
    else if (align == QLatin1String("top") || align == QLatin1String("texttop"))
        addHint(m_style, this, "vertical-align", QStringLiteral("top"));
    else if (align == QLatin1String("bottom") || align == QLatin1String("absbottom") ||
             align == QLatin1String("baseline"))
        addHint(m_style, this, "vertical-align", QStringLiteral("baseline"));
}

void TElImage::draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position* clip) {
    TQtContainer* container = TQtContainer::of(this);
    const char* src = get_attr("src");
    if (!container || (src && container->hasImage(src))) {
        el_image::draw(hdc, x, y, clip);
        return;
    }
    // No picture: a frame with the alt text, as browsers of the time did.
    litehtml::position pos = m_pos;
    pos.x = TPixelRect::bounded(qint64(pos.x) + x);
    pos.y = TPixelRect::bounded(qint64(pos.y) + y);
    if (pos.width <= 0 || pos.height <= 0)
        return;
    auto* p = reinterpret_cast<QPainter*>(hdc);
    p->save();
    QRect r = TPixelRect::of(pos);
    p->setPen(QColor(0x80, 0x80, 0x80));
    p->setBrush(Qt::NoBrush);
    p->drawRect(r.adjusted(0, 0, -1, -1));
    QString alt = attr(this, "alt");
    if (!alt.isEmpty() && r.width() > 8) {
        p->setClipRect(r.adjusted(2, 2, -2, -2));
        p->setPen(Qt::black);
        p->drawText(r.adjusted(3, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, alt);
    }
    p->restore();
}

// ---- hr

void TElRule::parse_attributes() {
    html_tag::parse_attributes();
    QString size = legacyLength(attr(this, "size"));
    QString color = legacyColor(attr(this, "color"));
    bool solid = get_attr("noshade") || !color.isEmpty();
    if (!size.isEmpty() && !size.endsWith(QLatin1Char('%'))) {
        const double d = size.chopped(2).toDouble(); // any number at all
        const int px = std::isfinite(d) ? int(qBound(0.0, d, 32767.0)) : 0;
        addHint(m_style, this, "height", QStringLiteral("%1px").arg(qMax(0, px - 2)));
    }
    if (solid) {
        QString c = color.isEmpty() ? QStringLiteral("#808080") : color;
        addHint(m_style, this, "border", QStringLiteral("1px solid %1").arg(c));
        addHint(m_style, this, "background-color", c);
    }
    addHint(m_style, this, "width", legacyLength(attr(this, "width")));
    QString align = attr(this, "align").toLower();
    if (align == QLatin1String("left"))
        addHint(m_style, this, "margin-left", QStringLiteral("0"));
    else if (align == QLatin1String("right"))
        addHint(m_style, this, "margin-right", QStringLiteral("0"));
}

void TElAligned::parse_attributes() {
    html_tag::parse_attributes();
    addHint(m_style, this, "text-align", alignToText(attr(this, "align")));
}

namespace {
enum class LineContent { Nothing, Break, Text };

// What an element puts on the current line, looked at from its end.
LineContent lineContent(const litehtml::element::ptr& el) {
    if (el->is_comment() || el->is_white_space())
        return LineContent::Nothing;
    if (el->get_display() == litehtml::display_none)
        return LineContent::Nothing;
    if (el->is_break())
        return LineContent::Break;
    if (el->get_float() != litehtml::float_none)
        return LineContent::Nothing;
    auto position = el->get_element_position();
    if (position == litehtml::element_position_absolute ||
        position == litehtml::element_position_fixed)
        return LineContent::Nothing;
    switch (el->get_display()) {
    case litehtml::display_inline:
        for (int i = int(el->get_children_count()) - 1; i >= 0; --i) {
            LineContent c = lineContent(el->get_child(i));
            if (c != LineContent::Nothing)
                return c;
        }
        return LineContent::Nothing;
    case litehtml::display_inline_block:
    case litehtml::display_inline_table:
    case litehtml::display_inline_text:
        return LineContent::Text;
    default:
        return LineContent::Break; // a block ends the line before it
    }
}
} // namespace

bool TElBreak::startsLine() const {
    litehtml::element::ptr cur = std::const_pointer_cast<litehtml::element>(shared_from_this());
    for (int depth = 0; depth < 64; ++depth) {
        litehtml::element::ptr parent = cur->parent();
        if (!parent)
            return true;
        int index = -1;
        for (int i = 0; i < int(parent->get_children_count()); ++i)
            if (parent->get_child(i) == cur) {
                index = i;
                break;
            }
        for (int i = index - 1; i >= 0; --i) {
            LineContent c = lineContent(parent->get_child(i));
            if (c != LineContent::Nothing)
                return c == LineContent::Break;
        }
        if (parent->get_display() != litehtml::display_inline)
            return true; // first on the line of a block
        cur = parent;
    }
    return false;
}

void TElBreak::parse_styles(bool is_reparse) {
    el_break::parse_styles(is_reparse);
    if (m_css_height.is_predefined() && startsLine())
        m_css_height.set_value(float(line_height()), litehtml::css_units_px);
}

void TElBreak::parse_attributes() {
    el_break::parse_attributes();
    QString clear = attr(this, "clear").toLower();
    if (clear == QLatin1String("all") || clear == QLatin1String("both"))
        addHint(m_style, this, "clear", QStringLiteral("both"));
    else if (clear == QLatin1String("left") || clear == QLatin1String("right"))
        addHint(m_style, this, "clear", clear);
}
