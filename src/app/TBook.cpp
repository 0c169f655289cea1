#include "app/TBook.h"

#include "data/SettingsStore.h"
#include "data/StringUtils.h"
#include "data/StructParser.h"
#include "platform/Log.h"
#include "platform/TRegularFile.h"
#include "skin/BmpDecoder.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

using vlog::complain;

TBook::TBook(QObject* parent) : QObject(parent) {}

TBook::~TBook() {
    unregisterFonts();
}

void TBook::open(const QString& baseDir) {
    m_paths = BookPaths(baseDir);
    // Static path joins anywhere in the program anchor at this book's root.
    BookPaths::setCurrent(m_paths);
    QString error;
    const QString archivePath = BookPaths::resolveOnDisk(m_paths.baseDir() + "interface.dat");
    if (!archivePath.isEmpty() && !m_archive.open(archivePath, &error))
        complain(QStringLiteral("interface.dat: %1").arg(error));
    m_archive.setRootPrefix(m_paths.bookRoot());
}

bool TBook::loadPack(QString* error) {
    const QString packPath = BookPaths::resolveOnDisk(m_paths.baseDir() + "Dod.dhl");
    if (packPath.isEmpty()) {
        *error = QStringLiteral("Dod.dhl not found in %1")
                     .arg(QDir::toNativeSeparators(BookPaths::toNative(m_paths.baseDir())));
        return false;
    }
    QString why;
    if (!m_pack.load(packPath, &why)) {
        *error = QStringLiteral("Dod.dhl cannot be read: %1").arg(why);
        return false;
    }
    // Named once: here, or by readStruct when Struct.cfs itself is lost.
    if (m_pack.isDamaged() && !m_pack.isLost(QStringLiteral("Struct.cfs")))
        complain(m_pack.damageLine());
    return true;
}

std::optional<QStringList> TBook::description(const QString& entry, bool lower) const {
    const std::optional<QByteArray> bytes = m_pack.read(entry);
    if (!bytes)
        return std::nullopt;
    return cfs::decode(*bytes, lower);
}

bool TBook::readStruct(QString* error) {
    const std::optional<QStringList> lines = description(QStringLiteral("Struct.cfs"), true);
    if (!lines) {
        *error = m_pack.isLost(QStringLiteral("Struct.cfs"))
                     ? m_pack.damageLine()
                     : QStringLiteral("Struct.cfs not found in Dod.dhl");
        return false;
    }
    m_model = parseStruct(*lines, &m_paths);
    if (m_model.title.isEmpty())
        m_model.title = QStringLiteral("Vantrel");
    openSettings(m_model.title);
    return true;
}

bool TBook::readThesaurus(QString* error) {
    const std::optional<QStringList> lines = description(QStringLiteral("Tesaurus.cfs"), true);
    if (!lines) {
        *error = QStringLiteral("Tesaurus.cfs not found in Dod.dhl");
        return false;
    }
    m_model = parseStruct(*lines, &m_paths, StructGrammar::Thesaurus);
    if (m_model.title.isEmpty())
        m_model.title = QStringLiteral(u"Тезаурус");
    openSettings(m_model.title);
    return true;
}

void TBook::openSettings(const QString& title) {
    m_settings = std::make_unique<TSettingsStore>(title);
}

QImage TBook::loadPicture(const QString& name) const {
    if (name.isEmpty())
        return QImage();
    const std::optional<QByteArray> bytes = m_pack.read(name);
    if (!bytes) {
        // Book authors hear of each missing picture once; the element keeps
        // what it showed before.
        if (!m_picturesNamed.contains(name)) {
            m_picturesNamed.insert(name);
            complain(
                m_pack.isLost(name)
                    ? QStringLiteral("the picture \"%1\" is lost: Dod.dhl is damaged").arg(name)
                    : QStringLiteral("the picture \"%1\" is not in Dod.dhl").arg(name));
        }
        return QImage();
    }
    // Naming the format spares probing every image plugin.
    const QByteArray format = QFileInfo(name).suffix().toLower().toLatin1();
    if (format == "bmp") {
        QImage plain = bmp::decode24(*bytes);
        if (!plain.isNull())
            return plain;
    }
    QImage image = QImage::fromData(*bytes, format.isEmpty() ? nullptr : format.constData());
    if (image.isNull())
        image = QImage::fromData(*bytes);
    if (image.isNull() && !m_picturesNamed.contains(name)) {
        m_picturesNamed.insert(name);
        complain(QStringLiteral("the picture \"%1\" in Dod.dhl cannot be decoded").arg(name));
    }
    return image;
}

QString TBook::nativeOf(const QString& pathText) const {
    const QString found = BookPaths::resolveOnDisk(pathText);
    return found.isEmpty() ? BookPaths::toNative(pathText) : found;
}

void TBook::registerFonts() {
    const QStringList files =
        cfs::findFiles(m_paths.baseDir(), {QStringLiteral("*.ttf")}, false, false);
    for (const QString& file : files) {
        QString what;
        if (!TRegularFile::check(nativeOf(file), &what)) {
            complain(TRegularFile::refusal(nativeOf(file), what));
            continue;
        }
        const int id = QFontDatabase::addApplicationFont(nativeOf(file));
        if (id >= 0) {
            m_fontIds.append(id);
            m_fontFiles.append(file);
        }
    }
}

void TBook::unregisterFonts() {
    for (int id : std::as_const(m_fontIds))
        QFontDatabase::removeApplicationFont(id);
    m_fontIds.clear();
}
