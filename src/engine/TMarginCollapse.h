#pragma once

#include <litehtml/litehtml.h>

// Vertical margins of blocks in normal flow collapse as in CSS 2.1: the
// bottom margin of a block and the top margin of the next block give one
// gap, the larger of the two; an empty block lets its margins collapse
// through with its neighbours'. The layout library already collapses a
// parent's margin with its first and last child's but adds the margins of
// siblings; this pass, run once after the page is parsed, rewrites the
// margins so that the library's sum comes out as the collapsed gap.
class TMarginCollapse {
public:
    static void apply(const litehtml::element::ptr& root);
};
