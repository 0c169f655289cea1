#include "data/PackWriter.h"

#include "platform/Cp1251.h"

#include <QSaveFile>
#include <QtEndian>

namespace {

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

void put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

bool PackWriter::add(const QString& name, const QByteArray& data, QString* error) {
    const QByteArray stored = cp1251::fromUnicode(name);
    if (stored.isEmpty() || stored.size() > 256) {
        setError(error, QStringLiteral("entry name \"%1\": must be 1 to 256 bytes").arg(name));
        return false;
    }
    if (cp1251::toUnicode(stored) != name) {
        setError(
            error,
            QStringLiteral("entry name \"%1\": not representable in code page 1251").arg(name));
        return false;
    }
    if (name.contains(QChar(0))) {
        setError(error, QStringLiteral("entry name \"%1\": holds a NUL character").arg(name));
        return false;
    }
    const QString folded = cp1251::foldCase(name);
    if (const auto it = m_folded.constFind(folded); it != m_folded.constEnd()) {
        setError(error, QStringLiteral("entry name \"%1\": the pack already holds \"%2\" (names "
                                       "ignore letter case)")
                            .arg(name, it.value()));
        return false;
    }
    if (m_entries.size() >= 65535) {
        setError(error, QStringLiteral("a pack holds at most 65535 entries"));
        return false;
    }
    m_entries.append({name, data});
    m_folded.insert(folded, name);
    return true;
}

QByteArray PackWriter::toBytes(QString* error) const {
    qint64 dirSize = 2;
    for (const Entry& e : m_entries)
        dirSize += 4 + cp1251::fromUnicode(e.name).size() + 8;
    qint64 total = dirSize;
    for (const Entry& e : m_entries)
        total += e.data.size();
    if (total > qint64(0xFFFFFFFFu)) {
        setError(error, QStringLiteral("the pack would exceed 4 GiB"));
        return {};
    }

    QByteArray out;
    out.reserve(total);
    char c[2];
    qToLittleEndian(quint16(m_entries.size()), c);
    out.append(c, 2);
    quint32 offset = quint32(dirSize);
    for (const Entry& e : m_entries) {
        const QByteArray name = cp1251::fromUnicode(e.name);
        put32(out, quint32(name.size()));
        out.append(name);
        put32(out, offset);
        put32(out, quint32(e.data.size()));
        offset += quint32(e.data.size());
    }
    for (const Entry& e : m_entries)
        out.append(e.data);
    return out;
}

bool PackWriter::write(const QString& nativePath, QString* error) const {
    QString err;
    const QByteArray bytes = toBytes(&err);
    if (!err.isEmpty()) {
        setError(error, err);
        return false;
    }
    QSaveFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(nativePath, file.errorString()));
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(nativePath, file.errorString()));
        return false;
    }
    return true;
}
