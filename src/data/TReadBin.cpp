#include "data/TReadBin.h"

#include "platform/Cp1251.h"
#include "platform/TRegularFile.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace {

constexpr quint32 kMaxNameLength = 256;
// Smallest directory record: length, a one-byte name, offset and size.
constexpr qint64 kMinRecord = 4 + 1 + 4 + 4;
constexpr qint64 kMaxRecord = 4 + kMaxNameLength + 4 + 4;

quint32 le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | (quint32(u[1]) << 8) | (quint32(u[2]) << 16) | (quint32(u[3]) << 24);
}

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

} // namespace

bool TReadBin::load(const QString& nativePath, QString* error) {
    QString what;
    if (!TRegularFile::check(nativePath, &what)) {
        setError(error, TRegularFile::refusal(nativePath, what));
        return false;
    }
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("cannot open %1: %2").arg(nativePath, file.errorString()));
        return false;
    }
    const qint64 fileSize = file.size();
    if (fileSize < 2) {
        setError(error, QStringLiteral("%1: too short for a resource pack").arg(nativePath));
        return false;
    }
    char head[2];
    if (file.read(head, 2) != 2) {
        setError(error, QStringLiteral("%1: read error").arg(nativePath));
        return false;
    }
    const qint64 count =
        quint16(static_cast<unsigned char>(head[0]) | (static_cast<unsigned char>(head[1]) << 8));
    if (count * kMinRecord > fileSize - 2) {
        setError(error,
                 QStringLiteral(
                     "%1 is damaged: the directory of %2 entries runs past the end of the file")
                     .arg(nativePath)
                     .arg(count));
        return false;
    }

    // The directory is at most count * kMaxRecord bytes and never more than
    // the file holds: read it in one go.
    const qint64 want = qMin(count * kMaxRecord, fileSize - 2);
    const QByteArray dir = file.read(want);
    if (dir.size() != want) {
        setError(error, QStringLiteral("%1: read error").arg(nativePath));
        return false;
    }

    TDynamicBinArray entries;
    entries.reserve(count);
    QHash<QString, qsizetype> index;
    index.reserve(count);
    const char* p = dir.constData();
    const qint64 size = dir.size();
    qint64 pos = 0;
    for (qint64 i = 0; i < count; ++i) {
        if (pos + 4 > size) {
            setError(error, QStringLiteral("%1 is damaged: the file ends inside its directory "
                                           "(entry %2 of %3)")
                                .arg(nativePath)
                                .arg(i + 1)
                                .arg(count));
            return false;
        }
        const quint32 len = le32(p + pos);
        pos += 4;
        if (len == 0 || len > kMaxNameLength) {
            setError(error, QStringLiteral("%1: entry %2 has a name length of %3 (1..256 allowed)")
                                .arg(nativePath)
                                .arg(i)
                                .arg(len));
            return false;
        }
        if (pos + len + 8 > size) {
            setError(error, QStringLiteral("%1 is damaged: the file ends inside its directory "
                                           "(entry %2 of %3)")
                                .arg(nativePath)
                                .arg(i + 1)
                                .arg(count));
            return false;
        }
        const char* name = p + pos;
        const qsizetype nameLen = qstrnlen(name, len);
        RBin rec;
        rec.name = cp1251::toUnicode(name, nameLen);
        pos += len;
        rec.offset = le32(p + pos);
        rec.size = le32(p + pos + 4);
        pos += 8;
        const QString key = cp1251::foldCase(rec.name);
        if (!index.contains(key))
            index.insert(key, entries.size());
        entries.append(rec);
    }

    // Entries whose data run past the end of the file are lost (reads of
    // them fail); they are named once.
    QStringList lost;
    for (const RBin& rec : std::as_const(entries))
        if (qint64(rec.offset) + qint64(rec.size) > fileSize)
            lost << rec.name;

    m_path = nativePath;
    m_entries = std::move(entries);
    m_index = std::move(index);
    m_lost = lost;
    return true;
}

QString TReadBin::damageLine() const {
    if (!isDamaged())
        return {};
    const qsizetype shown = qMin<qsizetype>(m_lost.size(), 20);
    QString names = m_lost.mid(0, shown).join(QStringLiteral(", "));
    if (shown < m_lost.size())
        names += QStringLiteral(" and %1 more").arg(m_lost.size() - shown);
    return QStringLiteral("%1 is damaged: %2 of its %3 entries run past its end and are lost: %4")
        .arg(m_path)
        .arg(m_lost.size())
        .arg(m_entries.size())
        .arg(names);
}

bool TReadBin::isLost(const QString& name) const {
    const RBin* rec = find(name);
    return rec && m_lost.contains(rec->name);
}

const RBin* TReadBin::find(const QString& name) const {
    auto it = m_index.constFind(cp1251::foldCase(name));
    return it == m_index.constEnd() ? nullptr : &m_entries.at(it.value());
}

bool TReadBin::has(const QString& name) const {
    return find(name) != nullptr;
}

qint64 TReadBin::readToBuffer(const QString& name, QByteArray& buffer) const {
    const RBin* rec = find(name);
    if (!rec)
        return -1;
    // Sizes are signed 32-bit byte counts.
    if (rec->size > quint32(std::numeric_limits<qint32>::max()))
        return -1;
    QFile file(m_path);
    if (!TRegularFile::check(m_path) || !file.open(QIODevice::ReadOnly))
        return -1;
    if (qint64(rec->offset) + qint64(rec->size) > file.size())
        return -1;
    if (!file.seek(rec->offset))
        return -1;
    buffer.resize(rec->size);
    if (rec->size == 0)
        return 0;
    if (file.read(buffer.data(), rec->size) != qint64(rec->size))
        return -1;
    return rec->size;
}

bool TReadBin::readToStream(const QString& name, QBuffer& stream) const {
    QByteArray bytes;
    if (readToBuffer(name, bytes) < 0)
        return false;
    if (stream.isOpen())
        stream.close();
    stream.setData(bytes);
    if (!stream.open(QIODevice::ReadWrite))
        return false;
    return stream.seek(0);
}

std::optional<QByteArray> TReadBin::read(const QString& name) const {
    QByteArray bytes;
    if (readToBuffer(name, bytes) < 0)
        return std::nullopt;
    return bytes;
}
