#pragma once

#include <QByteArray>

// Bounds a page's markup before the layout engine sees it, as browsers do:
// elements nest at most maxDepth deep (deeper ones are attached at that
// depth), tables nest at most maxTableDepth deep (deeper tables are laid out
// as plain blocks), colspan and rowspan are clamped, and style sheets in the
// page keep only selectors of sane length (TCssLimits). Deep elements cost the
// engine time in proportion to their depth, so past maxNestingWork elements
// deeper than keptDepth lose their tags (not their text). A page within every
// limit comes back byte for byte. Runs in time linear in the page's size.
class TPageLimits {
public:
    static constexpr int maxDepth = 512;
    static constexpr int maxTableDepth = 5;
    static constexpr int maxColspan = 1000;
    static constexpr int maxRowspan = 65534;
    // The sum of the depths of all elements (doubled for each table around
    // them); past it, elements deeper than keptDepth lose their tags.
    static constexpr qint64 maxNestingWork = 1'000'000;
    static constexpr int keptDepth = 64;

    struct Report {
        bool depthCapped = false;
        bool tablesFlattened = false;
        bool spansClamped = false;
        int selectorsDropped = 0;
        bool changed() const {
            return depthCapped || tablesFlattened || spansClamped || selectorsDropped > 0;
        }
    };

    // `html` is UTF-8 (or any ASCII-compatible encoding).
    static QByteArray apply(const QByteArray& html, Report* report = nullptr);
};
