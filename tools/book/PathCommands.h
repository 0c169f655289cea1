#pragma once

#include <QStringList>

// "resolve [--base DIR] TEXT" (ResolvePath against the base directory, by
// default the current folder) and "join BASE REL" (JoinPath).
class PathCommands {
public:
    static int resolve(const QStringList& args);
    static int join(const QStringList& args);
};
