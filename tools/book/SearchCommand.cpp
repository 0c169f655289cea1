#include "SearchCommand.h"

#include "CommandArgs.h"
#include "FileIo.h"
#include "ToolError.h"

#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "engine/TBookSearch.h"
#include "engine/TFileSource.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int SearchCommand::run(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("search DIR TEXT [--case] [--fallback]"), {},
                          {QStringLiteral("--case"), QStringLiteral("--fallback")});
    cmd.expectPositional(2, 2);
    const QString dir = cmd.positional().at(0);
    const QFileInfo folder(dir);
    if (!folder.isDir())
        throw ToolError(QStringLiteral("%1: no such folder").arg(dir));
    // The search field's text as the reader searches it: trimmed, no double
    // spaces.
    QString text = cmd.positional().at(1).trimmed();
    while (text.contains(QLatin1String("  ")))
        text.replace(QLatin1String("  "), QLatin1String(" "));
    if (text.isEmpty())
        throw ToolError(QStringLiteral("empty search text"), ToolError::Usage);

    // The book folder as the reader opens it: its paths, then interface.dat.
    const BookPaths paths(QDir(folder.absoluteFilePath()).absolutePath());
    BookPaths::setCurrent(paths);
    ContentArchive archive;
    const QString archivePath = BookPaths::resolveOnDisk(paths.baseDir() + "interface.dat");
    QString error;
    if (!archivePath.isEmpty() && !archive.open(archivePath, &error))
        std::fprintf(stderr, "vantrel-book: interface.dat: %s\n", qPrintable(error));
    archive.setRootPrefix(paths.bookRoot());
    const TArchiveSource source(archive);

    TBookSearch search(archive, source, paths);
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
