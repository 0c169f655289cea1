#pragma once

#include <QString>

// Mends the text of a page before the layout library parses it, where the
// library reads old pages differently from a browser:
// - style blocks and style attributes go through TStyleSheetFilter;
// - the rel and media values of <link> and <style> compare without letter
//   case ("STYLESHEET" links a style sheet);
// - tabs in preformatted text advance to the next multiple of 8 columns.
class TPageFilter {
public:
    static QString mend(const QString& html);
    // Preformatted text (the content of <pre>, <xmp>, <listing>) with its tabs
    // replaced by spaces; tags take no columns, a character reference one.
    static QString expandTabs(const QString& html);
};
