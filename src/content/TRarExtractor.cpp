#include "content/TRarExtractor.h"

#include "content/RarTexts.h"
#include "content/TUnRar.h"

#include <QDir>
#include <QFileInfo>

void TRarExtractor::message(const QString& text) {
    if (!text.isEmpty() && Message)
        Message(text);
}

QString TRarExtractor::freeSubfolder(const QString& folder, const QString& archiveFileName) {
    const QDir dir(folder);
    // Anything of that name, a file too, is taken: the archive itself often
    // lies in the folder it is unpacked into.
    auto taken = [&dir](const QString& name) {
        return QFileInfo(dir.filePath(name)).exists() || QFileInfo(dir.filePath(name)).isSymLink();
    };
    if (!taken(archiveFileName))
        return archiveFileName;
    const qsizetype dot = archiveFileName.lastIndexOf(u'.');
    const QString stem = dot > 0 ? archiveFileName.left(dot) : archiveFileName;
    const QString ext = dot > 0 ? archiveFileName.mid(dot) : QString();
    for (int n = 1;; ++n) {
        const QString name = stem + QString::number(n) + ext;
        if (!taken(name))
            return name;
    }
}

TRarExtractor::RResult TRarExtractor::extract(const QString& archive, const QString& shown,
                                              const QString& folder) {
    RResult result;
    TUnRar rar;
    rar.VolumeCallback = [this](const QString& volume, int mode) {
        if (mode != TUnRar::VolumeMissing)
            return 1;
        message(rartexts::missingVolume(volume));
        return 0;
    };
    rar.ReplaceQuestion = ReplaceQuestion;
    result.openCode = rar.open(archive, TUnRar::ExtractMode);
    if (result.openCode != TUnRar::Success) {
        if (Detail)
            Detail(QStringLiteral("%1: %2").arg(archive, rar.lastError()));
        message(rartexts::openError(result.openCode, shown));
        return result;
    }
    const qint64 total = rar.totalUnpacked();
    qint64 before = 0; // bytes of the entries done
    rar.Progress = [this, &before, total, &result](qint64 done) {
        if (Progress && !Progress(before + done, total)) {
            result.stopped = true;
            return false;
        }
        return true;
    };
    TUnRar::RHeader h;
    QString lastName;
    int read = 0;
    while ((read = rar.readHeader(h)) == TUnRar::Success) {
        lastName = h.name;
        const int code = rar.processFile(TUnRar::Extract, folder);
        before += h.directory ? 0 : h.unpackedSize;
        if (code == TUnRar::Success) {
            if (!h.directory)
                ++result.written;
            continue;
        }
        if (Detail && code != TUnRar::Stopped && code != TUnRar::Kept)
            Detail(QStringLiteral("%1: %2: %3").arg(archive, h.name, rar.lastError()));
        if (code == TUnRar::Stopped) {
            result.stopped = true;
            return result;
        }
        message(rartexts::processError(code, h.name));
        if (!rartexts::goesOn(code))
            return result;
        ++result.skipped;
    }
    if (read == TUnRar::BadData) {
        if (Detail)
            Detail(QStringLiteral("%1: %2").arg(archive, rar.lastError()));
        // Damage before the first entry: the archive's header itself.
        message(lastName.isEmpty() && result.written + result.skipped == 0
                    ? rartexts::openError(read, shown)
                    : rartexts::brokenHeader(lastName));
    } else if (read == TUnRar::Encrypted) {
        message(rartexts::openError(read, shown));
    } else if (read == TUnRar::EndArchive) {
        result.complete = true;
    }
    return result;
}
