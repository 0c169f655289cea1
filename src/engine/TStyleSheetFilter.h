#pragma once

#include <QString>

// Cleans style sheet text before the layout library reads it, where the
// library would read it differently from a browser:
// - the "<!--" and "-->" markers that old pages wrap a <style> block in are
//   ignored (the library took "<!-- body" for a selector and lost the rule);
// - a background or background-color declaration whose value is not valid
//   CSS is dropped whole (the library reset the colour set before it).
class TStyleSheetFilter {
public:
    // A style sheet or the text of a <style> block.
    static QString mendSheet(const QString& css);
    // The declarations of a style attribute.
    static QString mendDeclarations(const QString& declarations);
    // Whether `value` is a valid value of the background shorthand
    // (!important and surrounding space already removed).
    static bool isValidBackground(const QString& value);
    static bool isValidColor(const QString& value);
};
