#include "platform/Cp1251.h"

#include <array>

namespace cp1251 {

namespace {

// 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F, 0x00..0x7F are ASCII.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98 (0x98 unused)
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

// Reverse lookup for the code points below U+0500 (the whole Cyrillic block
// and Latin-1): 0 means "not in the code page" except for U+0000 itself.
struct Reverse {
    std::array<unsigned char, 0x500> low{};
    Reverse() {
        for (int b = 0x80; b < 0x100; ++b) {
            char16_t u = toUnicode(static_cast<unsigned char>(b)).unicode();
            if (u < low.size())
                low[u] = static_cast<unsigned char>(b);
        }
    }
};

const Reverse& reverse() {
    static const Reverse r;
    return r;
}

int encodeChar(char16_t u) {
    if (u < 0x80)
        return u;
    if (u < 0x500) {
        unsigned char b = reverse().low[u];
        return b ? b : -1;
    }
    for (int i = 0; i < 64; ++i) {
        if (kHigh[i] == u)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QChar toUnicode(unsigned char byte) {
    if (byte < 0x80)
        return QChar(char16_t(byte));
    if (byte >= 0xC0)
        return QChar(char16_t(0x0410 + (byte - 0xC0)));
    return QChar(kHigh[byte - 0x80]);
}

QString toUnicode(const char* bytes, qsizetype size) {
    QString out;
    if (!bytes || size <= 0)
        return out;
    out.resize(size);
    QChar* d = out.data();
    for (qsizetype i = 0; i < size; ++i)
        d[i] = toUnicode(static_cast<unsigned char>(bytes[i]));
    return out;
}

QString toUnicode(const QByteArray& bytes) {
    return toUnicode(bytes.constData(), bytes.size());
}

char fromUnicode(QChar c, char replacement) {
    int b = encodeChar(c.unicode());
    return b < 0 ? replacement : static_cast<char>(b);
}

QByteArray fromUnicode(const QString& text) {
    QByteArray out;
    out.resize(text.size());
    char* d = out.data();
    const QChar* s = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i)
        d[i] = fromUnicode(s[i]);
    return out;
}

QByteArray lowerAscii(const QByteArray& bytes) {
    QByteArray out = bytes;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 0x20);
    }
    return out;
}

QString lowerAscii(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        char16_t u = c.unicode();
        if (u >= 'A' && u <= 'Z')
            c = QChar(char16_t(u + 0x20));
    }
    return out;
}

QByteArray upperArchive(const QByteArray& bytes) {
    QByteArray out = bytes;
    for (char& c : out) {
        unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || b >= 0xE0)
            c = static_cast<char>(b - 0x20);
    }
    return out;
}

QChar foldCase(QChar c) {
    char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= 'A' && u <= 'Z') ? QChar(char16_t(u + 0x20)) : c;
    if (u >= 0x0400 && u <= 0x04FF)
        return c.toLower();
    return c;
}

QString foldCase(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        c = foldCase(c);
    return out;
}

bool equalsNoCase(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return false;
    const QChar* pa = a.constData();
    const QChar* pb = b.constData();
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (pa[i] != pb[i] && foldCase(pa[i]) != foldCase(pb[i]))
            return false;
    }
    return true;
}

} // namespace cp1251
