#pragma once

#include <litehtml/litehtml.h>

#include <functional>

// Fits a table into the width it is given the way browsers do: a cell's
// width in pixels is what the author wished, not a minimum. The layout
// library made it a minimum, so a table with a 700-pixel cell pushed a page
// laid out at 500 pixels sideways where a browser shrinks the cell. When a
// table without a width of its own in pixels comes out wider than it may
// be, its fixed cell widths are scaled down so that the table fits (no
// further than the cells' content allows) and it is laid out again; the
// widths are put back afterwards, so each layout starts from the page's.
class TTableFit {
public:
    // `render` lays the table out once with the current cell widths and
    // returns what the library's render returns.
    static int render(litehtml::element* table, int maxWidth, const std::function<int()>& render);
};
