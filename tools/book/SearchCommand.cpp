#include "SearchCommand.h"

#include "BookFolder.h"
#include "CommandArgs.h"
#include "FileIo.h"
#include "ToolError.h"

#include "engine/TBookSearch.h"
#include "engine/TFileSource.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

int SearchCommand::run(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("search DIR TEXT [--case] [--fallback]"), {},
                          {QStringLiteral("--case"), QStringLiteral("--fallback")});
    cmd.expectPositional(2, 2);
    const BookFolder book(cmd.positional().at(0));
    // The search field's text as the reader searches it: trimmed, no double
    // spaces.
    QString text = cmd.positional().at(1).trimmed();
    while (text.contains(QLatin1String("  ")))
        text.replace(QLatin1String("  "), QLatin1String(" "));
    if (text.isEmpty())
        throw ToolError(QStringLiteral("empty search text"), ToolError::Usage);

    const TArchiveSource source(book.archive());
    TBookSearch search(book.archive(), source, book.paths());
    QStringList files, titles;
    bool found = false;
    if (cmd.flag(QStringLiteral("--fallback"))) {
        search.fallback(text, cmd.flag(QStringLiteral("--case")), search.pageList({}, false), files,
                        titles);
        found = !files.isEmpty();
    } else {
        found = search.indexSearch(text, files, titles);
    }
    QJsonArray messages;
    for (const TMakeFind::Message& m : search.messages())
        messages.append(m.text);
    const QJsonObject out{{QStringLiteral("found"), found},
                          {QStringLiteral("files"), QJsonArray::fromStringList(files)},
                          {QStringLiteral("titles"), QJsonArray::fromStringList(titles)},
                          {QStringLiteral("messages"), messages}};
    FileIo::writeStdout(QJsonDocument(out).toJson(QJsonDocument::Indented));
    return 0;
}
