#pragma once

#include "engine/TFontEntry.h"

#include <QHash>
#include <QString>

#include <functional>
#include <list>
#include <memory>
#include <unordered_map>

// The fonts of the layout library, shared by every page of the process:
// pages of a book use few fonts and many of the same words, so a font and
// its word widths outlive the page that made it. Fonts in use are counted;
// of those no page uses, the kMaxIdle used last are kept and older ones
// freed, so that pages of ever new font keys cannot grow the pool without
// end.
class TFontPool {
public:
    static constexpr int kMaxIdle = 64;

    static TFontPool& instance();

    // The font of `key`, made by `make` when the pool has none; one more use.
    TFontEntry* acquire(const QString& key, const std::function<QFont()>& make);
    // One use fewer.
    void release(TFontEntry* entry);

    int size() const { return int(m_entries.size()); }
    int idleCount() const { return int(m_idle.size()); }

private:
    struct Slot {
        std::unique_ptr<TFontEntry> entry;
        QString key;
        int uses = 0;
        std::list<TFontEntry*>::iterator idle; // valid when uses == 0
    };
    QHash<QString, TFontEntry*> m_byKey;
    std::unordered_map<TFontEntry*, Slot> m_entries;
    std::list<TFontEntry*> m_idle; // least recently used first
};
