#pragma once

#include <litehtml/litehtml.h>

#include <cstddef>
#include <string>
#include <unordered_map>

// The declarations of a page's style rules, each parsed once. The layout
// library parses a rule's text again for every element the rule applies to
// (a rule for td on a page of ten thousand cells is parsed ten thousand
// times). Parsing a text into an empty map and then adding that map's
// properties to the element's, each by the library's own rule (a value
// replaces the one there unless that one is important and the new one is
// not), gives the element the same properties as parsing into its map
// directly, for every text whose parse reads nothing but the text: texts
// with a "background" shorthand (whose position is appended to the one
// already in the map) or a var() (looked up on the element) are parsed the
// library's way each time.
class TParsedRules {
public:
    // The properties of `text` (a rule's declarations, against `baseurl`),
    // or null when the text has to be parsed into each element's map.
    // `el` is the element being styled (the library's parse asks for it).
    const litehtml::props_map* parsed(const std::string& text, const std::string& baseurl,
                                      const litehtml::element* el);
    // The rules of the page an element belongs to (null for a page not made
    // by TQtContainer).
    static TParsedRules* of(const litehtml::element* el);
    // Adds `props` to `style` as the library's parse of their text would.
    static void addTo(litehtml::style& style, const litehtml::props_map& props);
    // Whether the parse of `text` depends on nothing but the text.
    static bool standsAlone(const std::string& text);

    std::size_t size() const { return m_rules.size(); }

private:
    struct Rule {
        std::string text;
        std::string baseurl;
        bool alone = false;
        litehtml::props_map props;
    };
    // Rules by the address of their text (a rule's text lives as long as
    // the page's style sheets); the text is compared too, so that an
    // address used again by another text is never taken for the first.
    std::unordered_map<const std::string*, Rule> m_rules;
    static constexpr std::size_t kMaxRules = 8192;
};
