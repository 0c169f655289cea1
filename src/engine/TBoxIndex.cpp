#include "engine/TBoxIndex.h"

#include "engine/TPixelRect.h"

#include <litehtml/el_image.h>

#include <algorithm>
#include <climits>

using litehtml::element;

namespace {

bool isRowGroup(litehtml::style_display d) {
    return d == litehtml::display_table_row_group || d == litehtml::display_table_header_group ||
           d == litehtml::display_table_footer_group;
}

bool isTable(litehtml::style_display d) {
    return d == litehtml::display_table || d == litehtml::display_inline_table;
}

} // namespace

void TBoxIndex::clear() {
    m_nodes.clear();
    m_nodeOf.clear();
    m_pictures.clear();
    m_scratch.clear();
    m_root = -1;
    m_elements = 0;
    m_positioned = false;
}

void TBoxIndex::build(const element::ptr& root) {
    clear();
    if (!root)
        return;
    Extent e = visit(root.get(), QPoint(0, 0));
    m_root = e.node;
    m_scratch.clear();
    m_scratch.shrink_to_fit();
    if (m_root < 0) {
        // A small page: the library walks it quickly enough.
        m_nodes.clear();
        return;
    }
    m_nodeOf.reserve(int(m_nodes.size()));
    for (size_t i = 0; i < m_nodes.size(); ++i)
        m_nodeOf.insert(m_nodes[i].el, int(i));
}

// `origin` moved by a box's position, bounded: positions on a hostile page
// can be anything.
static QPoint moved(const QPoint& origin, const litehtml::position& pos) {
    return QPoint(TPixelRect::bounded(qint64(origin.x()) + pos.x),
                  TPixelRect::bounded(qint64(origin.y()) + pos.y));
}

int TBoxIndex::subtreeSize(const element* el) const {
    auto it = m_nodeOf.constFind(el);
    return it == m_nodeOf.cend() ? 1 : m_nodes[size_t(*it)].size;
}

TBoxIndex::Extent TBoxIndex::ownBox(element* el, const QPoint& origin) const {
    const litehtml::position& pos = el->get_position();
    Extent e{INT_MAX, INT_MIN, INT_MAX, INT_MIN, 1, -1};
    // Positions on a hostile page can be anything: sum wide, then bound.
    const qint64 x = origin.x(), y = origin.y();
    const int l = TPixelRect::bounded(x - el->padding_left() - el->border_left());
    const int t = TPixelRect::bounded(y - el->padding_top() - el->border_top());
    const int r =
        TPixelRect::bounded(x + pos.width + qint64(el->padding_right()) + el->border_right());
    const int b =
        TPixelRect::bounded(y + pos.height + qint64(el->padding_bottom()) + el->border_bottom());
    // A box with no width and no height (an inline element) is not a box.
    if (r >= l && b >= t && (r > l || b > t))
        e = Extent{t, b, l, r, 1, -1};
    return e;
}

static void unite(int& top, int& bottom, int& left, int& right, int t, int b, int l, int r) {
    top = std::min(top, t);
    bottom = std::max(bottom, b);
    left = std::min(left, l);
    right = std::max(right, r);
}

TBoxIndex::Extent TBoxIndex::visit(element* el, const QPoint& parentOrigin) {
    ++m_elements;
    const litehtml::style_display display = el->get_display();
    if (display == litehtml::display_none)
        return Extent{INT_MAX, INT_MIN, INT_MAX, INT_MIN, 1, -1};
    if (el->is_positioned())
        m_positioned = true;
    if (isTable(display))
        return visitTable(el, parentOrigin);
    const litehtml::position& pos = el->get_position();
    const QPoint origin = moved(parentOrigin, pos);
    Extent e = ownBox(el, origin);
    if (dynamic_cast<litehtml::el_image*>(el) && e.bottom > e.top)
        m_pictures.push_back({el, QRect(e.left, e.top, e.right - e.left, e.bottom - e.top)});
    const size_t count = el->get_children_count();
    const size_t mark = m_scratch.size();
    for (size_t i = 0; i < count; ++i) {
        element* child = el->get_child(int(i)).get();
        Extent c = visit(child, origin);
        e.size += c.size;
        unite(e.top, e.bottom, e.left, e.right, c.top, c.bottom, c.left, c.right);
        m_scratch.push_back({child, c.top, c.bottom, c.left, c.right, c.node});
    }
    if (e.size > kBigSubtree) {
        Node n;
        n.el = el;
        n.origin = origin;
        n.clips = el->get_overflow() > litehtml::overflow_visible;
        n.size = e.size;
        n.children.assign(m_scratch.begin() + long(mark), m_scratch.end());
        e.node = addNode(std::move(n));
    }
    m_scratch.resize(mark);
    return e;
}

