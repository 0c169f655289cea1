#pragma once

#include <litehtml/litehtml.h>

#include <litehtml/html_tag.h>
#include <litehtml/table.h>

// Reaches the computed style of an element that the layout library keeps to
// itself (its margins, paddings, borders, line height), for the passes that
// mend its layout after a page is parsed. Member pointers taken through this
// derived class work on any element.
struct TTagAccess : litehtml::html_tag {
    using html_tag::html_tag;
    static constexpr litehtml::css_margins litehtml::html_tag::*margins =
        &TTagAccess::m_css_margins;
    static constexpr litehtml::css_margins litehtml::html_tag::*padding =
        &TTagAccess::m_css_padding;
    static constexpr litehtml::css_borders litehtml::html_tag::*borders =
        &TTagAccess::m_css_borders;
    static constexpr int litehtml::html_tag::*lineHeight = &TTagAccess::m_line_height;
    static constexpr bool litehtml::html_tag::*lineHeightNormal = &TTagAccess::m_lh_predefined;
    static constexpr std::unique_ptr<litehtml::table_grid> litehtml::html_tag::*grid =
        &TTagAccess::m_grid;
    static constexpr litehtml::string_map litehtml::html_tag::*attributes = &TTagAccess::m_attrs;
};
