#pragma once

#include <QByteArray>
#include <QString>

// The matching rule of text search: runs of white space count as one space,
// a match may span tags and line breaks, letter case is optional.
namespace textmatch {

// Collapses every run of white space (including non-breaking spaces) into one
// space; leading and trailing runs are kept as one space.
QString collapseSpaces(const QString& text);
// Position of `needle` in `hay` at or after `from`, or -1. Both are compared
// with white space collapsed; `hay` must already be collapsed.
int find(const QString& hay, const QString& needle, bool matchCase, int from = 0);
// The text of an HTML page as find sees it, without laying it out (see
// TPageText).
QString pageText(const QString& html);
// pageText of a book file's bytes (charset detection as for display).
QString pageTextOfFile(const QByteArray& bytes, const QString& path);
// True when the file's text contains `needle`.
bool fileContains(const QByteArray& bytes, const QString& path, const QString& needle,
                  bool matchCase);

} // namespace textmatch
