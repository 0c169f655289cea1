#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// The two reading operations of the book's index files (keywords.idx,
// index.idx, files.idx, tezaurus.idx): one line at a time, and the split of a
// line at a separator.
namespace indexlines {

// ReadIndexLine: the next line of `stream` into `line`. A line ends at a CR
// (consumed, not stored); LF bytes are dropped wherever they stand. True when
// the line ended at a CR (more may follow), false when the data ended (the
// line then holds what was read). A read error ends the data as well, so a
// failing stream cannot keep a reader looping.
bool ReadIndexLine(QIODevice& stream, QByteArray& line);

// Spaces and control characters (code points up to 32) removed at both ends.
QString trimControls(const QString& text);

// SplitBy: wherever `separator` occurs, the piece collected so far is trimmed
// and kept when not empty. At the end, when a separator was seen and exactly
// one piece was kept, the rest is kept as it stands (even empty); otherwise
// the rest is kept only when it is not empty (untrimmed). An empty separator
// gives the text itself (or nothing for an empty text).
QStringList SplitBy(const QString& separator, const QString& text);

} // namespace indexlines
