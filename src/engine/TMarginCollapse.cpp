#include "engine/TMarginCollapse.h"

#include "engine/TPixelRect.h"
#include "engine/TTagAccess.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

using litehtml::element;
using litehtml::html_tag;

namespace {

html_tag* tagOf(const element::ptr& el) {
    return dynamic_cast<html_tag*>(el.get());
}

// A vertical margin in pixels; nullopt when it is a percentage (it depends
// on the width) or negative (left as the library lays it out).
std::optional<int> pixels(const litehtml::css_length& l) {
    if (l.is_predefined())
        return 0; // auto
    if (l.units() == litehtml::css_units_percentage || l.val() < 0)
        return std::nullopt;
    return TPixelRect::fromLength(l.val());
}

void setPixels(litehtml::css_length& l, int px) {
    l.set_value(float(px), litehtml::css_units_px);
}

litehtml::css_length& top(html_tag* t) {
    return (t->*TTagAccess::margins).top;
}
litehtml::css_length& bottom(html_tag* t) {
    return (t->*TTagAccess::margins).bottom;
}

bool edge(const litehtml::css_length& padding, const litehtml::css_border& border) {
    const bool hasPadding = !padding.is_predefined() && padding.val() != 0;
    const bool hasBorder = border.style != litehtml::border_style_none &&
                           border.style != litehtml::border_style_hidden &&
                           !border.width.is_predefined() && border.width.val() > 0;
    return hasPadding || hasBorder;
}
bool topEdge(html_tag* t) {
    return edge((t->*TTagAccess::padding).top, (t->*TTagAccess::borders).top);
}
bool bottomEdge(html_tag* t) {
    return edge((t->*TTagAccess::padding).bottom, (t->*TTagAccess::borders).bottom);
}

bool outOfFlow(const element::ptr& el) {
    return el->get_float() != litehtml::float_none ||
           el->get_element_position() == litehtml::element_position_absolute ||
           el->get_element_position() == litehtml::element_position_fixed;
}

bool isFlowBlock(const element::ptr& el) {
    // A break is a line of its own here, and may clear floats: margins do
    // not collapse across it.
    if (!tagOf(el) || outOfFlow(el) || el->is_break())
        return false;
    const auto d = el->get_display();
    return d == litehtml::display_block || d == litehtml::display_list_item ||
           d == litehtml::display_table;
}

// Blocks whose children's margins collapse with their own.
bool isBlockContainer(const element::ptr& el) {
    const auto d = el->get_display();
    return d == litehtml::display_block || d == litehtml::display_list_item;
}

// Adds nothing to the flow of blocks: white space, comments, hidden and
// floating or positioned elements, inline elements holding only such.
bool transparent(const element::ptr& el) {
    auto* t = tagOf(el);
    if (!t)
        return el->is_white_space() || el->is_comment();
    if (el->get_display() == litehtml::display_none || outOfFlow(el))
        return true;
    if (el->get_display() != litehtml::display_inline || el->is_break() || el->is_replaced())
        return false;
    for (size_t i = 0; i < el->get_children_count(); ++i)
        if (!transparent(el->get_child(int(i))))
            return false;
    return true;
}

bool autoHeight(html_tag* t) {
    const litehtml::css_length h = t->get_css_height();
    return h.is_predefined();
}

// A block with nothing inside that takes room: its margins collapse
// through it.
bool isEmpty(const element::ptr& el) {
    auto* t = tagOf(el);
    if (!t || !isFlowBlock(el) || el->get_display() != litehtml::display_block)
        return false;
    if (!autoHeight(t) || topEdge(t) || bottomEdge(t))
        return false;
    for (size_t i = 0; i < el->get_children_count(); ++i) {
        auto child = el->get_child(int(i));
        if (!transparent(child) && !isEmpty(child))
            return false;
    }
    return true;
}

// The largest margin of an empty block and the empty blocks inside it, each
// set to zero; nullopt (and nothing changed) when one cannot be known.
std::optional<int> takeEmptyMargins(const element::ptr& el, bool change) {
    auto* t = tagOf(el);
    auto a = pixels(top(t)), b = pixels(bottom(t));
    if (!a || !b)
        return std::nullopt;
    int m = std::max(*a, *b);
    for (size_t i = 0; i < el->get_children_count(); ++i) {
        auto child = el->get_child(int(i));
        if (transparent(child))
            continue;
        auto inner = takeEmptyMargins(child, change);
        if (!inner)
            return std::nullopt;
        m = std::max(m, *inner);
    }
    if (change) {
        setPixels(top(t), 0);
        setPixels(bottom(t), 0);
    }
    return m;
}

// The first (or last) child that takes part in the flow, when it is a block.
element::ptr edgeChild(const element::ptr& el, bool first) {
    const int n = int(el->get_children_count());
    for (int k = 0; k < n; ++k) {
        auto child = el->get_child(first ? k : n - 1 - k);
        if (transparent(child))
            continue;
        return isFlowBlock(child) ? child : nullptr;
    }
    return nullptr;
}

void raiseBottom(html_tag* t, int px) {
    auto own = pixels(bottom(t));
    if (own && *own < px)
        setPixels(bottom(t), px);
}

// Sibling blocks: the bottom margin of one and the top margin of the next
// give one gap, the larger; empty blocks between add theirs to it. The
// children's margins are already their collapsed ones (see foldEdges).
void collapseSiblings(const element::ptr& el) {
    element::ptr prev;              // the last block in flow before this point
    int pending = -1;               // the margins of empty blocks since then
    html_tag* firstEmpty = nullptr; // where those go back when nothing follows
    auto flush = [&] {
        if (pending > 0) {
            if (prev)
                raiseBottom(tagOf(prev), pending);
            else if (firstEmpty)
                setPixels(top(firstEmpty), pending);
        }
        pending = -1;
        firstEmpty = nullptr;
    };
    for (size_t i = 0; i < el->get_children_count(); ++i) {
        auto child = el->get_child(int(i));
        if (transparent(child))
            continue;
        if (!isFlowBlock(child)) {
            flush(); // inline content between: no two blocks meet here
            prev = nullptr;
            continue;
        }
        if (isEmpty(child) && takeEmptyMargins(child, false)) {
            pending = std::max(pending, *takeEmptyMargins(child, true));
            if (!firstEmpty)
                firstEmpty = tagOf(child);
            continue;
        }
        auto* c = tagOf(child);
        const auto topMargin = pixels(top(c));
        const auto bottomMargin = prev ? pixels(bottom(tagOf(prev))) : std::nullopt;
        if (topMargin && bottomMargin) {
            setPixels(bottom(tagOf(prev)), 0);
            setPixels(top(c), std::max({*bottomMargin, *topMargin, pending}));
        } else if (topMargin && pending > 0) {
            setPixels(top(c), std::max(*topMargin, pending));
        }
        pending = -1;
        firstEmpty = nullptr;
        prev = child;
    }
    flush();
}

// A block with no border or padding on a side takes its first (last) child
// block's margin into its own on that side, as the larger of the two; the
// child keeps none. With every margin moved out this way, the layout
// library's own collapsing of parent and child (which it does for some
// blocks and not for others, such as list items) changes nothing.
void foldEdges(const element::ptr& el) {
    auto* t = tagOf(el);
    if (!el->parent() || outOfFlow(el) || el->get_overflow() != litehtml::overflow_visible)
        return;
    for (bool atTop : {true, false}) {
        if (atTop ? topEdge(t) : (bottomEdge(t) || !autoHeight(t)))
            continue;
        element::ptr child = edgeChild(el, atTop);
        if (!child || isEmpty(child))
            continue;
        auto* c = tagOf(child);
        const auto inner = pixels(atTop ? top(c) : bottom(c));
        const auto own = pixels(atTop ? top(t) : bottom(t));
        if (!inner || !own)
            continue;
        setPixels(atTop ? top(c) : bottom(c), 0);
        setPixels(atTop ? top(t) : bottom(t), std::max(*inner, *own));
    }
}

// The default margin of an element on one side, as a multiple of its font
// size (0: none).
double defaultMargin(const element::ptr& el, bool atTop) {
    const char* tag = el->get_tagName();
    if (!tag)
        return 0;
    const std::string_view t(tag);
    if (t == "p" || t == "ul" || t == "ol" || t == "dl" || t == "dir" || t == "menu" ||
        t == "blockquote" || t == "pre" || t == "xmp" || t == "listing")
        return 1;
    if (t == "form")
        return atTop ? 0 : 1;
    if (t.size() == 2 && t[0] == 'h' && t[1] >= '1' && t[1] <= '6') {
        static const double heading[] = {0.67, 0.83, 1, 1.33, 1.67, 2.33};
        return heading[t[1] - '1'];
    }
    return 0;
}

// Drops the default margins that old pages do not show: the top margin of
// the blocks that begin the page or a cell, the bottom margin of those that
// end a cell. A margin the page set to another value stays.
void dropQuirkyMargins(const element::ptr& container, bool atTop) {
    element::ptr cur = edgeChild(container, atTop);
    while (cur) {
        auto* t = tagOf(cur);
        const double factor = defaultMargin(cur, atTop);
        auto& margin = atTop ? top(t) : bottom(t);
        const auto px = pixels(margin);
        if (factor > 0 && px && std::abs(*px - factor * cur->get_font_size()) <= 1)
            setPixels(margin, 0);
        if (!isBlockContainer(cur) || (atTop ? topEdge(t) : (bottomEdge(t) || !autoHeight(t))))
            break;
        cur = edgeChild(cur, atTop);
    }
}

void walkQuirks(const element::ptr& el) {
    const size_t n = el->get_children_count();
    if (n == 0)
        return;
    if (el->get_display() == litehtml::display_table_cell) {
        dropQuirkyMargins(el, true);
        dropQuirkyMargins(el, false);
    } else if (el->is_body()) {
        dropQuirkyMargins(el, true);
    }
    for (size_t i = 0; i < n; ++i)
        walkQuirks(el->get_child(int(i)));
}

void walk(const element::ptr& el) {
    const size_t n = el->get_children_count();
    if (n == 0)
        return; // text, pictures, empty elements: nothing inside to collapse
    bool blocks = false;
    for (size_t i = 0; i < n; ++i) {
        const auto& child = el->get_child(int(i));
        walk(child);
        const auto d = child->get_display();
        blocks = blocks || d == litehtml::display_block || d == litehtml::display_list_item ||
                 d == litehtml::display_table;
    }
    // Most elements hold only text and inline elements: no margins meet.
    if (!blocks || !tagOf(el))
        return;
    if (isBlockContainer(el) || el->get_display() == litehtml::display_table_cell ||
        el->get_display() == litehtml::display_inline_block)
        collapseSiblings(el);
    if (isBlockContainer(el))
        foldEdges(el);
}

} // namespace

void TMarginCollapse::apply(const element::ptr& root, bool quirks) {
    if (!root)
        return;
    if (quirks)
        walkQuirks(root);
    walk(root);
}

bool TMarginCollapse::isQuirksPage(const QString& html) {
    static const QRegularExpression doctype(QStringLiteral("<!DOCTYPE\\s+([^>]*)>"),
                                            QRegularExpression::CaseInsensitiveOption);
    // The document type comes first; comments and white space may precede it.
    const auto m = doctype.match(QStringView(html).left(4096));
    if (!m.hasMatch())
        return true;
    const QString type = m.captured(1).toLower();
    const bool systemId =
        type.contains(QLatin1String("http://")) || type.contains(QLatin1String("https://"));
    if (type.contains(QLatin1String("html 2")) || type.contains(QLatin1String("html 3")))
        return true;
    if (!type.contains(QLatin1String("public")))
        return false; // <!DOCTYPE html>
    if (type.contains(QLatin1String("xhtml")))
        return false;
    return !systemId && (type.contains(QLatin1String("transitional")) ||
                         type.contains(QLatin1String("frameset")));
}
