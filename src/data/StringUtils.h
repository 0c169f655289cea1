#pragma once

#include <QByteArray>
#include <QPolygon>
#include <QString>
#include <QStringList>

class BookPaths;

// The value syntax shared by every interface description, and the small
// text, list and file utilities that live beside it. Lines are Unicode
// strings decoded from code page 1251; positions are 0-based here.
namespace cfs {

// Decodes a scrambled .cfs entry into its lines (no lines for 0 bytes).
// lowerCase: ASCII A..Z are lower-cased, every other byte kept.
QStringList decode(const QByteArray& bytes, bool lowerCase);
// The inverse of decode(): bytes that decode(bytes, false) turns back into
// exactly `lines`, provided no line holds a CR LF pair (that would split it)
// and every character is in code page 1251 (others become '?'). Used by the
// book tool and the tests.
QByteArray encode(const QStringList& lines);

// ReadInt: from `from` skip to the first '-' or digit, take the longest run of
// '-' and digits, convert to int32; -1 when there is none or it is invalid.
int readInt(const QString& line, qsizetype from);
// ReadText: up to the first ';' or the end of the line, trimmed of spaces and
// control characters.
QString readText(const QString& line, qsizetype from);
// ReadColor: r,g,b -> r + 256*g + 65536*b.
int readColor(const QString& line, qsizetype from);
// ReadList: a bracketed list starting in lines[lineIndex]; may continue over
// further lines (lineIndex advances). Items are path-resolved when `paths` is
// given. Stops at the end of the text when the closing bracket is missing.
QStringList readList(const QStringList& lines, qsizetype& lineIndex, const BookPaths* paths);
// Switch value: "on" -> true.
bool readSwitch(const QString& line, qsizetype from);
// Font style: bold 1, italic 2, underline 4, strikeout 8.
int readFontStyle(const QString& line, qsizetype from);
// ValueOf / SecondValueOf (path-resolved when `paths` is given).
QString valueOf(const QString& line, const BookPaths* paths);
QString secondValueOf(const QString& line, const BookPaths* paths);
// Window outline: a list of "x,y" points -> polygon (winding fill is the
// caller's choice when it makes a region).
QPolygon readOutline(const QStringList& lines, qsizetype& lineIndex);

bool indexOfInteger(const QList<int>& list, int value, qsizetype* index = nullptr);
bool containsText(const QStringList& list, const QString& text);

// FindFiles: breadth-first; per directory, files matching each mask in mask
// order; directories included when asked. Directory and results are path
// texts.
QStringList findFiles(const QString& directory, const QStringList& masks, bool recurse,
                      bool includeDirectories);

} // namespace cfs
