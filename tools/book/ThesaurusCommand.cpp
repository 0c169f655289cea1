#include "ThesaurusCommand.h"

#include "CommandArgs.h"
#include "FileIo.h"
#include "ToolError.h"

#include "content/ContentArchive.h"
#include "content/TMakeTesaurusFind.h"
#include "data/BookPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int ThesaurusCommand::run(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("thesaurus DIR TEXT"), {});
    cmd.expectPositional(2, 2);
    const QString dir = cmd.positional().at(0);
    const QFileInfo folder(dir);
    if (!folder.isDir())
        throw ToolError(QStringLiteral("%1: no such folder").arg(dir));

    // The book folder as the reader opens it: its paths, then interface.dat.
    const BookPaths paths(QDir(folder.absoluteFilePath()).absolutePath());
    BookPaths::setCurrent(paths);
    ContentArchive archive;
    const QString archivePath = BookPaths::resolveOnDisk(paths.baseDir() + "interface.dat");
    QString error;
    if (!archivePath.isEmpty() && !archive.open(archivePath, &error))
        std::fprintf(stderr, "vantrel-book: interface.dat: %s\n", qPrintable(error));
    archive.setRootPrefix(paths.bookRoot());

    TMakeTesaurusFind find(archive);
    find.SetFolder(paths.baseDir());
    QString page;
    const bool found = find.ThesaurusLookup(cmd.positional().at(1).trimmed(), page);
    const QJsonObject out{
        {QStringLiteral("found"), found},
        {QStringLiteral("page"), found ? page : QString()},
        {QStringLiteral("messages"), QJsonArray::fromStringList(find.messages())}};
    FileIo::writeStdout(QJsonDocument(out).toJson(QJsonDocument::Indented));
    return 0;
}
