#include "ThesaurusCommand.h"

#include "BookFolder.h"
#include "CommandArgs.h"
#include "FileIo.h"

#include "content/TMakeTesaurusFind.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

int ThesaurusCommand::run(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("thesaurus DIR TEXT"), {});
    cmd.expectPositional(2, 2);
    const BookFolder book(cmd.positional().at(0));
    TMakeTesaurusFind find(book.archive());
    find.SetFolder(book.paths().baseDir());
    QString page;
    const bool found = find.ThesaurusLookup(cmd.positional().at(1).trimmed(), page);
    const QJsonObject out{
        {QStringLiteral("found"), found},
        {QStringLiteral("page"), found ? page : QString()},
        {QStringLiteral("messages"), QJsonArray::fromStringList(find.messages())}};
    FileIo::writeStdout(QJsonDocument(out).toJson(QJsonDocument::Indented));
    return 0;
}
