#pragma once

#include <QStringList>

// "thesaurus DIR TEXT": the thesaurus lookup of TEXT in DIR's tezaurus.idx,
// read as the reader reads it with DIR as its book folder (interface.dat
// there first, then the loose file). Prints {"found": bool, "page": text,
// "messages": [warnings the reader would show]}; `page` is the index's answer
// (relative to the book folder), empty when nothing was found. An empty TEXT
// asks for the thesaurus's start page.
class ThesaurusCommand {
public:
    static int run(const QStringList& args);
};
