#include "PackCommands.h"

#include "CfsCommands.h"
#include "CommandArgs.h"
#include "FileIo.h"
#include "FileTree.h"
#include "OutputFolder.h"
#include "ToolError.h"

#include "data/PackWriter.h"
#include "data/TReadBin.h"
#include "platform/Cp1251.h"

#include <QFileInfo>
#include <QSet>

#include <cstdio>

namespace {

bool isCfs(const QString& name) {
    return name.endsWith(QLatin1String(".cfs"), Qt::CaseInsensitive);
}

void warn(const QString& message) {
    std::fprintf(stderr, "vantrel-book: warning: %s\n", message.toUtf8().constData());
}

} // namespace

int PackCommands::pack(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("pack DIR -o Dod.dhl [--raw]"),
                          {QStringLiteral("-o")}, {QStringLiteral("--raw")});
    cmd.expectPositional(1, 1);
    const QString folder = cmd.positional().first();
    const QString output = cmd.required(QStringLiteral("-o"));
    const bool raw = cmd.flag(QStringLiteral("--raw"));

    const QList<FileTree::File> files = FileTree::collect(folder, output);
    PackWriter writer;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const FileTree::File& file = files[i];
        if (i > 0 && files[i - 1].name.compare(file.name, Qt::CaseInsensitive) == 0) {
            throw ToolError(QStringLiteral("%1 and %2 differ only in letter case")
                                .arg(files[i - 1].path, file.path));
        }
        QByteArray data = FileIo::readFile(file.path);
        if (isCfs(file.name) && !raw)
            data = CfsCommands::encodeText(data, file.path);
        QString error;
        if (!writer.add(file.name, data, &error))
            throw ToolError(QStringLiteral("%1: %2").arg(file.path, error));
    }
    QString error;
    const QByteArray bytes = writer.toBytes(&error);
    if (bytes.isEmpty())
        throw ToolError(QStringLiteral("%1: %2").arg(output, error));
    FileIo::writeFile(output, bytes);
    return 0;
}

int PackCommands::unpack(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("unpack Dod.dhl -o DIR [--raw]"),
                          {QStringLiteral("-o")}, {QStringLiteral("--raw")});
    cmd.expectPositional(1, 1);
    const QString packPath = cmd.positional().first();
    const QString output = cmd.required(QStringLiteral("-o"));
    const bool raw = cmd.flag(QStringLiteral("--raw"));

    if (!QFileInfo::exists(packPath))
        throw ToolError(QStringLiteral("%1: no such file").arg(packPath));
    TReadBin pack;
    QString error;
    if (!pack.load(packPath, &error))
        throw ToolError(error);

    // Check every entry before writing anything.
    struct Item {
        QStringList parts;
        QByteArray data;
    };
    QList<Item> items;
    QSet<QString> seen;
    const TDynamicBinArray& entries = pack.entries();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const RBin& entry = entries[i];
        QString why;
        const QStringList parts = OutputFolder::safeParts(entry.name, &why);
        if (parts.isEmpty())
            throw ToolError(
                QStringLiteral("%1: entry '%2' refused: %3").arg(packPath, entry.name, why));
        const QString key = parts.join(QLatin1Char('/')).toLower();
        if (seen.contains(key)) {
            warn(QStringLiteral("%1: skipping entry %2 '%3': an earlier entry has the same name")
                     .arg(packPath)
                     .arg(i)
                     .arg(entry.name));
            continue;
        }
        seen.insert(key);
        QByteArray data;
        if (pack.readToBuffer(entry.name, data) < 0)
            throw ToolError(QStringLiteral("%1: entry '%2' lies outside the file (damaged pack)")
                                .arg(packPath, entry.name));
        if (isCfs(entry.name) && !raw)
            data = CfsCommands::decodeToText(
                data, false, QStringLiteral("%1: entry '%2'").arg(packPath, entry.name));
        items.append({parts, data});
    }

    const OutputFolder folder(output);
    for (const Item& item : std::as_const(items))
        folder.write(item.parts, item.data);
    return 0;
}
