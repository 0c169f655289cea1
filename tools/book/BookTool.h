#pragma once

#include <QStringList>

// vantrel-book: the command-line tool for book authors. Picks the command,
// runs it and turns failures into one line on stderr with exit code 1 (2 for
// usage errors).
class BookTool {
public:
    // `args` without the program name. Returns the exit code.
    static int run(const QStringList& args);
    static QString usage();
};
