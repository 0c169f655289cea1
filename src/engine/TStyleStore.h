#pragma once

#include <litehtml/litehtml.h>

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>

// The property maps of a page's elements, each distinct map kept once.
// Most elements of a long page carry one of a few maps (every cell of a
// bordered table, every paragraph of a class), and between the steps that
// build a map (each style sheet, the presentational hints, the style
// attribute) and after the parse the layout library only reads it. An
// element gives its map to intern() and keeps the shared copy it gets back;
// the copy never changes, and lives as long as the store or an element holds
// it, so values read from it stay valid while the page does.
class TStyleStore {
public:
    using Entry = std::shared_ptr<const litehtml::style>;

    // The shared map equal to `style` (names, values and importance); takes
    // its properties, leaving `style` empty.
    Entry intern(litehtml::style& style);
    // Lets go of the maps no element holds any more (those an element had
    // between one style sheet and the next, before its hints or its style
    // attribute), once the page is styled.
    void dropUnused();

    // The map of the cells whose hints were made from `inputs` (the map
    // before, named by its address, and TElCell::hintInputs), when one such
    // cell was seen before the page was styled; null otherwise.
    const Entry* hinted(const std::string& inputs) const;
    void rememberHinted(const std::string& inputs, const Entry& map);

    // The store of the page an element belongs to (null for a page not
    // made by TQtContainer).
    static TStyleStore* of(const litehtml::element* el);

    // Distinct maps held, and the maps given to intern().
    std::size_t size() const { return m_entries.size(); }
    std::size_t interned() const { return m_interned; }

    // The properties of a style, which the library keeps to itself.
    static const litehtml::props_map& properties(const litehtml::style& style);
    static litehtml::props_map& properties(litehtml::style& style);

private:
    static std::size_t hashOf(const litehtml::props_map& props);
    static bool equal(const litehtml::props_map& a, const litehtml::props_map& b);

    std::unordered_multimap<std::size_t, Entry> m_entries;
    std::size_t m_interned = 0;
    // Cells' maps by the inputs of their hints (until dropUnused()).
    std::unordered_map<std::string, Entry> m_hinted;
    static constexpr std::size_t kMaxHinted = 4096;
};
