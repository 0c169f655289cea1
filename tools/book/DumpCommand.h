#pragma once

#include <QStringList>

// "dump Dod.dhl [--base DIR] [--entry NAME]": the parsed description (by
// default Struct.cfs; Tesaurus.cfs is read with the thesaurus grammar) as
// JSON on standard output. Paths resolve against DIR, by default the pack's
// folder.
class DumpCommand {
public:
    static int run(const QStringList& args);
};
