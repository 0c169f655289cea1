#include "RarCommands.h"

#include "CommandArgs.h"
#include "FileIo.h"
#include "ToolError.h"

#include "content/RarTexts.h"
#include "content/TRarExtractor.h"
#include "content/TUnRar.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QString nativeArchive(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw ToolError(QStringLiteral("%1: no such file").arg(path));
    if (info.isDir())
        throw ToolError(QStringLiteral("%1 is a folder, not a file").arg(path));
    return info.absoluteFilePath();
}

} // namespace

int RarCommands::run(const QStringList& args) {
    const QString action = args.value(0);
    const QStringList rest = args.mid(1);
    if (action == QLatin1String("list"))
        return list(rest);
    if (action == QLatin1String("extract"))
        return extract(rest);
    const CommandArgs cmd({}, QStringLiteral("rar list|extract ..."), {});
    cmd.usageError(action.isEmpty() ? QStringLiteral("missing rar action")
                                    : QStringLiteral("unknown rar action '%1'").arg(action));
}

int RarCommands::list(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("rar list FILE"), {});
    cmd.expectPositional(1, 1);
    const QString path = cmd.positional().first();
    const QString native = nativeArchive(path);

    TUnRar rar;
    QString problem;
    rar.VolumeCallback = [&problem](const QString& volume, int mode) {
        if (mode != TUnRar::VolumeMissing)
            return 1;
        if (problem.isEmpty())
            problem = rartexts::missingVolume(volume);
        return 0;
    };
    const int open = rar.open(native, TUnRar::ListMode);
    if (open != TUnRar::Success)
        throw ToolError(rartexts::openError(open, path) + QStringLiteral(" (") + rar.lastError() +
                        u')');
    QJsonArray entries;
    TUnRar::RHeader h;
    QString lastName;
    int read = 0;
    while ((read = rar.readHeader(h)) == TUnRar::Success) {
        lastName = h.name;
        QJsonObject o;
        o.insert(QStringLiteral("name"), h.name);
        o.insert(QStringLiteral("size"), double(h.unpackedSize));
        o.insert(QStringLiteral("packed_size"), double(h.packedSize));
        o.insert(QStringLiteral("time"),
                 h.mtime >= 0 ? QJsonValue(h.time().toLocalTime().toString(Qt::ISODate))
                              : QJsonValue());
        o.insert(QStringLiteral("attributes"), double(h.attributes));
        o.insert(QStringLiteral("folder"), h.directory);
        o.insert(QStringLiteral("encrypted"), h.encrypted);
        entries.append(o);
        const int code = rar.processFile(TUnRar::Skip);
        if (code != TUnRar::Success && !rartexts::goesOn(code)) {
            if (problem.isEmpty())
                problem = rartexts::processError(code, h.name);
            if (problem.isEmpty())
                problem = rar.lastError();
            break;
        }
    }
    if (problem.isEmpty() && read == TUnRar::BadData)
        problem = (entries.isEmpty() ? rartexts::openError(read, path)
                                     : rartexts::brokenHeader(lastName)) +
                  QStringLiteral(" (") + rar.lastError() + u')';
    if (problem.isEmpty() && read == TUnRar::Encrypted)
        problem = rartexts::openError(read, path);
    FileIo::writeStdout(QJsonDocument(entries).toJson(QJsonDocument::Indented));
    if (!problem.isEmpty())
        throw ToolError(problem);
    return 0;
}

int RarCommands::extract(const QStringList& args) {
    const CommandArgs cmd(args, QStringLiteral("rar extract FILE -o DIR"), {QStringLiteral("-o")});
    cmd.expectPositional(1, 1);
    const QString path = cmd.positional().first();
    const QString native = nativeArchive(path);
    const QString folder = QFileInfo(cmd.required(QStringLiteral("-o"))).absoluteFilePath();
    if (!QDir().mkpath(folder))
        throw ToolError(QStringLiteral("%1: the folder cannot be made").arg(folder));

    TRarExtractor extractor;
    // One line: the first problem, with the library's reason.
    QString problem;
    QString reason;
    extractor.Message = [&problem](const QString& text) {
        if (problem.isEmpty())
            problem = text;
    };
    extractor.Detail = [&reason](const QString& line) {
        if (reason.isEmpty())
            reason = line;
    };
    const TRarExtractor::RResult r = extractor.extract(native, path, folder);
    if (!problem.isEmpty())
        throw ToolError(reason.isEmpty() ? problem
                                         : problem + QStringLiteral(" (") + reason + u')');
    if (r.skipped > 0)
        throw ToolError(QStringLiteral("%1: %2 entries not unpacked").arg(path).arg(r.skipped));
    return 0;
}
