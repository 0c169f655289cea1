#include "PathCommands.h"

#include "CommandArgs.h"
#include "FileIo.h"

#include "data/BookPaths.h"

#include <QDir>

int PathCommands::resolve(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("resolve [--base DIR] TEXT"),
                          {QStringLiteral("--base")});
    cmd.expectPositional(1, 1);
    const QString base = cmd.value(QStringLiteral("--base")).value_or(QDir::currentPath());
    const BookPaths paths(base);
    FileIo::writeStdout((paths.resolvePath(cmd.positional().first()) + QLatin1Char('\n')).toUtf8());
    return 0;
}

int PathCommands::join(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("join BASE REL"), {});
    cmd.expectPositional(2, 2);
    const QString joined = BookPaths::joinPath(cmd.positional()[0], cmd.positional()[1]);
    FileIo::writeStdout((joined + QLatin1Char('\n')).toUtf8());
    return 0;
}
