#pragma once

#include <QStringList>

// "index build PAGES_DIR -o OUT_DIR": the three index files of a book for the
// pages below PAGES_DIR (every file whose extension holds ".htm"): files.idx
// lists each page ("path#:#title", the path relative to PAGES_DIR, which is
// how the search joins it to the book folder), keywords.idx every word of
// the pages' text as the search sees it (one line per word, letter case
// ignored), index.idx for each keyword the files.idx lines of its pages.
// Code page 1251, CR LF line ends. Words the code page cannot spell are left
// out (counted on stderr).
class IndexCommand {
public:
    static int run(const QStringList& args);
};
