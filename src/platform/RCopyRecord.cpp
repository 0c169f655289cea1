#include "platform/RCopyRecord.h"

#include "platform/Cp1251.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

void fail(QString* error, const QString& why) {
    if (error)
        *error = why;
}

} // namespace

RCopyRecord RCopyRecord::single(Kind kind, const QString& text) {
    RCopyRecord r;
    r.kind = kind;
    r.count = 1;
    r.texts[0] = text;
    return r;
}

std::optional<QByteArray> RCopyRecord::encode(QString* error) const {
    if (!knownKind(kind)) {
        fail(error, QStringLiteral("unknown record kind %1").arg(kind));
        return std::nullopt;
    }
    if (count < 1 || count > kFields) {
        fail(error, QStringLiteral("a record carries 1 to 3 texts, not %1").arg(count));
        return std::nullopt;
    }
    QByteArray out(kSize, '\0');
    char* d = out.data();
    qToLittleEndian<std::int16_t>(kind, d + kKindOffset);
    qToLittleEndian<std::uint16_t>(count, d + kCountOffset);
    for (int i = 0; i < kFields; ++i)
        qToLittleEndian<std::int32_t>(codes[i], d + kCodesOffset + 4 * i);
    for (int i = 0; i < count; ++i) {
        const QString& text = texts[i];
        if (text.contains(QChar(u'\0'))) {
            fail(error, QStringLiteral("text %1 holds a NUL character").arg(i + 1));
            return std::nullopt;
        }
        const QByteArray bytes = cp1251::fromUnicode(text);
        // A character the code page lacks would arrive as '?': another text,
        // possibly another valid path.
        if (cp1251::toUnicode(bytes) != text) {
            fail(error, QStringLiteral("text %1 has characters outside code page 1251: %2")
                            .arg(i + 1)
                            .arg(text));
            return std::nullopt;
        }
        if (bytes.size() > kMaxText) {
            fail(error, QStringLiteral("text %1 is %2 characters long, at most %3 fit: %4")
                            .arg(i + 1)
                            .arg(bytes.size())
                            .arg(kMaxText)
                            .arg(text));
            return std::nullopt;
        }
        std::copy(bytes.cbegin(), bytes.cend(), d + kTextsOffset + i * kTextSize);
    }
    return out;
}

std::optional<RCopyRecord> RCopyRecord::decode(const QByteArray& bytes, QString* error) {
    if (bytes.size() != kSize) {
        fail(error,
             QStringLiteral("a record of %1 bytes instead of %2").arg(bytes.size()).arg(kSize));
        return std::nullopt;
    }
    const char* d = bytes.constData();
    RCopyRecord r;
    r.kind = qFromLittleEndian<std::int16_t>(d + kKindOffset);
    r.count = qFromLittleEndian<std::uint16_t>(d + kCountOffset);
    if (!knownKind(r.kind)) {
        fail(error, QStringLiteral("a record of unknown kind %1").arg(r.kind));
        return std::nullopt;
    }
    if (r.count < 1 || r.count > kFields) {
        fail(error, QStringLiteral("a record that counts %1 texts").arg(r.count));
        return std::nullopt;
    }
    for (int i = 0; i < kFields; ++i)
        r.codes[i] = qFromLittleEndian<std::int32_t>(d + kCodesOffset + 4 * i);
    for (int i = 0; i < r.count; ++i) {
        const char* field = d + kTextsOffset + i * kTextSize;
        const void* nul = std::memchr(field, 0, kTextSize);
        if (!nul) {
            fail(error, QStringLiteral("text %1 of a record has no end").arg(i + 1));
            return std::nullopt;
        }
        r.texts[i] = cp1251::toUnicode(field, static_cast<const char*>(nul) - field);
    }
    return r;
}
