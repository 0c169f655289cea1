#include "CfsCommands.h"

#include "CommandArgs.h"
#include "FileIo.h"
#include "TextLines.h"
#include "ToolError.h"

#include "data/StringUtils.h"

int CfsCommands::run(const QStringList& args) {
    const QString usage = QStringLiteral("cfs decode|encode [FILE] [--lower]");
    const CommandArgs cmd(args, usage, {}, {QStringLiteral("--lower")});
    cmd.expectPositional(1, 2);
    const QString action = cmd.positional().first();
    const QString file = cmd.positional().value(1);
    const QString what =
        file.isEmpty() || file == QLatin1String("-") ? QStringLiteral("standard input") : file;
    if (action == QLatin1String("decode")) {
        const QByteArray entry = FileIo::readInput(file);
        FileIo::writeStdout(decodeToText(entry, cmd.flag(QStringLiteral("--lower")), what));
    } else if (action == QLatin1String("encode")) {
        if (cmd.flag(QStringLiteral("--lower")))
            cmd.usageError(QStringLiteral("--lower applies to decode only"));
        FileIo::writeStdout(encodeText(FileIo::readInput(file), what));
    } else {
        cmd.usageError(QStringLiteral("unknown cfs action '%1'").arg(action));
    }
    return 0;
}

QByteArray CfsCommands::encodeText(const QByteArray& utf8, const QString& what) {
    QString error;
    const auto lines = TextLines::fromUtf8(utf8, &error);
    if (!lines)
        throw ToolError(QStringLiteral("%1: %2").arg(what, error));
    return cfs::encode(*lines);
}

QByteArray CfsCommands::decodeToText(const QByteArray& entry, bool lowerCase, const QString& what) {
    QString error;
    const auto text = TextLines::toUtf8(cfs::decode(entry, lowerCase), &error);
    if (!text)
        throw ToolError(
            QStringLiteral("%1: %2; it has no text form (keep it raw)").arg(what, error));
    return *text;
}
