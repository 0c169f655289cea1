#pragma once

#include <QStringList>

// "rar list FILE" and "rar extract FILE -o DIR": a RAR archive as the reader
// sees it.
//
// list: a JSON array with one object per entry in archive order: "name",
// "size", "packed_size", "time" (local time, ISO 8601), "attributes",
// "folder", "encrypted".
// extract: every entry into DIR with the reader's rules (nothing outside DIR,
// existing files kept, no partial file under a final name).
class RarCommands {
public:
    static int run(const QStringList& args);
    static int list(const QStringList& args);
    static int extract(const QStringList& args);
};
