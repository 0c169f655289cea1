#pragma once

#include "engine/TParsedRules.h"
#include "engine/TStyleSharing.h"
#include "engine/TStyleStore.h"

#include <litehtml/litehtml.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <strings.h>
#include <type_traits>

// Inherited style values, remembered while the layout library parses a
// page's styles. The library looks up each inherited property (fonts, text
// alignment, white space, list style, ...) by walking from the element up to
// the root, one property map per level, for every element; a long page of
// nested tables walks the same few ancestors tens of thousands of times.
// While a whole page's styles are parsed (the root's parse_styles()), the
// answer of an ancestor is kept in a small table of the thread, keyed by the
// element and the property name's address, so that a child stops at its
// parent. Nothing is kept outside that pass: a later restyle (hover, a
// change of media) walks as the library does.
class TInheritedStyles {
public:
    // The value of an inherited property `name` of `el`, without a default
    // (nullptr when no ancestor sets it); `walk` asks the library.
    template <class Walk>
    static const char* lookup(const litehtml::element* el, const char* name, Walk walk) {
        Table* t = active();
        if (!t)
            return walk();
        Slot& s = t->entries[slotOf(el, name)];
        if (s.el == el && s.name == name)
            return s.value;
        const char* value = walk();
        // The walk may have filled the slot for an ancestor: take it over.
        Slot& again = t->entries[slotOf(el, name)];
        again = {el, name, value};
        return value;
    }

    // Bracket of the pass over a whole page (nested passes join the outer).
    class Pass {
    public:
        Pass();
        ~Pass();
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;

    private:
        bool m_outer = false;
    };

    // Whether a pass is under way on this thread.
    static bool inPass() { return active() != nullptr; }
    // Drops the answers kept so far (an element's map changed during the
    // pass).
    static void forget();

    // Presentational hints (<font color>, <td bgcolor>, cellpadding ...) go
    // into an element's style between the default sheet's rules and the
    // page's own. The library rebuilds a style from the rules alone when an
    // element is styled again (hover), which lost them: a <font color> in a
    // link took the link's colour for good once the pointer had been over
    // it. Elements rebuild their style in the first order instead; while
    // one does, the hints of that element alone are made again.
    static bool isDefaultRule(const litehtml::element* el, const litehtml::css_selector* rule);
    static const litehtml::element*& hintsOnlyFor();

private:
    struct Slot {
        const litehtml::element* el = nullptr;
        const char* name = nullptr;
        const char* value = nullptr;
    };
    static constexpr int kSlots = 4096;
    struct Table {
        std::array<Slot, kSlots> entries;
    };
    static Table*& active();
    static int slotOf(const litehtml::element* el, const char* name) {
        const std::uintptr_t h = reinterpret_cast<std::uintptr_t>(el) * 31u ^
                                 reinterpret_cast<std::uintptr_t>(name) * 0x9E3779B1u;
        return int((h ^ (h >> 13)) % kSlots);
    }
};

namespace litehtml {
class el_base;
class el_link;
class el_title;
} // namespace litehtml
class TElFormControl;
class TElBreak;
class TElCell;
class TElImage;
class TElTable;

