#include "data/IndexLines.h"

#include <QIODevice>

namespace indexlines {

bool ReadIndexLine(QIODevice& stream, QByteArray& line) {
    line.clear();
    char c = 0;
    for (;;) {
        const qint64 got = stream.read(&c, 1);
        if (got == 0)
            return false;
        // A failing stream ends the data: reading on would never end.
        if (got < 0)
            return false;
        if (c == '\r')
            return true;
        if (c != '\n')
            line.append(c);
    }
}

QString trimControls(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QStringList SplitBy(const QString& separator, const QString& text) {
    QStringList pieces;
    if (separator.isEmpty()) {
        if (!text.isEmpty())
            pieces.append(text);
        return pieces;
    }
    bool seen = false;
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0)
            break;
        seen = true;
        const QString piece = trimControls(text.mid(start, at - start));
        if (!piece.isEmpty())
            pieces.append(piece);
        start = at + separator.size();
    }
    const QString rest = text.mid(start);
    if (seen && pieces.size() == 1)
        pieces.append(rest);
    else if (!rest.isEmpty())
        pieces.append(rest);
    return pieces;
}

} // namespace indexlines
