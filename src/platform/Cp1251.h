#pragma once

#include <QByteArray>
#include <QString>

// Code page 1251, the single-byte encoding of every text a book ships.
// The mapping is a bijection between the 256 byte values and 256 code points:
// the one byte the code page leaves undefined (0x98) maps to U+0098, so any
// byte string survives a round trip through QString.
namespace cp1251 {

QString toUnicode(const QByteArray& bytes);
QString toUnicode(const char* bytes, qsizetype size);
// Characters outside the code page become '?'.
QByteArray fromUnicode(const QString& text);
char fromUnicode(QChar c, char replacement = '?');
QChar toUnicode(unsigned char byte);

// Letter-case rules of the book's texts.
// ASCII A..Z only (descriptions are lower-cased this way).
QByteArray lowerAscii(const QByteArray& bytes);
QString lowerAscii(const QString& text);
// ASCII letters and the code page 1251 letters а..я -> А..Я (ё/Ё untouched).
QByteArray upperArchive(const QByteArray& bytes);
// Case-insensitive comparison that folds ASCII and all Cyrillic letters,
// ё/Ё included (the resource pack's name matching).
bool equalsNoCase(const QString& a, const QString& b);
// The folding equalsNoCase uses: ASCII A..Z and Cyrillic capitals (U+0400..
// U+04FF, so Ё too) to their small letters; usable as a hash key.
QChar foldCase(QChar c);
QString foldCase(const QString& text);

} // namespace cp1251
