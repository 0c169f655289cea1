#pragma once

#include <QStringList>

// "pack DIR -o Dod.dhl [--raw]" and "unpack Dod.dhl -o DIR [--raw]".
//
// pack: every file below DIR becomes one entry, files of sub-folders as
// "sub\name", in name order (letter case ignored, then respected). Names
// that differ only in letter case are refused, since the reader could reach
// only the first. Files named *.cfs are UTF-8 text, stored scrambled so that
// decoding gives back exactly their lines; with --raw they are stored as they
// are. The output file is never packed into itself.
//
// unpack: every entry into DIR, "\" in names making sub-folders; .cfs entries
// as UTF-8 text unless --raw. Names are checked before anything is written:
// a name that would leave DIR, or a .cfs entry without a text form, fails the
// whole command. A later entry whose name repeats an earlier one (letter case
// ignored) is unreachable in the reader and is skipped with a warning.
class PackCommands {
public:
    static int pack(const QStringList& args);
    static int unpack(const QStringList& args);
};
