#include "engine/TStyleSharing.h"

#include "engine/TQtContainer.h"

#include <atomic>

namespace {
std::atomic<bool> g_enabled{true};

TStyleSharing::Stats& lastStats() {
    thread_local TStyleSharing::Stats stats;
    return stats;
}
} // namespace

TStyleSharing*& TStyleSharing::current() {
    thread_local TStyleSharing* sharing = nullptr;
    return sharing;
}

TStyleSharing::Pass::Pass(const litehtml::element* root) {
    if (current() || !root || !g_enabled.load(std::memory_order_relaxed))
        return;
    TQtContainer* container = TQtContainer::of(root);
    if (!container)
        return;
    m_sharing = new TStyleSharing(container);
    current() = m_sharing;
}

TStyleSharing::Pass::~Pass() {
    if (!m_sharing)
        return;
    lastStats() = m_sharing->m_stats;
    current() = nullptr;
    delete m_sharing;
}

void TStyleSharing::setEnabled(bool on) {
    g_enabled.store(on, std::memory_order_relaxed);
}

bool TStyleSharing::enabled() {
    return g_enabled.load(std::memory_order_relaxed);
}

TStyleSharing::Stats TStyleSharing::lastPass() {
    return lastStats();
}

int TStyleSharing::childClass(int parentClass, const void* map) {
    if (parentClass < 0 || !map)
        return m_nextClass++;
    const ClassKey key{parentClass, map};
    const auto it = m_classes.find(key);
    if (it != m_classes.end())
        return it->second;
    const int cls = m_nextClass++;
    if (m_classes.size() < kMaxClasses)
        m_classes.emplace(key, cls);
    return cls;
}

const litehtml::element* TStyleSharing::find(int parentClass, const void* map,
                                             const std::type_info& kind) const {
    const auto it = m_sources.find(Key{parentClass, map, &kind});
    return it != m_sources.end() && it->second.shareable ? it->second.el : nullptr;
}

void TStyleSharing::remember(int parentClass, const void* map, const std::type_info& kind,
                             const litehtml::element* el, bool shareable) {
    if (m_sources.size() < kMaxSources)
        m_sources.emplace(Key{parentClass, map, &kind}, Source{el, shareable});
}

int TStyleSharing::pictureRequests() const {
    return m_container->pictureRequests();
}
