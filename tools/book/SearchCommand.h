#pragma once

#include <QStringList>

// "search DIR TEXT [--case] [--fallback]": the book search of TEXT with DIR
// as the book folder (index files and pages looked up in interface.dat there,
// then on disk, as the reader looks them up). Without --fallback, the index
// search of the book's keywords.idx, index.idx and files.idx (letter case
// ignored); with it, the page-by-page search of every page of the archive
// (the reader's fallback with no pages left out; --case matches letter case).
// Prints {"found": bool, "files": [...], "titles": [...], "messages": [...]}:
// `files` as the reader lists them (with the book folder), `messages` the
// notices the reader would show, in order.
class SearchCommand {
public:
    static int run(const QStringList& args);
};
