#include "engine/TTableFit.h"

#include "engine/TPixelRect.h"
#include "engine/TTagAccess.h"

#include <algorithm>
#include <cmath>
#include <vector>

static bool isPixels(const litehtml::css_length& l) {
    return !l.is_predefined() && l.units() != litehtml::css_units_percentage && l.val() > 0;
}

int TTableFit::render(litehtml::element* table, int maxWidth, const std::function<int()>& render) {
    int ret = render();
    // Widths of hostile pages reach the ends of int: the difference is taken
    // wider.
    const long long excess = (long long)table->width() - maxWidth;
    if (excess <= 0 && maxWidth > 0 && ret > maxWidth && !isPixels(table->get_css_width())) {
        // Laid out within its width, the table still asks its container for
        // more (its fixed columns counted with the other columns' widest
        // content), which pushed an enclosing table wider than the window.
        return maxWidth;
    }
    auto* tag = dynamic_cast<litehtml::html_tag*>(table);
    if (excess <= 0 || maxWidth <= 0 || !tag || isPixels(table->get_css_width()))
        return ret;
    litehtml::table_grid* grid = (tag->*TTagAccess::grid).get();
    if (!grid)
        return ret;
    // The columns' widths as the table's cells give them (fixed in pixels).
    std::vector<litehtml::css_length> widths;
    long long fixed = 0;
    for (int c = 0; c < grid->cols_count(); ++c) {
        widths.push_back(grid->column(c).css_width);
        if (isPixels(widths.back()))
            fixed += TPixelRect::fromLength(widths.back().val());
    }
    if (fixed <= 0)
        return ret;
    const double factor = double(std::max(0LL, fixed - excess)) / double(fixed);
    for (int c = 0; c < grid->cols_count(); ++c) {
        if (!isPixels(widths[c]))
            continue;
        litehtml::css_length scaled;
        scaled.set_value(float(std::floor(widths[c].val() * factor)), litehtml::css_units_px);
        grid->column(c).css_width = scaled;
    }
    ret = render();
    for (int c = 0; c < grid->cols_count(); ++c)
        grid->column(c).css_width = widths[c];
    return ret;
}