TBoxIndex::Extent TBoxIndex::visitRow(element* row, const QPoint& tableOrigin) {
    ++m_elements;
    const litehtml::position& pos = row->get_position();
    Extent e = ownBox(row, moved(tableOrigin, pos));
    const size_t mark = m_scratch.size();
    for (size_t i = 0; i < row->get_children_count(); ++i) {
        element* cell = row->get_child(int(i)).get();
        // Cells are measured from the table, as the rows are.
        Extent c = visit(cell, tableOrigin);
        e.size += c.size;
        unite(e.top, e.bottom, e.left, e.right, c.top, c.bottom, c.left, c.right);
        m_scratch.push_back({cell, c.top, c.bottom, c.left, c.right, c.node});
    }
    Node n;
    n.kind = Node::Kind::Row;
    n.el = row;
    n.origin = tableOrigin;
    n.size = e.size;
    n.children.assign(m_scratch.begin() + long(mark), m_scratch.end());
    m_scratch.resize(mark);
    e.node = addNode(std::move(n));
    return e;
}

TBoxIndex::Extent TBoxIndex::visitTable(element* table, const QPoint& parentOrigin) {
    const litehtml::position& pos = table->get_position();
    const QPoint origin = moved(parentOrigin, pos);
    Extent e = ownBox(table, origin);
    const size_t nodesBefore = m_nodes.size();
    const size_t mark = m_scratch.size();
    auto addRow = [&](element* row) {
        Extent r = visitRow(row, origin);
        e.size += r.size;
        unite(e.top, e.bottom, e.left, e.right, r.top, r.bottom, r.left, r.right);
        m_scratch.push_back({row, r.top, r.bottom, r.left, r.right, r.node});
    };
    for (size_t i = 0; i < table->get_children_count(); ++i) {
        element* child = table->get_child(int(i)).get();
        const litehtml::style_display d = child->get_display();
        if (d == litehtml::display_table_row) {
            addRow(child);
        } else if (isRowGroup(d)) {
            ++e.size;
            ++m_elements;
            for (size_t k = 0; k < child->get_children_count(); ++k) {
                element* row = child->get_child(int(k)).get();
                if (row->get_display() == litehtml::display_table_row)
                    addRow(row);
            }
        }
        // Anything else in a table is not drawn by the library.
    }
    if (e.size > kBigSubtree) {
        Node n;
        n.kind = Node::Kind::Table;
        n.el = table;
        n.origin = origin;
        n.size = e.size;
        n.children.assign(m_scratch.begin() + long(mark), m_scratch.end());
        e.node = addNode(std::move(n));
    } else {
        // A small table goes to the library whole: forget its rows.
        m_nodes.resize(nodesBefore);
        e.node = -1;
    }
    m_scratch.resize(mark);
    return e;
}

int TBoxIndex::addNode(Node&& node) {
    const size_t n = node.children.size();
    node.maxBottom.resize(n);
    node.minTop.resize(n);
    int running = INT_MIN;
    for (size_t i = 0; i < n; ++i) {
        running = std::max(running, node.children[i].bottom);
        node.maxBottom[i] = running;
    }
    running = INT_MAX;
    for (size_t i = n; i-- > 0;) {
        running = std::min(running, node.children[i].top);
        node.minTop[i] = running;
    }
    node.children.shrink_to_fit();
    m_nodes.push_back(std::move(node));
    return int(m_nodes.size()) - 1;
}

std::pair<size_t, size_t> TBoxIndex::range(const Node& n, int top, int bottom) const {
    // Edges count as inside, as in the library's own tests.
    const size_t lo =
        size_t(std::lower_bound(n.maxBottom.begin(), n.maxBottom.end(), top) - n.maxBottom.begin());
    const size_t hi =
        size_t(std::upper_bound(n.minTop.begin(), n.minTop.end(), bottom) - n.minTop.begin());
    return {lo, std::max(lo, hi)};
}

void TBoxIndex::draw(litehtml::uint_ptr hdc, const litehtml::position& clip) const {
    if (m_root < 0)
        return;
    const Node& root = m_nodes[size_t(m_root)];
    root.el->draw(hdc, 0, 0, &clip);
    for (litehtml::draw_flag flag :
         {litehtml::draw_block, litehtml::draw_floats, litehtml::draw_inlines})
        drawNode(root, hdc, clip, flag);
}

