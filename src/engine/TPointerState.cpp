#include "engine/TPointerState.h"

#include "engine/TBoxIndex.h"

namespace {

litehtml::element::ptr commonAncestor(const litehtml::element::ptr& a,
                                      const litehtml::element::ptr& b) {
    for (auto x = a; x; x = x->parent())
        for (auto y = b; y; y = y->parent())
            if (x == y)
                return x;
    return {};
}

} // namespace

void TPointerState::restyle(const litehtml::element::ptr& leaf, const litehtml::element::ptr& stop,
                            const TBoxIndex& index, QVector<QRect>* redraw) const {
    if (!leaf || leaf == stop)
        return;
    // The highest element of the chain that is small enough to style again
    // with everything below it.
    litehtml::element::ptr top = leaf;
    for (auto up = leaf->parent(); up && up != stop; up = up->parent()) {
        if (index.subtreeSize(up.get()) > kRestyleLimit)
            break;
        top = up;
    }
    if (index.subtreeSize(top.get()) > kRestyleLimit)
        return;
    litehtml::position::vector boxes;
    const QPoint o = TBoxIndex::parentOrigin(top);
    if (!top->find_styles_changes(boxes, o.x(), o.y()))
        return;
    if (redraw)
        for (const litehtml::position& b : boxes)
            redraw->push_back(QRect(b.x, b.y, b.width, b.height));
}

bool TPointerState::move(const litehtml::element::ptr& el, const TBoxIndex& index,
                         litehtml::document_container* container, QVector<QRect>* redraw) {
    bool changed = false;
    if (el != m_over) {
        litehtml::element::ptr old = m_over;
        bool stateChanged = false;
        if (old && old->on_mouse_leave())
            stateChanged = true;
        m_over = el;
        if (el && el->on_mouse_over())
            stateChanged = true;
        if (stateChanged) {
            const litehtml::element::ptr common = commonAncestor(old, el);
            const int before = redraw ? int(redraw->size()) : 0;
            restyle(old, common, index, redraw);
            restyle(el, common, index, redraw);
            changed = !redraw || redraw->size() > before;
        }
    }
    if (container) {
        const char* cursor = m_over ? m_over->get_cursor() : nullptr;
        container->set_cursor(cursor ? cursor : "auto");
    }
    return changed;
}

bool TPointerState::leave(const TBoxIndex& index, QVector<QRect>* redraw) {
    litehtml::element::ptr old = std::move(m_over);
    m_over.reset();
    if (!old || !old->on_mouse_leave())
        return false;
    const int before = redraw ? int(redraw->size()) : 0;
    restyle(old, nullptr, index, redraw);
    return !redraw || redraw->size() > before;
}

bool TPointerState::press(const litehtml::element::ptr& el, const TBoxIndex& index,
                          litehtml::document_container* container, QVector<QRect>* redraw) {
    bool changed = move(el, index, container, redraw);
    if (m_over && m_over->on_lbutton_down()) {
        const int before = redraw ? int(redraw->size()) : 0;
        restyle(m_over, nullptr, index, redraw);
        changed = changed || !redraw || redraw->size() > before;
    }
    return changed;
}

bool TPointerState::release(const litehtml::element::ptr& el, const TBoxIndex& index,
                            litehtml::document_container* container, QVector<QRect>* redraw) {
    bool changed = move(el, index, container, redraw);
    if (!m_over)
        return changed;
    // Keep the element alive through its click: following a link may
    // change the page.
    litehtml::element::ptr over = m_over;
    if (over->on_lbutton_up()) {
        const int before = redraw ? int(redraw->size()) : 0;
        restyle(over, nullptr, index, redraw);
        changed = changed || !redraw || redraw->size() > before;
    }
    return changed;
}
