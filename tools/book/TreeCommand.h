#pragma once

#include <QStringList>

// "tree Dod.dhl [--entry tree1.cfs]": the parsed contents tree as a JSON
// array in line order, one object per item with the keys depth, page,
// caption, parent (-1 for a top-level item) and level. What a damaged
// description lost is named on stderr.
class TreeCommand {
public:
    static int run(const QStringList& args);
};
