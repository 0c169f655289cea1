#include "engine/TInheritedStyles.h"

#include "engine/TQtContainer.h"

TInheritedStyles::Table*& TInheritedStyles::active() {
    thread_local Table* table = nullptr;
    return table;
}

TInheritedStyles::Pass::Pass() {
    if (active())
        return;
    m_outer = true;
    active() = new Table();
}

TInheritedStyles::Pass::~Pass() {
    if (!m_outer)
        return;
    delete active();
    active() = nullptr;
}

void TInheritedStyles::forget() {
    if (Table* t = active())
        t->entries.fill(Slot{});
}

const litehtml::element*& TInheritedStyles::hintsOnlyFor() {
    thread_local const litehtml::element* only = nullptr;
    return only;
}

bool TInheritedStyles::isDefaultRule(const litehtml::element* el,
                                     const litehtml::css_selector* rule) {
    const TQtContainer* c = TQtContainer::of(el);
    return c && c->isDefaultRule(rule);
}
