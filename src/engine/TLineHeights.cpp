#include "engine/TLineHeights.h"

#include "engine/TTagAccess.h"

static void walk(const litehtml::element::ptr& el, int inheritedPx) {
    auto* tag = dynamic_cast<litehtml::html_tag*>(el.get());
    if (!tag)
        return;
    int childPx = inheritedPx;
    const char* own = tag->get_style_property("line-height", false, nullptr);
    if (own) {
        litehtml::css_length length;
        length.fromString(own, "normal");
        if (length.is_predefined() || length.units() == litehtml::css_units_none)
            childPx = -1; // "normal" and plain numbers are inherited as such
        else
            childPx = tag->*TTagAccess::lineHeight;
    } else if (inheritedPx >= 0) {
        tag->*TTagAccess::lineHeight = inheritedPx;
        tag->*TTagAccess::lineHeightNormal = false;
    }
    for (size_t i = 0; i < el->get_children_count(); ++i)
        walk(el->get_child(int(i)), childPx);
}

void TLineHeights::inherit(const litehtml::element::ptr& root) {
    if (root)
        walk(root, -1);
}
