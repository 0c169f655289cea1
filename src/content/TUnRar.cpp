#include "content/TUnRar.h"

#include "content/Cp866.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <langinfo.h>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr int kMaxVolumes = 1000;
constexpr qsizetype kBlock = 1 << 20;
constexpr qsizetype kMaxNameBytes = 255;

// libarchive hands names out in the locale's multibyte form, and Unicode
// names only in a UTF-8 locale.
void ensureUtf8Locale() {
    const char* codeset = nl_langinfo(CODESET);
    if (codeset && std::strcmp(codeset, "UTF-8") == 0)
        return;
    if (!std::setlocale(LC_CTYPE, "C.UTF-8"))
        std::setlocale(LC_CTYPE, "C.utf8");
}

// A name as stored: UTF-8 when it is valid UTF-8, else code page 866.
QString decodeName(const char* raw) {
    if (!raw)
        return {};
    const QByteArray bytes(raw);
    bool ascii = true;
    for (const char c : bytes)
        ascii = ascii && uchar(c) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return cp866::toUnicode(bytes);
}

QString libraryError(archive* a) {
    const char* s = a ? archive_error_string(a) : nullptr;
    return s ? QString::fromLocal8Bit(s) : QStringLiteral("unreadable archive data");
}

enum class PathState { Missing, Folder, Link, Other };

PathState stateOf(const QString& nativePath) {
    struct stat st {};
    if (::lstat(QFile::encodeName(nativePath).constData(), &st) != 0)
        return PathState::Missing;
    if (S_ISLNK(st.st_mode))
        return PathState::Link;
    return S_ISDIR(st.st_mode) ? PathState::Folder : PathState::Other;
}

} // namespace

TUnRar::TUnRar() = default;

TUnRar::~TUnRar() {
    close();
}

quint32 TUnRar::dosTimeOf(const QDateTime& time) {
    if (!time.isValid())
        return 0;
    const QDate d = time.date();
    const QTime t = time.time();
    if (d.year() < 1980 || d.year() > 2107)
        return 0;
    return quint32((d.year() - 1980) << 25 | d.month() << 21 | d.day() << 16 | t.hour() << 11 |
                   t.minute() << 5 | t.second() / 2);
}

