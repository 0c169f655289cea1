#include "media/TNavFont.h"

#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "platform/Busy.h"
#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
// No font comes near this; a bigger "font" is refused rather than copied.
constexpr qint64 kMaxFontBytes = 64LL * 1024 * 1024;
} // namespace

TNavFont::TNavFont(QObject* parent) : QObject(parent) {}

TNavFont::~TNavFont() {
    for (int id : std::as_const(m_ids))
        QFontDatabase::removeApplicationFont(id);
}

void TNavFont::pageLoaded(const QString& page) {
    QString text = page;
    text.replace(u'/', u'\\');
    // A page link may carry an anchor; the folder is what precedes the name.
    const qsizetype cut = text.lastIndexOf(u'\\');
    m_folder = cut >= 0 ? text.left(cut + 1) : QString();
}

QString TNavFont::userFontFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/fonts");
}

TNavFont::Copy TNavFont::copyNew(const QString& from, const QString& to, QString* error) {
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return Copy::Exists;
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return Copy::Failed;
    }
    // Written beside the target under a temporary name and renamed at the
    // end, so a failed copy never leaves half a font under the font's name.
    QTemporaryFile out(QFileInfo(to).absolutePath() + QStringLiteral("/.vantrel-font-XXXXXX"));
    if (!out.open()) {
        *error = out.errorString();
        return out.error() == QFileDevice::ResourceError ? Copy::DiskFull : Copy::Failed;
    }
    QByteArray chunk;
    while (!in.atEnd()) {
        chunk = in.read(256 * 1024);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            *error = in.errorString();
            return Copy::Failed;
        }
        if (out.write(chunk) != chunk.size()) {
            *error = out.errorString();
            return out.error() == QFileDevice::ResourceError ? Copy::DiskFull : Copy::Failed;
        }
    }
    if (!out.flush()) {
        *error = out.errorString();
        return out.error() == QFileDevice::ResourceError ? Copy::DiskFull : Copy::Failed;
    }
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                       QFileDevice::ReadOther);
    // rename() never replaces an existing file: a font that appeared
    // meanwhile stays.
    if (!out.rename(to)) {
        if (QFileInfo::exists(to))
            return Copy::Exists;
        *error = out.errorString();
        return Copy::Failed;
    }
    out.setAutoRemove(false);
    return Copy::Done;
}

TNavFont::Result TNavFont::InstallFonts() {
    Result r;
    busy::setBusy(true);
    const QStringList files = cfs::findFiles(m_folder, {QStringLiteral("*.ttf")}, false, false);
    const QString target = userFontFolder();
    if (!files.isEmpty() && !QDir().mkpath(target))
        vlog::complain(QStringLiteral("%1: the font folder cannot be made").arg(target));
    for (const QString& file : files) {
        QString native = BookPaths::resolveOnDisk(file);
        if (native.isEmpty())
            native = BookPaths::toNative(file);
        const QFileInfo source(native);
        const QString to = target + u'/' + source.fileName();
        // Only regular files: a link or a device named *.ttf is not a font.
        if (source.isSymLink() || !source.isFile()) {
            vlog::complain(QStringLiteral("%1: not a regular file, not installed").arg(native));
            r.failed << source.fileName();
            continue;
        }
        if (source.size() > kMaxFontBytes) {
            vlog::complain(QStringLiteral("%1: too large for a font, not installed").arg(native));
            r.failed << source.fileName();
            continue;
        }
        QString error;
        switch (copyNew(native, to, &error)) {
        case Copy::Done:
            r.copied << source.fileName();
            break;
        case Copy::Exists:
            r.kept << source.fileName();
            break;
        case Copy::DiskFull:
            vlog::complain(QStringLiteral("%1: the disk is full (%2)").arg(to, error));
            r.failed << source.fileName();
            r.diskFull = true;
            break;
        case Copy::Failed:
            vlog::complain(QStringLiteral("%1: not copied (%2)").arg(to, error));
            r.failed << source.fileName();
            break;
        }
        if (r.diskFull)
            break;
        // Registered also when it was not copied: the book's own file then
        // (a file of the same name already in the user's folder may be
        // another font).
        const QString font = r.copied.contains(source.fileName()) ? to : native;
        const int id = QFontDatabase::addApplicationFont(font);
        if (id >= 0) {
            m_ids << id;
            r.registered << font;
        } else {
            vlog::complain(QStringLiteral("%1: not a usable font").arg(font));
        }
    }
    busy::setBusy(false);
    return r;
}
