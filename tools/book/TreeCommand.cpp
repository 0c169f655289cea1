#include "TreeCommand.h"

#include "CommandArgs.h"
#include "FileIo.h"
#include "ToolError.h"

#include "data/TreeDescription.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

int TreeCommand::run(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("tree Dod.dhl [--entry tree1.cfs]"),
                          {QStringLiteral("--entry")});
    cmd.expectPositional(1, 1);
    const QString packPath = cmd.positional().first();
    const QString entry =
        cmd.value(QStringLiteral("--entry")).value_or(QStringLiteral("tree1.cfs"));
    if (entry.isEmpty())
        cmd.usageError(QStringLiteral("option --entry needs a non-empty value"));
    const QByteArray bytes = FileIo::readPackEntry(packPath, entry);

    QJsonArray out;
    for (const RTreeItem& item : TreeDescription::readEntry(bytes, entry)) {
        out.append(QJsonObject{{QStringLiteral("depth"), item.depth},
                               {QStringLiteral("page"), item.page},
                               {QStringLiteral("caption"), item.caption},
                               {QStringLiteral("parent"), item.parent},
                               {QStringLiteral("level"), item.level}});
    }
    FileIo::writeStdout(QJsonDocument(out).toJson(QJsonDocument::Indented));
    return 0;
}
