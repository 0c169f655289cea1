#include "engine/TStyleStore.h"

#include "engine/TQtContainer.h"

#include <functional>
#include <string_view>

namespace {

// The library keeps a style's properties private. An explicit instantiation
// may name a private member; the friend function it defines hands the
// member pointer out.
struct StyleProperties {
    using type = litehtml::props_map litehtml::style::*;
    friend type memberOf(StyleProperties);
};

template <class Tag, typename Tag::type Member> struct Expose {
    friend typename Tag::type memberOf(Tag) { return Member; }
};

template struct Expose<StyleProperties, &litehtml::style::m_properties>;

} // namespace

const litehtml::props_map& TStyleStore::properties(const litehtml::style& style) {
    return style.*memberOf(StyleProperties{});
}

litehtml::props_map& TStyleStore::properties(litehtml::style& style) {
    return style.*memberOf(StyleProperties{});
}

const TStyleStore::Entry* TStyleStore::hinted(const std::string& inputs) const {
    const auto it = m_hinted.find(inputs);
    return it != m_hinted.end() ? &it->second : nullptr;
}

void TStyleStore::rememberHinted(const std::string& inputs, const Entry& map) {
    if (m_hinted.size() < kMaxHinted)
        m_hinted.emplace(inputs, map);
}

void TStyleStore::dropUnused() {
    m_hinted.clear();
    std::erase_if(m_entries, [](const auto& e) { return e.second.use_count() == 1; });
}

TStyleStore* TStyleStore::of(const litehtml::element* el) {
    TQtContainer* c = TQtContainer::of(el);
    return c ? &c->styleStore() : nullptr;
}

std::size_t TStyleStore::hashOf(const litehtml::props_map& props) {
    std::size_t h = props.size();
    const std::hash<std::string_view> hash;
    for (const auto& [name, value] : props) {
        h = h * 1000003u ^ hash(name);
        h = h * 1000003u ^ hash(value.m_value) ^ std::size_t(value.m_important);
    }
    return h;
}

bool TStyleStore::equal(const litehtml::props_map& a, const litehtml::props_map& b) {
    if (a.size() != b.size())
        return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (i->first != j->first || i->second.m_value != j->second.m_value ||
            i->second.m_important != j->second.m_important)
            return false;
    return true;
}

TStyleStore::Entry TStyleStore::intern(litehtml::style& style) {
    litehtml::props_map& props = properties(style);
    ++m_interned;
    const std::size_t h = hashOf(props);
    const auto [first, last] = m_entries.equal_range(h);
    for (auto it = first; it != last; ++it)
        if (equal(properties(*it->second), props)) {
            props.clear();
            return it->second;
        }
    auto entry = std::make_shared<litehtml::style>();
    properties(*entry) = std::move(props);
    props.clear();
    m_entries.emplace(h, entry);
    return entry;
}
