#pragma once

#include <litehtml/litehtml.h>

#include <QHash>
#include <QPoint>
#include <QRect>
#include <QVector>

#include <vector>

// Where the laid-out boxes of a page lie, so that painting a screen, hit
// testing and hover visit only the boxes near a point or a rectangle instead
// of the whole tree. Built once after each layout.
//
// Only the large parts of the tree are indexed: an element with more than
// kBigSubtree elements below it keeps the extents of its children (the box
// of each child together with everything drawn inside it), ordered so that
// the children reaching a band of the page are found by binary search. A
// small subtree is handed to the layout library whole.
class TBoxIndex {
public:
    static constexpr int kBigSubtree = 200;

    void clear();
    void build(const litehtml::element::ptr& root);
    bool isEmpty() const { return m_nodes.empty(); }
    // False when the page has positioned boxes (their stacking order is the
    // library's business): paint and hit tests then go through the library.
    bool canCull() const { return !m_nodes.empty() && !m_positioned; }
    // Elements below `el` (itself included); small subtrees report 1.
    int subtreeSize(const litehtml::element* el) const;
    int elementCount() const { return m_elements; }

    // Paints the part `clip` of the page (document coordinates) as the
    // library's document::draw would, visiting only the boxes that reach it.
    void draw(litehtml::uint_ptr hdc, const litehtml::position& clip) const;
    // The element under a document point, as the library's hit test finds
    // it (text is never returned, its element is).
    litehtml::element::ptr elementAt(const QPoint& p) const;
    // Document position of the point the library measures an element's own
    // position from (its parent's content box; a table's for rows and
    // cells).
    static QPoint parentOrigin(const litehtml::element::ptr& el);
    // Border box of an element in document coordinates.
    static QRect borderBox(const litehtml::element::ptr& el);
    // Pictures of the page with their boxes (document coordinates).
    struct Picture {
        litehtml::element* el;
        QRect box;
    };
    const std::vector<Picture>& pictures() const { return m_pictures; }

private:
    struct Child {
        litehtml::element* el;
        int top, bottom, left, right; // extent, document coordinates
        int node;                     // index in m_nodes, or -1 (small)
    };
    struct Node {
        litehtml::element* el = nullptr;
        enum class Kind { Box, Table, Row };
        Kind kind = Kind::Box;
        QPoint origin; // where the children's positions are measured from
        bool clips = false;
        std::vector<Child> children;
        std::vector<int> maxBottom; // running maximum of the bottoms
        std::vector<int> minTop;    // minimum of the tops from i to the end
        int size = 1;
    };
    struct Extent {
        int top, bottom, left, right;
        int size;
        int node;
    };
    Extent visit(litehtml::element* el, const QPoint& parentOrigin);
    Extent visitTable(litehtml::element* table, const QPoint& parentOrigin);
    Extent visitRow(litehtml::element* row, const QPoint& tableOrigin);
    Extent ownBox(litehtml::element* el, const QPoint& origin) const;
    // Children of the elements being visited, before they find a node.
    std::vector<Child> m_scratch;
    int addNode(Node&& node);
    // Range of children whose extent may reach [top, bottom] (edges in).
    std::pair<size_t, size_t> range(const Node& n, int top, int bottom) const;
    void drawNode(const Node& n, litehtml::uint_ptr hdc, const litehtml::position& clip,
                  litehtml::draw_flag flag) const;
    litehtml::element::ptr hitNode(const Node& n, const QPoint& p) const;

    std::vector<Node> m_nodes;
    QHash<const litehtml::element*, int> m_nodeOf;
    std::vector<Picture> m_pictures;
    int m_root = -1;
    int m_elements = 0;
    bool m_positioned = false;
};
