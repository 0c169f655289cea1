#pragma once

#include <litehtml/litehtml.h>

#include <array>
#include <cstdint>
#include <cstring>

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

// An element class of the layout library with its inherited style values
// looked up through TInheritedStyles; the root's style pass opens the
// bracket.
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
            return Base::get_style_property(name, false, def);
        if (!inherited || !TInheritedStyles::inPass())
            return Base::get_style_property(name, inherited, def);
        const char* v = TInheritedStyles::lookup(
            this, name, [&] { return Base::get_style_property(name, true, nullptr); });
        return v ? v : def;
    }

    void parse_styles(bool is_reparse = false) override {
        if (this->parent() || is_reparse) {
            Base::parse_styles(is_reparse);
            return;
        }
        TInheritedStyles::Pass pass;
        Base::parse_styles(is_reparse);
    }
};