void TBoxIndex::drawNode(const Node& n, litehtml::uint_ptr hdc, const litehtml::position& clip,
                         litehtml::draw_flag flag) const {
    const QPoint o = n.origin;
    litehtml::document_container* container = nullptr;
    if (n.clips) {
        container = n.el->get_document()->container();
        litehtml::position box = n.el->get_position();
        box.x = o.x();
        box.y = o.y();
        container->set_clip(box, litehtml::border_radiuses(), true, true);
    }
    if (n.kind == Node::Kind::Row && flag == litehtml::draw_block)
        n.el->draw_background(hdc, o.x(), o.y(), &clip);
    auto [lo, hi] = range(n, clip.top(), clip.bottom());
    for (size_t i = lo; i < hi; ++i) {
        const Child& c = n.children[i];
        if (c.bottom < clip.top() || c.top > clip.bottom() || c.right < clip.left() ||
            c.left > clip.right())
            continue;
        element* el = c.el;
        if (n.kind == Node::Kind::Table) {
            drawNode(m_nodes[size_t(c.node)], hdc, clip, flag);
            continue;
        }
        if (n.kind == Node::Kind::Row) {
            // A cell, as the library's table drawing does it.
            if (flag == litehtml::draw_block)
                el->draw(hdc, o.x(), o.y(), &clip);
            if (c.node >= 0)
                drawNode(m_nodes[size_t(c.node)], hdc, clip, flag);
            else
                el->draw_children(hdc, o.x(), o.y(), &clip, flag, 0);
            continue;
        }
        if (!el->is_visible())
            continue;
        bool descend = true;
        const bool floating = el->get_float() != litehtml::float_none;
        switch (flag) {
        case litehtml::draw_block:
            if (!el->is_inline_box() && !floating)
                el->draw(hdc, o.x(), o.y(), &clip);
            break;
        case litehtml::draw_floats:
            if (floating) {
                el->draw(hdc, o.x(), o.y(), &clip);
                el->draw_stacking_context(hdc, o.x(), o.y(), &clip, false);
                descend = false;
            }
            break;
        case litehtml::draw_inlines:
            if (el->is_inline_box() && !floating) {
                el->draw(hdc, o.x(), o.y(), &clip);
                if (el->get_display() == litehtml::display_inline_block) {
                    el->draw_stacking_context(hdc, o.x(), o.y(), &clip, false);
                    descend = false;
                }
            }
            break;
        default:
            break;
        }
        if (!descend || floating || el->get_display() == litehtml::display_inline_block)
            continue;
        if (c.node >= 0)
            drawNode(m_nodes[size_t(c.node)], hdc, clip, flag);
        else
            el->draw_children(hdc, o.x(), o.y(), &clip, flag, 0);
    }
    if (container)
        container->del_clip();
}

element::ptr TBoxIndex::elementAt(const QPoint& p) const {
    if (m_root < 0)
        return {};
    const Node& root = m_nodes[size_t(m_root)];
    element::ptr hit = hitNode(root, p);
    if (!hit && root.el->is_point_inside(p.x(), p.y()))
        hit = root.el->shared_from_this();
    return hit;
}

element::ptr TBoxIndex::hitNode(const Node& n, const QPoint& p) const {
    const QPoint rel = p - n.origin;
    auto [lo, hi] = range(n, p.y(), p.y());
    for (size_t i = hi; i-- > lo;) {
        const Child& c = n.children[i];
        if (p.y() < c.top || p.y() > c.bottom || p.x() < c.left || p.x() > c.right)
            continue;
        element* el = c.el;
        if (n.kind == Node::Kind::Table) {
            if (element::ptr hit = hitNode(m_nodes[size_t(c.node)], p))
                return hit;
            continue;
        }
        if (!el->is_visible() || el->get_display() == litehtml::display_inline_text)
            continue;
        element::ptr hit;
        if (c.node >= 0)
            hit = hitNode(m_nodes[size_t(c.node)], p);
        else
            hit = el->get_element_by_point(rel.x(), rel.y(), p.x(), p.y());
        if (!hit && el->is_point_inside(rel.x(), rel.y()))
            hit = el->shared_from_this();
        if (hit)
            return hit;
    }
    return {};
}

QPoint TBoxIndex::parentOrigin(const element::ptr& el) {
    QPoint o;
    for (element::ptr a = el ? el->parent() : nullptr; a; a = a->parent()) {
        const litehtml::style_display d = a->get_display();
        // Rows and their groups do not move their cells: both are measured
        // from the table.
        if (d == litehtml::display_table_row || isRowGroup(d))
            continue;
        const litehtml::position& pos = a->get_position();
        o = moved(o, pos);
    }
    return o;
}

QRect TBoxIndex::borderBox(const element::ptr& el) {
    const QPoint o = parentOrigin(el);
    const litehtml::position& pos = el->get_position();
    return QRect(o.x() + pos.x - el->padding_left() - el->border_left(),
                 o.y() + pos.y - el->padding_top() - el->border_top(),
                 pos.width + el->padding_left() + el->padding_right() + el->border_left() +
                     el->border_right(),
                 pos.height + el->padding_top() + el->padding_bottom() + el->border_top() +
                     el->border_bottom());
}
