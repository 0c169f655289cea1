#pragma once

#include <QByteArray>
#include <QString>

// Turns the bytes of a book file into the HTML text the engine lays out.
// HTML pages are decoded in the charset their <meta> declares (code page 1251
// when none; a byte-order mark wins over both); .txt, .inf and .diz become
// preformatted text; pictures become a page holding the picture.
class TPageDecoder {
public:
    enum class Kind { Html, Text, Picture };

    static Kind kindOf(const QString& path);
    // The charset label declared by a BOM or a <meta> tag, lower-cased;
    // "windows-1251" when none.
    static QString detectCharset(const QByteArray& bytes);
    static QString decode(const QByteArray& bytes, const QString& charset);
    // The page as HTML text. `fileName` is the picture's own name for
    // picture pages (its src).
    static QString toHtml(const QByteArray& bytes, Kind kind, const QString& fileName);
    // Escapes &, <, > and quotes for use inside HTML.
    static QString escape(const QString& text);
};
