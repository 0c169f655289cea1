#include "engine/TParsedRules.h"

#include "engine/TQtContainer.h"
#include "engine/TStyleStore.h"

#include <cctype>
#include <strings.h>

bool TParsedRules::standsAlone(const std::string& text) {
    auto lower = [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (strncasecmp(text.c_str() + i, "var(", 4) == 0)
            return false;
        if (lower(text[i]) == 'b' && strncasecmp(text.c_str() + i, "background", 10) == 0) {
            std::size_t j = i + 10;
            while (j < text.size() && std::isspace(static_cast<unsigned char>(text[j])))
                ++j;
            if (j < text.size() && text[j] == ':')
                return false; // the shorthand
        }
    }
    return true;
}

const litehtml::props_map* TParsedRules::parsed(const std::string& text, const std::string& baseurl,
                                                const litehtml::element* el) {
    auto it = m_rules.find(&text);
    if (it != m_rules.end() && (it->second.text != text || it->second.baseurl != baseurl)) {
        m_rules.erase(it); // another text at the same address
        it = m_rules.end();
    }
    if (it == m_rules.end()) {
        if (m_rules.size() >= kMaxRules)
            return nullptr;
        Rule rule;
        rule.text = text;
        rule.baseurl = baseurl;
        rule.alone = standsAlone(text);
        if (rule.alone) {
            litehtml::style s;
            s.add(text.c_str(), baseurl.c_str(), el);
            rule.props = std::move(TStyleStore::properties(s));
        }
        it = m_rules.emplace(&text, std::move(rule)).first;
    }
    return it->second.alone ? &it->second.props : nullptr;
}

void TParsedRules::addTo(litehtml::style& style, const litehtml::props_map& props) {
    litehtml::props_map& into = TStyleStore::properties(style);
    for (const auto& [name, value] : props) {
        const auto at = into.find(name);
        if (at == into.end())
            into.emplace(name, value);
        else if (!at->second.m_important || value.m_important)
            at->second = value;
    }
}

TParsedRules* TParsedRules::of(const litehtml::element* el) {
    TQtContainer* c = TQtContainer::of(el);
    return c ? &c->parsedRules() : nullptr;
}
