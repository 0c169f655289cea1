#include "engine/TFontPool.h"

TFontPool& TFontPool::instance() {
    static TFontPool pool;
    return pool;
}

TFontEntry* TFontPool::acquire(const QString& key, const std::function<QFont()>& make) {
    if (TFontEntry* found = m_byKey.value(key)) {
        Slot& slot = m_entries.at(found);
        if (slot.uses++ == 0)
            m_idle.erase(slot.idle);
        return found;
    }
    auto entry = std::make_unique<TFontEntry>(make());
    TFontEntry* raw = entry.get();
    Slot slot;
    slot.entry = std::move(entry);
    slot.key = key;
    slot.uses = 1;
    m_entries.emplace(raw, std::move(slot));
    m_byKey.insert(key, raw);
    return raw;
}

void TFontPool::release(TFontEntry* entry) {
    auto it = m_entries.find(entry);
    if (it == m_entries.end() || it->second.uses == 0)
        return;
    if (--it->second.uses > 0)
        return;
    it->second.idle = m_idle.insert(m_idle.end(), entry);
    while (int(m_idle.size()) > kMaxIdle) {
        TFontEntry* oldest = m_idle.front();
        m_idle.pop_front();
        auto old = m_entries.find(oldest);
        m_byKey.remove(old->second.key);
        m_entries.erase(old);
    }
}
