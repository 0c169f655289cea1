#pragma once

#include <litehtml/litehtml.h>

// A line height given in em or % is computed once, with the font size of the
// element that sets it, and inherited as that length (the layout library
// computed it again with each descendant's font size, so a 20px paragraph in a
// "line-height: 2em" block of 10px got 40px lines instead of 20px). Run once
// after the page is parsed.
class TLineHeights {
public:
    static void inherit(const litehtml::element::ptr& root);
};