quint32 TUnRar::dosTimeOf(qint64 secondsSinceEpoch) {
    if (secondsSinceEpoch < 0)
        return 0;
    const time_t t = time_t(secondsSinceEpoch);
    struct tm local {};
    if (!localtime_r(&t, &local) || local.tm_year < 80 || local.tm_year > 207)
        return 0;
    return quint32((local.tm_year - 80) << 25 | (local.tm_mon + 1) << 21 | local.tm_mday << 16 |
                   local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
}

QString TUnRar::nextVolumeName(const QString& volume) {
    static const QRegularExpression part(QStringLiteral("^(.*\\.part)(\\d+)(\\.rar)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression old(QStringLiteral("^(.*\\.)([rs])(\\d\\d)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch m = part.match(volume);
    if (m.hasMatch()) {
        const QString digits = m.captured(2);
        const QString next =
            QString::number(digits.toLongLong() + 1).rightJustified(digits.size(), u'0');
        return m.captured(1) + next + m.captured(3);
    }
    m = old.match(volume);
    if (m.hasMatch()) {
        const int n = m.captured(3).toInt() + 1;
        const bool upper = m.captured(2).at(0).isUpper();
        if (n <= 99)
            return m.captured(1) + m.captured(2) + QString::number(n).rightJustified(2, u'0');
        if (m.captured(2).compare(QLatin1String("r"), Qt::CaseInsensitive) == 0)
            return m.captured(1) + (upper ? QStringLiteral("S00") : QStringLiteral("s00"));
        return {};
    }
    if (volume.endsWith(QLatin1String(".rar"), Qt::CaseInsensitive)) {
        const bool upper = volume.endsWith(QLatin1String(".RAR"));
        return volume.left(volume.size() - 3) +
               (upper ? QStringLiteral("R00") : QStringLiteral("r00"));
    }
    return {};
}

QStringList TUnRar::candidateVolumes(const QString& first) {
    QStringList out;
    QString name = first;
    // A later part of a numbered set: the set starts with its first part.
    static const QRegularExpression part(QStringLiteral("^(.*\\.part)(\\d+)(\\.rar)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = part.match(first);
    if (m.hasMatch() && m.captured(2).toLongLong() > 1) {
        const QString one = m.captured(1) +
                            QStringLiteral("1").rightJustified(m.captured(2).size(), u'0') +
                            m.captured(3);
        if (QFileInfo(one).isFile())
            name = one;
    }
    while (!name.isEmpty() && out.size() < kMaxVolumes && QFileInfo(name).isFile()) {
        out.append(name);
        name = nextVolumeName(name);
    }
    return out;
}

QStringList TUnRar::safeParts(const QString& name, QString* why) {
    auto refuse = [why](const char* reason) {
        if (why)
            *why = QLatin1String(reason);
        return QStringList();
    };
    if (name.contains(QChar(0)))
        return refuse("a zero character in the name");
    if (name.startsWith(u'/') || name.startsWith(u'\\'))
        return refuse("an absolute name");
    const QStringList raw = name.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    if (!raw.isEmpty() && raw.first().size() >= 2 && raw.first().at(1) == u':')
        return refuse("a drive letter");
    QStringList parts;
    for (const QString& p : raw) {
        if (p.isEmpty() || p == QLatin1String("."))
            continue;
        if (p == QLatin1String(".."))
            return refuse("a \"..\" in the name");
        parts.append(p);
    }
    if (parts.isEmpty())
        return refuse("an empty name");
    return parts;
}

qint64 TUnRar::totalUnpacked() const {
    qint64 total = 0;
    for (const rarheaders::RFileInfo& f : m_scan.files)
        total += qint64(qMin<quint64>(f.unpackedSize, quint64(1) << 50));
    return total;
}

int TUnRar::fail(int code, const QString& why) {
    m_error = why;
    return code;
}

int TUnRar::open(const QString& nativePath, OpenMode mode) {
    close();
    m_mode = mode;
    m_error.clear();
    const QFileInfo info(nativePath);
    QFile file(nativePath);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return fail(OpenError, QStringLiteral("cannot open the file"));
    const rarheaders::Format format = rarheaders::formatOf(file.read(8));
    file.close();
    if (format == rarheaders::Format::None)
        return fail(BadArchive, QStringLiteral("not a RAR archive"));

    m_volumes = candidateVolumes(nativePath);
    if (m_volumes.isEmpty())
        m_volumes = {nativePath};
    m_scan = rarheaders::scan(m_volumes);
    if (m_scan.headersEncrypted)
        return fail(Encrypted, QStringLiteral("the archive's headers are encrypted"));
    // Only the volumes the set uses; a set whose last volume says that
    // another follows lacks that one.
    if (!m_scan.volume)
        m_volumes = m_volumes.mid(0, 1);
    else if (m_scan.volumesWalked > 0)
        m_volumes = m_volumes.mid(0, m_scan.volumesWalked);
    if (m_scan.moreVolumes && !m_scan.damaged) {
        m_missing = nextVolumeName(m_volumes.last());
        if (m_missing.isEmpty())
            m_missing = m_volumes.last() + QStringLiteral(" (next volume)");
    }

    ensureUtf8Locale();
    m_archive = archive_read_new();
    if (!m_archive)
        return fail(NoMemory, QStringLiteral("out of memory"));
    archive_read_support_format_rar(m_archive);
    archive_read_support_format_rar5(m_archive);
    std::vector<QByteArray> names;
    for (const QString& v : m_volumes)
        names.push_back(QFile::encodeName(v));
    std::vector<const char*> pointers;
    for (const QByteArray& n : names)
        pointers.push_back(n.constData());
    pointers.push_back(nullptr);
    if (archive_read_open_filenames(m_archive, pointers.data(), 64 * 1024) != ARCHIVE_OK) {
        const QString why = libraryError(m_archive);
        close();
        return fail(BadArchive, why);
    }
    return Success;
}

void TUnRar::close() {
    if (m_archive) {
        archive_read_free(m_archive);
        m_archive = nullptr;
    }
    m_volumes.clear();
    m_missing.clear();
    m_missingTold = false;
    m_scan = {};
    m_index = -1;
    m_fromHeaders = false;
    m_dead = false;
    m_dataDone = true;
    m_current = {};
}

int TUnRar::missingVolume() {
    if (!m_missingTold) {
        m_missingTold = true;
        if (VolumeCallback)
            VolumeCallback(m_missing, VolumeMissing);
    }
    m_dead = true;
    return fail(OpenError, QStringLiteral("volume %1 is missing").arg(m_missing));
}

const rarheaders::RFileInfo* TUnRar::currentInfo() const {
    if (m_index < 0 || m_index >= m_scan.files.size())
        return nullptr;
    const rarheaders::RFileInfo& f = m_scan.files.at(m_index);
    if (!m_fromHeaders && !m_current.directory && f.copyOf.isEmpty() && !m_current.name.isEmpty() &&
        qint64(f.unpackedSize) != m_current.unpackedSize)
        return nullptr; // not the entry the library reads: no checks from the walk
    return &f;
}

int TUnRar::readHeader(RHeader& header) {
    if (!m_archive || m_dead)
        return EndArchive;
    m_dataDone = false;
    if (m_fromHeaders) {
        // A solid RAR 4 archive: the library stopped after its first entry;
        // the rest of the listing comes from the headers.
        if (++m_index >= m_scan.files.size())
            return m_missing.isEmpty() ? EndArchive : missingVolume();
        const rarheaders::RFileInfo& f = m_scan.files.at(m_index);
        m_current = {};
        m_current.name = f.name;
        m_current.name.replace(u'\\', u'/');
        m_current.directory = f.directory;
        m_current.flags = f.directory ? 0xE0 : 0;
        m_current.unpackedSize = qint64(f.unpackedSize);
        m_current.packedSize = qint64(f.packedSize);
        m_current.attributes = f.attributes;
        m_current.encrypted = f.encrypted;
        m_current.dosTime = f.dosTime;
        const QDate day(int(f.dosTime >> 25) + 1980, int((f.dosTime >> 21) & 0xF),
                        int((f.dosTime >> 16) & 0x1F));
        const QTime at(int((f.dosTime >> 11) & 0x1F), int((f.dosTime >> 5) & 0x3F),
                       int(f.dosTime & 0x1F) * 2);
        if (day.isValid() && at.isValid())
            m_current.mtime = QDateTime(day, at).toSecsSinceEpoch();
        header = m_current;
        return Success;
    }
    archive_entry* e = nullptr;
    const int r = archive_read_next_header(m_archive, &e);
    if (r == ARCHIVE_EOF) {
        m_dead = true;
        return m_missing.isEmpty() ? EndArchive : missingVolume();
    }
    if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
        const QString why = libraryError(m_archive);
        if (why.contains(QLatin1String("solid"), Qt::CaseInsensitive) &&
            m_scan.format == rarheaders::Format::Rar4 && m_index + 1 < m_scan.files.size()) {
            m_fromHeaders = true;
            m_error = why;
            return readHeader(header);
        }
        m_dead = true;
        if (why.contains(QLatin1String("ncrypt")))
            return fail(Encrypted, why);
        if (!m_missing.isEmpty())
            return missingVolume();
        return fail(BadData, why);
    }
    ++m_index;
    m_current = {};
    m_unreadable = false;
    m_current.name = decodeName(archive_entry_pathname(e));
    if (m_current.name.isEmpty())
        if (const wchar_t* w = archive_entry_pathname_w(e))
            m_current.name = QString::fromWCharArray(w);
    const mode_t type = archive_entry_filetype(e);
    m_current.directory = type == AE_IFDIR;
    m_current.link = type == AE_IFLNK;
    if (const char* hard = archive_entry_hardlink(e))
        m_current.copyOf = decodeName(hard);
    m_current.flags = m_current.directory ? 0xE0 : 0;
    m_current.unpackedSize = archive_entry_size_is_set(e) ? archive_entry_size(e) : 0;
    if (archive_entry_mtime_is_set(e))
        m_current.mtime = qint64(archive_entry_mtime(e));
    m_current.dosTime = dosTimeOf(m_current.mtime);
    m_current.encrypted = archive_entry_is_encrypted(e);
    if (const rarheaders::RFileInfo* f = currentInfo()) {
        m_current.attributes = f->attributes;
        m_current.packedSize = qint64(f->packedSize);
        m_current.encrypted = m_current.encrypted || f->encrypted;
        // The library hands out an entry named like the one before it
        // without a name, a size or sound data: listed from the headers,
        // not unpacked.
        if (m_current.name.isEmpty()) {
            m_current.name = f->name;
            m_current.name.replace(u'\\', u'/');
            m_current.unpackedSize = qint64(f->unpackedSize);
            m_current.directory = f->directory;
            m_current.flags = f->directory ? 0xE0 : 0;
            m_current.dosTime = f->dosTime ? f->dosTime : m_current.dosTime;
            m_unreadable = true;
        }
        if (!f->copyOf.isEmpty()) {
            // The library hands such entries out empty: they take the size
            // and the data of the entry they name.
            m_current.copyOf = f->copyOf;
            m_current.copyOf.replace(u'\\', u'/');
            m_current.unpackedSize = qint64(f->unpackedSize);
        }
    } else {
        m_current.attributes = m_current.directory ? 0x10 : 0x20;
    }
    while (m_current.name.endsWith(u'/'))
        m_current.name.chop(1);
    header = m_current;
    return Success;
}

int TUnRar::dataError() {
    const QString why = libraryError(m_archive);
    m_dead = true;
    if (!m_missing.isEmpty())
        return missingVolume();
    if (why.contains(QLatin1String("solid"), Qt::CaseInsensitive))
        return fail(SolidUnsupported, why);
    if (why.contains(QLatin1String("ncrypt")))
        return fail(Encrypted, why);
    if (why.contains(QLatin1String("runcat")))
        return fail(ReadError, why);
    return fail(BadData, why);
}

int TUnRar::processFile(Operation op, const QString& destFolder) {
    if (!m_archive)
        return fail(OpenError, QStringLiteral("no archive is open"));
    if (m_dataDone)
        return Success; // this entry was done with already
    m_dataDone = true;
    if (m_fromHeaders) {
        if (op == Skip || m_current.directory)
            return Success;
        return fail(SolidUnsupported,
                    QStringLiteral("entries of solid RAR 4 archives after the first cannot be "
                                   "unpacked"));
    }
    if (op == Extract && m_mode == ExtractMode)
        return extractTo(destFolder);
    if (archive_read_data_skip(m_archive) != ARCHIVE_OK)
        return dataError();
    return Success;
}

int TUnRar::extractTo(const QString& destFolder) {
    auto skip = [this](int code, const QString& why) {
        if (archive_read_data_skip(m_archive) != ARCHIVE_OK) {
            const int c = dataError();
            return code == Refused || code == Kept ? c : code;
        }
        return fail(code, why);
    };
    QString why;
    const QStringList parts = safeParts(m_current.name, &why);
    if (parts.isEmpty())
        return skip(Refused, why);
    if (m_current.link)
        return skip(Refused, QStringLiteral("a link entry"));
    for (const QString& part : parts)
        if (QFile::encodeName(part).size() > kMaxNameBytes)
            return skip(CreateError, QStringLiteral("a name longer than the disk allows"));
    if (m_unreadable)
        return skip(BadData, QStringLiteral("the library cannot read an entry named like the "
                                            "one before it"));
    if (m_current.encrypted)
        return skip(Encrypted, QStringLiteral("the entry is encrypted"));

    // The folders on the way: made when missing, never followed when links.
    QDir().mkpath(destFolder);
    if (stateOf(destFolder) == PathState::Missing)
        return skip(CreateError, QStringLiteral("the folder cannot be made"));
    QString path = destFolder;
    const qsizetype folders = m_current.directory ? parts.size() : parts.size() - 1;
    for (qsizetype i = 0; i < folders; ++i) {
        path += u'/' + parts.at(i);
        switch (stateOf(path)) {
        case PathState::Missing:
            if (::mkdir(QFile::encodeName(path).constData(), 0755) != 0 ||
                stateOf(path) != PathState::Folder)
                return skip(CreateError, QStringLiteral("the folder cannot be made"));
            break;
        case PathState::Folder:
            break;
        case PathState::Link:
            return skip(Refused, QStringLiteral("a link on the way: %1").arg(path));
        case PathState::Other:
            return skip(CreateError, QStringLiteral("a file stands where a folder goes"));
        }
    }
    if (m_current.directory)
        return skip(Success, QString());

    const QString target = path + u'/' + parts.last();
    switch (stateOf(target)) {
    case PathState::Missing:
        break;
    case PathState::Link:
        return skip(Refused, QStringLiteral("a link stands at %1").arg(target));
    case PathState::Folder:
        return skip(CreateError, QStringLiteral("a folder stands at %1").arg(target));
    case PathState::Other:
        if (!ReplaceQuestion || !ReplaceQuestion(target))
            return skip(Kept, QStringLiteral("%1 exists and is kept").arg(target));
        break;
    }

    if (!m_current.copyOf.isEmpty())
        return copyEarlier(destFolder, path, target);

    // Written under a temporary name beside the target; renamed when whole.
    QTemporaryFile temp(path + QStringLiteral("/.vantrel-XXXXXX.part"));
    if (!temp.open())
        return skip(CreateError, temp.errorString());
    QByteArray buffer(kBlock, Qt::Uninitialized);
    qint64 done = 0;
    uLong crc = ::crc32(0L, Z_NULL, 0);
    for (;;) {
        const la_ssize_t n = archive_read_data(m_archive, buffer.data(), size_t(buffer.size()));
        if (n < 0)
            return dataError(); // the temporary file goes with `temp`
        if (n == 0)
            break;
        if (temp.write(buffer.constData(), n) != n)
            return fail(WriteError, temp.errorString());
        crc = ::crc32(crc, reinterpret_cast<const Bytef*>(buffer.constData()), uInt(n));
        done += n;
        if (Progress && !Progress(done))
            return fail(Stopped, QStringLiteral("stopped"));
    }
    if (done < m_current.unpackedSize) {
        if (!m_missing.isEmpty())
            return missingVolume();
        return fail(ReadError,
                    QStringLiteral("%1 of %2 bytes arrived").arg(done).arg(m_current.unpackedSize));
    }
    const rarheaders::RFileInfo* f = currentInfo();
    if (f && f->hasCrc && quint32(crc) != f->crc)
        return fail(BadData, QStringLiteral("data CRC error"));
    if (!temp.flush())
        return fail(WriteError, temp.errorString());
    temp.close();
    if (m_current.mtime >= 0) {
        QFile stamp(temp.fileName());
        if (stamp.open(QIODevice::ReadWrite))
            stamp.setFileTime(m_current.time(), QFileDevice::FileModificationTime);
    }
    return moveIntoPlace(temp, target);
}

// A finished temporary file becomes the entry's file in one rename, readable
// by all and writable by its owner.
int TUnRar::moveIntoPlace(QTemporaryFile& temp, const QString& target) {
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    if (std::rename(QFile::encodeName(temp.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return fail(CloseError, QStringLiteral("cannot rename into %1").arg(target));
    temp.setAutoRemove(false);
    return Success;
}

// A hard link or file copy entry: the earlier entry's file, unpacked into the
// same folder before, is copied (never linked, never followed outside).
int TUnRar::copyEarlier(const QString& destFolder, const QString& folder, const QString& target) {
    if (archive_read_data_skip(m_archive) != ARCHIVE_OK)
        return dataError();
    QString why;
    const QStringList parts = safeParts(m_current.copyOf, &why);
    if (parts.isEmpty())
        return fail(Refused, QStringLiteral("a copy of %1: %2").arg(m_current.copyOf, why));
    QString source = destFolder;
    for (const QString& part : parts) {
        source += u'/' + part;
        if (stateOf(source) == PathState::Link)
            return fail(Refused, QStringLiteral("a link on the way: %1").arg(source));
    }
    if (stateOf(source) != PathState::Other)
        return fail(ReadError, QStringLiteral("%1, whose data this entry shares, was not unpacked")
                                   .arg(m_current.copyOf));
    QFile from(source);
    QTemporaryFile temp(folder + QStringLiteral("/.vantrel-XXXXXX.part"));
    if (!from.open(QIODevice::ReadOnly) || !temp.open())
        return fail(CreateError, temp.errorString());
    QByteArray buffer(kBlock, Qt::Uninitialized);
    for (;;) {
        const qint64 n = from.read(buffer.data(), buffer.size());
        if (n < 0)
            return fail(ReadError, from.errorString());
        if (n == 0)
            break;
        if (temp.write(buffer.constData(), n) != n)
            return fail(WriteError, temp.errorString());
    }
    if (m_current.mtime >= 0)
        temp.setFileTime(m_current.time(), QFileDevice::FileModificationTime);
    temp.close();
    return moveIntoPlace(temp, target);
}
