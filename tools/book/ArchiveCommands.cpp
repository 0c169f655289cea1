#include "ArchiveCommands.h"

#include "CommandArgs.h"
#include "FileIo.h"
#include "FileTree.h"
#include "OutputFolder.h"
#include "ToolError.h"

#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "platform/Cp1251.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void openArchive(ContentArchive& archive, const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw ToolError(QStringLiteral("%1: no such file").arg(path));
    if (info.isDir())
        throw ToolError(QStringLiteral("%1 is a folder, not a file").arg(path));
    QString error;
    if (!archive.open(path, &error)) {
        if (error.isEmpty())
            error = QStringLiteral("%1: cannot open the archive").arg(path);
        throw ToolError(error);
    }
}

// Damaged entries drop out of the reader's listing and lookups; for an
// author they are an error, never a quietly shorter archive.
void refuseDamage(const ContentArchive& archive, const QString& path) {
    if (const qsizetype damaged = archive.damagedEntryCount())
        throw ToolError(QStringLiteral("%1: %2 damaged entr%3 left out (damaged archive)")
                            .arg(path)
                            .arg(damaged)
                            .arg(damaged == 1 ? QStringLiteral("y") : QStringLiteral("ies")));
}

} // namespace

int ArchiveCommands::run(const QStringList& args) {
    const QString action = args.value(0);
    const QStringList rest = args.mid(1);
    if (action == QLatin1String("build"))
        return build(rest);
    if (action == QLatin1String("list"))
        return list(rest);
    if (action == QLatin1String("extract"))
        return extract(rest);
    const CommandArgs cmd({}, QStringLiteral("archive build|list|extract ..."), {});
    cmd.usageError(action.isEmpty() ? QStringLiteral("missing archive action")
                                    : QStringLiteral("unknown archive action '%1'").arg(action));
}

int ArchiveCommands::build(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("archive build DIR -o interface.dat"),
                          {QStringLiteral("-o")});
    cmd.expectPositional(1, 1);
    const QString folder = cmd.positional().first();
    const QString output = cmd.required(QStringLiteral("-o"));

    const QList<FileTree::File> files = FileTree::collect(folder, output, true);
    ArchiveWriter writer;
    QHash<QByteArray, QString> stored; // stored path -> the file that took it
    for (const FileTree::File& file : files) {
        const QByteArray key = ContentArchive::normalise(cp1251::fromUnicode(file.name));
        if (const auto it = stored.constFind(key); it != stored.constEnd())
            throw ToolError(QStringLiteral("%1 and %2 have the same stored name %3")
                                .arg(*it, file.path, cp1251::toUnicode(key)));
        stored.insert(key, file.path);
        QString error;
        const bool ok = file.folder
                            ? writer.addFolder(file.name, &error)
                            : writer.addFile(file.name, FileIo::readFile(file.path), &error);
        if (!ok)
            throw ToolError(QStringLiteral("%1: %2").arg(file.path, error));
        if (QFileInfo(file.path).fileName().startsWith(QLatin1Char('.')))
            std::fprintf(stderr,
                         "vantrel-book: warning: %s is stored but the reader's listing skips "
                         "names beginning with '.'\n",
                         file.path.toUtf8().constData());
    }
    QString error;
    const auto bytes = writer.build(&error);
    if (!bytes)
        throw ToolError(QStringLiteral("%1: %2").arg(output, error));
    FileIo::writeFile(output, *bytes);
    return 0;
}

int ArchiveCommands::list(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("archive list FILE"), {});
    cmd.expectPositional(1, 1);
    ContentArchive archive;
    openArchive(archive, cmd.positional().first());
    QString text;
    for (const QString& path : archive.listFiles())
        text += path + QLatin1Char('\n');
    FileIo::writeStdout(text.toUtf8());
    // What could be listed is listed; the damage is still an error.
    refuseDamage(archive, cmd.positional().first());
    return 0;
}

int ArchiveCommands::extract(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("archive extract FILE -o DIR"),
                          {QStringLiteral("-o")});
    cmd.expectPositional(1, 1);
    const QString archivePath = cmd.positional().first();
    const QString output = QFileInfo(cmd.required(QStringLiteral("-o"))).absoluteFilePath();
    ContentArchive archive;
    openArchive(archive, archivePath);
    refuseDamage(archive, archivePath);

    const QStringList paths = archive.listFiles();
    QList<QStringList> parts;
    for (const QString& path : paths) {
        QString why;
        parts.append(OutputFolder::safeParts(path, &why));
        if (parts.last().isEmpty())
            throw ToolError(
                QStringLiteral("%1: entry '%2' refused: %3").arg(archivePath, path, why));
    }

    // A read falls back to the disk when an entry cannot be read; with an
    // empty folder as the current one the relative paths find nothing there,
    // so every byte written comes from the archive.
    QTemporaryDir emptyFolder;
    if (!emptyFolder.isValid() || !QDir::setCurrent(emptyFolder.path()))
        throw ToolError(QStringLiteral("cannot create a temporary folder"));

    const OutputFolder folder(output);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        QString error;
        const auto bytes = archive.read(paths[i], &error);
        if (!bytes)
            throw ToolError(QStringLiteral("%1: entry '%2' cannot be read (damaged archive)")
                                .arg(archivePath, paths[i]));
        folder.write(parts[i], *bytes);
    }
    return 0;
}
