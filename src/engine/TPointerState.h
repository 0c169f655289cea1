#pragma once

#include <litehtml/litehtml.h>

#include <QRect>
#include <QVector>

class TBoxIndex;

// The element under the pointer and the :hover and :active states it gives
// the page, kept without the layout library's whole-tree walks: the element
// comes from the box index, and only the elements whose state changed (with
// what lies below them) are styled again. The boxes that need repainting
// are returned in document coordinates.
//
// An element with more than kRestyleLimit elements below it is not styled
// again when its state changes: doing so would walk all of them on every
// pointer move. Pages style :hover and :active on links and small boxes.
class TPointerState {
public:
    static constexpr int kRestyleLimit = 4000;

    void reset() { m_over.reset(); }
    const litehtml::element::ptr& over() const { return m_over; }

    // Each returns true when a part of the page needs repainting (`redraw`).
    bool move(const litehtml::element::ptr& el, const TBoxIndex& index,
              litehtml::document_container* container, QVector<QRect>* redraw);
    bool leave(const TBoxIndex& index, QVector<QRect>* redraw);
    bool press(const litehtml::element::ptr& el, const TBoxIndex& index,
               litehtml::document_container* container, QVector<QRect>* redraw);
    // Releases the button; the element's click (a link) follows.
    bool release(const litehtml::element::ptr& el, const TBoxIndex& index,
                 litehtml::document_container* container, QVector<QRect>* redraw);

private:
    // Styles again the chain from `leaf` up to (not including) `stop`.
    void restyle(const litehtml::element::ptr& leaf, const litehtml::element::ptr& stop,
                 const TBoxIndex& index, QVector<QRect>* redraw) const;
    litehtml::element::ptr m_over;
};
