#pragma once

#include <litehtml/litehtml.h>

#include <QString>

// Vertical margins of blocks in normal flow collapse as in CSS 2.1: the
// bottom margin of a block and the top margin of the next block give one
// gap, the larger of the two; an empty block lets its margins collapse
// through with its neighbours'. The layout library already collapses a
// parent's margin with its first and last child's but adds the margins of
// siblings; this pass, run once after the page is parsed, rewrites the
// margins so that the library's sum comes out as the collapsed gap.
//
// Pages without a standards document type (most old pages) are laid out as
// browsers lay out such pages: the default margin of the first block in the
// page and in a table cell, and of the last block in a cell, is dropped, so
// "<td><p>text</p></td>" makes no taller a cell than "<td>text</td>".
class TMarginCollapse {
public:
    static void apply(const litehtml::element::ptr& root, bool quirks = false);
    // Whether a page with this text is laid out in the old way (no document
    // type, or an HTML 2, 3.2 or 4 transitional or frameset type without a
    // system identifier).
    static bool isQuirksPage(const QString& html);
};