// An element class of the layout library with its inherited style values
// looked up through TInheritedStyles; the root's style pass opens the
// bracket. Its property map lives in the page's TStyleStore (equal maps
// shared) whenever nothing is being added to it: after each style sheet is
// applied to it and its subtree, after its hints, after its parse. Lookups
// are answered from the shared map; whatever adds to the map (a matching
// rule, hints, the style attribute, a refresh on hover) first takes a copy
// back into the element.
template <class Base> class TStyled : public Base {
public:
    using Base::Base;

    const char* get_style_property(const char* name, bool inherited,
                                   const char* def = nullptr) const override {
        // The library reads vertical-align as inherited; it is not (text
        // inside a cell sits on its line's baseline whatever the cell's
        // alignment). Asking each element itself spares the default sheet a
        // rule on every element ("* { vertical-align: baseline }"), parsed
        // and stored for each of them.
        if (inherited && name[0] == 'v' && std::strcmp(name, "vertical-align") == 0)
            return property(name, false, def);
        // An element whose style is done takes no part in the pass's table:
        // the answers kept there may point into its own map, given up since
        // (the shared maps stay while the page does).
        if (!inherited || m_done || !TInheritedStyles::inPass())
            return property(name, inherited, def);
        const char* v =
            TInheritedStyles::lookup(this, name, [&] { return property(name, true, nullptr); });
        return v ? v : def;
    }

    void parse_attributes() override {
        const litehtml::element*& only = TInheritedStyles::hintsOnlyFor();
        if (only && only != this)
            return; // another element's hints are being made again
        if constexpr (std::is_same_v<Base, TElCell>)
            if (!only && hintedLikeOthers())
                return;
        takeBack();
        Base::parse_attributes();
        share();
    }

    void apply_stylesheet(const litehtml::css& sheet) override {
        // The rules that match take the map back (add_style); children
        // share theirs before the next element is styled, so that the maps
        // of a whole page never live at once.
        Base::apply_stylesheet(sheet);
        share();
    }

    void add_style(const litehtml::tstring& style, const litehtml::tstring& baseurl) override {
        takeBack();
        // A rule's text, parsed once for the page.
        if constexpr (kTag)
            if (TStyleSharing::enabled())
                if (TParsedRules* rules = TParsedRules::of(this))
                    if (const litehtml::props_map* props = rules->parsed(style, baseurl, this)) {
                        TParsedRules::addTo(this->m_style, *props);
                        return;
                    }
        Base::add_style(style, baseurl);
    }

    void refresh_styles() override {
        takeBack();
        Base::refresh_styles(); // the children, and the pseudo-elements
        // Elements whose attributes do more than style them (link a style
        // sheet, name the page, fill a form control) are left as they are.
        if constexpr (std::is_base_of_v<litehtml::html_tag, Base> &&
                      !std::is_same_v<Base, litehtml::el_link> &&
                      !std::is_same_v<Base, litehtml::el_base> &&
                      !std::is_same_v<Base, litehtml::el_title> &&
                      !std::is_same_v<Base, TElFormControl>)
            restyleWithHints();
    }

    void parse_styles(bool is_reparse = false) override {
        const bool again = m_done;
        if (m_done && TInheritedStyles::inPass())
            TInheritedStyles::forget(); // styled again within the pass
        m_done = false;
        // The library adds the style attribute to the map itself; without
        // one the parse only reads it.
        if constexpr (kTag)
            if (m_shared && this->get_attr("style"))
                takeBack();
        if constexpr (kTag)
            if (!is_reparse)
                if (TStyleSharing* sharing = TStyleSharing::active()) {
                    parseSharing(*sharing);
                    m_done = true;
                    return;
                }
        if (this->parent() || is_reparse) {
            Base::parse_styles(is_reparse);
            share();
        } else {
            {
                TInheritedStyles::Pass pass;
                // Results are shared in the page's first pass only: a later
                // one (a change of media) starts from what the first left.
                TStyleSharing::Pass sharing(kTag && !is_reparse && !again ? this : nullptr);
                if constexpr (kTag)
                    if (TStyleSharing* s = TStyleSharing::active())
                        parseSharing(*s);
                    else
                        Base::parse_styles(is_reparse);
                else
                    Base::parse_styles(is_reparse);
            }
            share();
            if constexpr (kTag)
                if (TStyleStore* store = TStyleStore::of(this))
                    store->dropUnused(); // the whole page is styled
        }
        m_done = true;
    }

    // The shared map this element answers from (null while its own).
    const litehtml::style* sharedStyle() const { return m_shared.get(); }

private:
    // Elements with a property map of their own (<style> and <script> have
    // none).
    static constexpr bool kTag = std::is_base_of_v<litehtml::html_tag, Base>;
    // Elements whose parse sets only fields that follow from its inputs,
    // and so can take the results of a like element: the library's plain
    // parse, and a table's (which adds its cell spacing). Pictures, breaks
    // and form controls parse more, from their attributes or their
    // siblings; the few others do more than style.
    static constexpr bool kShareable =
        kTag && !std::is_same_v<Base, TElImage> && !std::is_same_v<Base, TElBreak> &&
        !std::is_same_v<Base, TElFormControl> && !std::is_same_v<Base, litehtml::el_link> &&
        !std::is_same_v<Base, litehtml::el_base> && !std::is_same_v<Base, litehtml::el_title>;

    // The first pass over a page: this element's own parse (the library's,
    // or the results of a like element parsed before), then its children in
    // order, as the library goes.
    void parseSharing(TStyleSharing& sharing) {
        const litehtml::element::ptr up = this->parent();
        const int parentClass = sharing.parentClassOf(up.get());
        const litehtml::style* map = m_shared.get(); // null: a style attribute
        const bool canShare = kShareable && parentClass >= 0 && map;
        const auto* like =
            canShare ? static_cast<const TStyled*>(sharing.find(parentClass, map, typeid(TStyled)))
                     : nullptr;
        if (like) {
            takeResultsOf(*like);
            sharing.countShared();
        } else {
            const int pictures = sharing.pictureRequests();
            {
                // The library parses the children at the end; they are
                // parsed below, each with the chance to share.
                Detached detached(this->m_children);
                Base::parse_styles(false);
            }
            share();
            if (canShare)
                sharing.remember(parentClass, map, typeid(TStyled), this,
                                 sharing.pictureRequests() == pictures);
            sharing.countParsed();
        }
        const TStyleSharing::Scope outer =
            sharing.enter(this, sharing.childClass(parentClass, m_shared.get()));
        for (const auto& child : this->m_children)
            child->parse_styles();
        sharing.leave(outer);
    }

    // A cell's hints (the table's padding and border, its own colour,
    // sizes and alignment) come from its attributes and its table's, and go
    // on top of the map the default rules gave it: cells alike in these
    // take the map made for the first of them. The first making of a cell's
    // hints only; its children follow, as the library takes them.
    bool hintedLikeOthers() {
        if (!m_shared || !TStyleSharing::enabled())
            return false;
        TStyleStore* store = TStyleStore::of(this);
        if (!store)
            return false;
        const std::string inputs =
            std::to_string(reinterpret_cast<std::uintptr_t>(m_shared.get())) + '@' +
            this->hintInputs();
        if (const TStyleStore::Entry* map = store->hinted(inputs)) {
            m_shared = *map;
        } else {
            takeBack();
            {
                Detached detached(this->m_children);
                Base::parse_attributes();
            }
            share();
            if (m_shared)
                store->rememberHinted(inputs, m_shared);
        }
        for (const auto& child : this->m_children)
            child->parse_attributes();
        return true;
    }

    // Children taken out of an element for the length of a scope.
    class Detached {
    public:
        explicit Detached(litehtml::elements_vector& children) : m_children(children) {
            m_kept.swap(m_children);
        }
        ~Detached() { m_kept.swap(m_children); }
        Detached(const Detached&) = delete;
        Detached& operator=(const Detached&) = delete;

    private:
        litehtml::elements_vector& m_children;
        litehtml::elements_vector m_kept;
    };

    // What the library's parse of `like` set, and what it did besides
    // (a table's part goes on the page's list of them). Its font is the
    // page's cached one for the same face and size.
    void takeResultsOf(const TStyled& like) {
        this->m_font_size = like.m_font_size;
        this->m_font = like.m_font;
        this->m_font_metrics = like.m_font_metrics;
        this->m_el_position = like.m_el_position;
        this->m_text_align = like.m_text_align;
        this->m_overflow = like.m_overflow;
        this->m_white_space = like.m_white_space;
        this->m_display = like.m_display;
        this->m_visibility = like.m_visibility;
        this->m_box_sizing = like.m_box_sizing;
        this->m_z_index = like.m_z_index;
        this->m_vertical_align = like.m_vertical_align;
        this->m_float = like.m_float;
        this->m_clear = like.m_clear;
        this->m_css_text_indent = like.m_css_text_indent;
        this->m_css_width = like.m_css_width;
        this->m_css_height = like.m_css_height;
        this->m_css_min_width = like.m_css_min_width;
        this->m_css_min_height = like.m_css_min_height;
        this->m_css_max_width = like.m_css_max_width;
        this->m_css_max_height = like.m_css_max_height;
        this->m_css_offsets = like.m_css_offsets;
        this->m_css_margins = like.m_css_margins;
        this->m_css_padding = like.m_css_padding;
        this->m_css_borders = like.m_css_borders;
        this->m_margins = like.m_margins;
        this->m_padding = like.m_padding;
        this->m_borders = like.m_borders;
        this->m_line_height = like.m_line_height;
        this->m_lh_predefined = like.m_lh_predefined;
        this->m_list_style_type = like.m_list_style_type;
        this->m_list_style_position = like.m_list_style_position;
        this->m_bg = like.m_bg;
        if constexpr (std::is_same_v<Base, TElTable>) {
            this->m_border_collapse = like.m_border_collapse;
            this->m_css_border_spacing_x = like.m_css_border_spacing_x;
            this->m_css_border_spacing_y = like.m_css_border_spacing_y;
            this->m_border_spacing_x = like.m_border_spacing_x;
            this->m_border_spacing_y = like.m_border_spacing_y;
        }
        switch (this->m_float == litehtml::float_none ? this->m_display : litehtml::display_none) {
        case litehtml::display_table:
        case litehtml::display_inline_table:
        case litehtml::display_table_caption:
        case litehtml::display_table_cell:
        case litehtml::display_table_column:
        case litehtml::display_table_column_group:
        case litehtml::display_table_footer_group:
        case litehtml::display_table_header_group:
        case litehtml::display_table_row:
        case litehtml::display_table_row_group:
            this->get_document()->add_tabular(this->shared_from_this());
            break;
        default:
            break;
        }
    }

    // The library's lookup: the element's own value, its parent's when it
    // has none and the property is inherited or when it says "inherit",
    // else the default.
    const char* property(const char* name, bool inherited, const char* def) const {
        if (!m_shared)
            return Base::get_style_property(name, inherited, def);
        const char* v = m_shared->get_property(name);
        if ((v && strcasecmp(v, "inherit") == 0) || (!v && inherited))
            if (const litehtml::element::ptr up = this->parent())
                v = up->get_style_property(name, inherited, def);
        return v ? v : def;
    }

    void takeBack() {
        if constexpr (kTag) {
            if (!m_shared)
                return;
            TStyleStore::properties(this->m_style) = TStyleStore::properties(*m_shared);
            m_shared.reset();
        }
    }

    // Gives the element's own map to the page's store.
    void share() {
        if constexpr (kTag)
            if (!m_shared)
                if (TStyleStore* store = TStyleStore::of(this))
                    m_shared = store->intern(this->m_style);
    }

    void restyleWithHints() {
        // This element's style: the default rules, its hints, the page's
        // rules, each in the order they were applied.
        this->m_style.clear();
        for (const auto& used : this->m_used_styles)
            if (used->m_used && TInheritedStyles::isDefaultRule(this, used->m_selector.get()))
                this->add_style(used->m_selector->m_style, used->m_selector->m_baseurl);
        {
            const litehtml::element*& only = TInheritedStyles::hintsOnlyFor();
            const litehtml::element* outer = only;
            only = this;
            Base::parse_attributes();
            only = outer;
        }
        for (const auto& used : this->m_used_styles)
            if (used->m_used && !TInheritedStyles::isDefaultRule(this, used->m_selector.get()))
                this->add_style(used->m_selector->m_style, used->m_selector->m_baseurl);
    }

    TStyleStore::Entry m_shared;
    bool m_done = false; // parsed
};
