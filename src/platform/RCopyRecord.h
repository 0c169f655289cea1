#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The fixed-size record that copies of the program exchange: 840 bytes,
// little-endian, zero-filled.
//
//   offset 0    int16        kind (0 show a page, 1 print a file, 3 is this
//                            document shown)
//   offset 2    uint16       count of text fields in use (1 to 3)
//   offset 4    3 x int32    one code per text field
//   offset 16   3 x 274      NUL-terminated code page 1251 texts
//   offset 838  2 bytes      zero
//
// It travels byte for byte; encode() refuses texts that would not come back
// as they were sent, decode() refuses records it cannot trust.
struct RCopyRecord {
    static constexpr int kSize = 840;
    static constexpr int kFields = 3;
    static constexpr int kTextSize = 274;
    static constexpr int kMaxText = kTextSize - 1;
    static constexpr int kKindOffset = 0;
    static constexpr int kCountOffset = 2;
    static constexpr int kCodesOffset = 4;
    static constexpr int kTextsOffset = 16;
    static constexpr int kPaddingOffset = kTextsOffset + kFields * kTextSize; // 838

    enum Kind : std::int16_t { ShowPage = 0, PrintFile = 1, IsShown = 3 };

    std::int16_t kind = ShowPage;
    std::uint16_t count = 0;
    std::array<std::int32_t, kFields> codes{};
    std::array<QString, kFields> texts;

    // A record of one text field with code 0.
    static RCopyRecord single(Kind kind, const QString& text);

    // The 840 bytes, or nothing when a text in use does not fit its field
    // (more than 273 bytes), holds a NUL or a character outside code page
    // 1251, or the count is not 1 to 3; `error` then says why in one line.
    std::optional<QByteArray> encode(QString* error = nullptr) const;
    // The record of `bytes`, or nothing when it is not 840 bytes long, of an
    // unknown kind, counts fields it does not have, or a field in use has no
    // NUL within its 274 bytes; `error` then says why in one line. Fields
    // past the count are not read.
    static std::optional<RCopyRecord> decode(const QByteArray& bytes, QString* error = nullptr);

    static bool knownKind(int kind) {
        return kind == ShowPage || kind == PrintFile || kind == IsShown;
    }
};
