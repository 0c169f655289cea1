#pragma once

#include <litehtml/litehtml.h>

#include <cstddef>
#include <cstdint>
#include <typeinfo>
#include <unordered_map>

class TQtContainer;

// Computed styles shared between like elements while a page's styles are
// parsed for the first time. Most elements of a long page are styled alike:
// every cell of a bordered table, every paragraph of a class. The layout
// library parses an element's properties (some sixty lookups, lengths and
// colours read from text) for each of them. What that parse yields depends
// on the element's property map, on its class of element, and on what it
// inherits from and measures against its ancestors (font size, inherited
// properties); the maps are already kept once per page (TStyleStore), so
// their identity stands for their contents. An element whose inputs equal
// those of an element parsed before in the same pass takes that element's
// results instead of parsing again.
//
// The inputs are keyed by a style class: the class an element's children
// see is made of its parent's class and its own map, so that equal classes
// mean equal ancestors' maps all the way up, and from them equal font sizes
// and inherited values. The bracket lives for one pass of one page on the
// thread that parses it, and holds a bounded number of classes and keys.
class TStyleSharing {
public:
    // Opens the pass of a page's first style parse from its root `root` on
    // this thread (nested brackets join the outer one); nothing is shared
    // when sharing is off, `root` is null or its page not made by
    // TQtContainer.
    class Pass {
    public:
        explicit Pass(const litehtml::element* root);
        ~Pass();
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;

    private:
        TStyleSharing* m_sharing = nullptr;
    };

    // The pass under way on this thread, or null.
    static TStyleSharing* active() { return current(); }

    // On by default; tests parse with it off to compare results.
    static void setEnabled(bool on);
    static bool enabled();

    // What the last pass on this thread did: elements that took another's
    // results, and elements parsed.
    struct Stats {
        int shared = 0;
        int parsed = 0;
    };
    static Stats lastPass();

    // The class the children of an element of class `parentClass` see when
    // the element's own map is `map` (after its parse). A class never seen
    // (the table full, no map, a parent outside the pass) is fresh: no other
    // element has it.
    int childClass(int parentClass, const void* map);
    // The class of the element whose children are being parsed, if `parent`
    // is that element; -1 otherwise. The root's parent class is 0.
    int parentClassOf(const litehtml::element* parent) const {
        if (!parent)
            return kRootParent;
        return parent == m_scope.parent ? m_scope.cls : -1;
    }
    // Marks `parent` (of class `cls`) as the element whose children are
    // parsed next; returns the mark it replaces, to be put back after.
    struct Scope {
        const litehtml::element* parent = nullptr;
        int cls = -1;
    };
    Scope enter(const litehtml::element* parent, int cls) {
        const Scope before = m_scope;
        m_scope = {parent, cls};
        return before;
    }
    void leave(const Scope& before) { m_scope = before; }

    // The element parsed first with these inputs (null when none, or when
    // its parse did more than set its own fields, such as asking for a
    // picture: such inputs are parsed each time).
    const litehtml::element* find(int parentClass, const void* map,
                                  const std::type_info& kind) const;
    // Keeps `el` as the element parsed with these inputs; `shareable` false
    // makes every later element with them parse on its own.
    void remember(int parentClass, const void* map, const std::type_info& kind,
                  const litehtml::element* el, bool shareable);

    // Pictures asked for so far by the page's container (a parse that asks
    // for one is not shared: each element asks for its own).
    int pictureRequests() const;

    void countShared() { ++m_stats.shared; }
    void countParsed() { ++m_stats.parsed; }

    static constexpr int kRootParent = 0;

private:
    explicit TStyleSharing(TQtContainer* container) : m_container(container) {}
    static TStyleSharing*& current();

    struct Key {
        int parentClass;
        const void* map;
        const std::type_info* kind;
        bool operator==(const Key& o) const {
            return parentClass == o.parentClass && map == o.map && kind == o.kind;
        }
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const {
            std::size_t h = std::hash<const void*>()(k.map);
            h = h * 1000003u ^ std::size_t(k.parentClass);
            return h * 1000003u ^ std::hash<const void*>()(k.kind);
        }
    };
    struct ClassKey {
        int parentClass;
        const void* map;
        bool operator==(const ClassKey& o) const {
            return parentClass == o.parentClass && map == o.map;
        }
    };
    struct ClassKeyHash {
        std::size_t operator()(const ClassKey& k) const {
            return std::hash<const void*>()(k.map) * 1000003u ^ std::size_t(k.parentClass);
        }
    };
    struct Source {
        const litehtml::element* el;
        bool shareable;
    };
    // Bounds of one pass (a page of a hundred thousand distinct contexts
    // shares less, never more memory).
    static constexpr std::size_t kMaxClasses = 16384;
    static constexpr std::size_t kMaxSources = 16384;

    TQtContainer* m_container;
    std::unordered_map<ClassKey, int, ClassKeyHash> m_classes;
    std::unordered_map<Key, Source, KeyHash> m_sources;
    int m_nextClass = kRootParent + 1;
    Scope m_scope;
    Stats m_stats;
};
