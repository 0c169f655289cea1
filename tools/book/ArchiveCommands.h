#pragma once

#include <QStringList>

// "archive build DIR -o interface.dat", "archive list FILE" and
// "archive extract FILE -o DIR".
//
// build: every file and folder below DIR (empty folders kept), names stored
// upper case; names that become equal when upper-cased are refused, as the
// reader could reach only one of them. The output file is never stored in
// itself.
// list: one stored path a line, as the reader lists them.
// extract: every listed file into DIR under its stored path; paths that
// would leave DIR are refused before anything is written.
class ArchiveCommands {
public:
    static int run(const QStringList& args);
    static int build(const QStringList& args);
    static int list(const QStringList& args);
    static int extract(const QStringList& args);
};
