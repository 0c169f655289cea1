#include "engine/TInheritedStyles.h"

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
