#include "reader/TFileCopier.h"

#include "data/BookPaths.h"
#include "engine/TFileSource.h"
#include "platform/Log.h"
#include "platform/TShell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString TFileCopier::replaceQuestion(const QString& fileName) {
    return QStringLiteral("Файл %1 уже существует. Заменить?").arg(fileName);
}

QString TFileCopier::failureText(const QString& fileName) {
    return QStringLiteral("Не удалось скопировать файл %1").arg(fileName);
}

TFileCopier::Result TFileCopier::fail(const QString& from, const QString& to,
                                      const QString& reason) {
    m_error = reason;
    vlog::complain(QStringLiteral("cannot copy %1 to %2: %3").arg(from, to, reason));
    return Result::Failed;
}

TFileCopier::Result TFileCopier::copy(const QString& from, const QString& to,
                                      bool askBeforeReplacing) {
    m_error.clear();
    const QString dest = BookPaths::toNative(to);
    const QFileInfo destInfo(dest);
    if (destInfo.isDir())
        return fail(from, to, QStringLiteral("the destination is a folder"));
    // The book's own files live in the archive or on disk, whatever the
    // letter case of the link.
    const QString onDisk = BookPaths::resolveOnDisk(from);
    if (!onDisk.isEmpty() && QFileInfo(onDisk).isDir())
        return fail(from, to, QStringLiteral("the source is a folder"));
    if (onDisk.isEmpty() && !(m_source && m_source->exists(from)))
        return fail(from, to, QStringLiteral("no such file"));
    if (!onDisk.isEmpty() && destInfo.exists() &&
        QFileInfo(onDisk).canonicalFilePath() == destInfo.canonicalFilePath())
        return Result::Copied; // already there
    if (destInfo.exists() && askBeforeReplacing &&
        !m_shell.askYesNo(replaceQuestion(destInfo.fileName())))
        return Result::Declined;
    if (!QDir().mkpath(destInfo.absolutePath()))
        return fail(from, to,
                    QStringLiteral("cannot create the folder ") + destInfo.absolutePath());

    QSaveFile out(dest);
    if (!out.open(QIODevice::WriteOnly))
        return fail(from, to, out.errorString());
    if (!onDisk.isEmpty() && QFileInfo(onDisk).isFile()) {
        QFile in(onDisk);
        if (!in.open(QIODevice::ReadOnly)) {
            out.cancelWriting();
            return fail(from, to, in.errorString());
        }
        QByteArray chunk;
        while (!(chunk = in.read(1 << 20)).isEmpty())
            if (out.write(chunk) != chunk.size()) {
                out.cancelWriting();
                return fail(from, to, out.errorString());
            }
        if (in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            return fail(from, to, in.errorString());
        }
    } else {
        std::optional<QByteArray> bytes = m_source ? m_source->read(from) : std::nullopt;
        if (!bytes) {
            out.cancelWriting();
            return fail(from, to, QStringLiteral("no such file"));
        }
        if (out.write(*bytes) != bytes->size()) {
            out.cancelWriting();
            return fail(from, to, out.errorString());
        }
    }
    if (!out.commit())
        return fail(from, to, out.errorString());
    return Result::Copied;
}
