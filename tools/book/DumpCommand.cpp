#include "DumpCommand.h"

#include "CommandArgs.h"
#include "FileIo.h"
#include "StructJson.h"
#include "ToolError.h"

#include "data/AboutDescription.h"
#include "data/BookPaths.h"
#include "data/DialogDescription.h"
#include "data/StringUtils.h"
#include "data/StructParser.h"

#include <QFileInfo>
#include <QJsonDocument>

int DumpCommand::run(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("dump Dod.dhl [--base DIR] [--entry NAME]"),
                          {QStringLiteral("--base"), QStringLiteral("--entry")});
    cmd.expectPositional(1, 1);
    const QString packPath = cmd.positional().first();
    const QString entry =
        cmd.value(QStringLiteral("--entry")).value_or(QStringLiteral("Struct.cfs"));
    if (entry.isEmpty())
        cmd.usageError(QStringLiteral("option --entry needs a non-empty value"));
    const QFileInfo packInfo(packPath);
    if (!packInfo.exists())
        throw ToolError(QStringLiteral("%1: no such file").arg(packPath));
    const QString base = cmd.value(QStringLiteral("--base")).value_or(packInfo.absolutePath());

    const QByteArray bytes = FileIo::readPackEntry(packPath, entry);

    const BookPaths paths(base);
    if (entry.compare(QLatin1String("Dialog.cfs"), Qt::CaseInsensitive) == 0) {
        const DialogDescription dialogs =
            DialogDescription::parse(cfs::decode(bytes, true), &paths);
        FileIo::writeStdout(
            QJsonDocument(StructJson::dialogs(dialogs)).toJson(QJsonDocument::Indented));
        return 0;
    }
    if (entry.compare(QLatin1String(AboutDescription::kEntry), Qt::CaseInsensitive) == 0) {
        const AboutDescription about = AboutDescription::parse(cfs::decode(bytes, true));
        FileIo::writeStdout(
            QJsonDocument(StructJson::about(about)).toJson(QJsonDocument::Indented));
        return 0;
    }
    const StructGrammar grammar =
        entry.compare(QLatin1String("Tesaurus.cfs"), Qt::CaseInsensitive) == 0
            ? StructGrammar::Thesaurus
            : StructGrammar::Main;
    const StructModel model = parseStruct(cfs::decode(bytes, true), &paths, grammar);
    FileIo::writeStdout(QJsonDocument(StructJson::toJson(model)).toJson(QJsonDocument::Indented));
    return 0;
}
