#include "data/StringUtils.h"

#include "data/BookPaths.h"
#include "platform/Cp1251.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <limits>

namespace cfs {

namespace {

bool isDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

QString trimControls(QStringView s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b).unicode() <= ' ')
        ++b;
    while (e > b && s.at(e - 1).unicode() <= ' ')
        --e;
    return s.mid(b, e - b).toString();
}

// A run of digits at `pos` (which must hold a digit); -1 when it overflows.
int digitRun(const QString& line, qsizetype pos, qsizetype* end) {
    qint64 v = 0;
    bool overflow = false;
    while (pos < line.size() && isDigit(line.at(pos))) {
        if (!overflow) {
            v = v * 10 + (line.at(pos).unicode() - '0');
            if (v > std::numeric_limits<int>::max())
                overflow = true;
        }
        ++pos;
    }
    *end = pos;
    return overflow ? -1 : static_cast<int>(v);
}

QString resolved(const QString& text, const BookPaths* paths) {
    return paths ? paths->resolvePath(text) : text;
}

// One byte of a .cfs line: lower-cased (ASCII only) when asked.
inline char lowerByte(char c, bool lowerCase) {
    return (lowerCase && c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c;
}

} // namespace

QStringList decode(const QByteArray& bytes, bool lowerCase) {
    QStringList lines;
    const qsizetype n = bytes.size();
    if (n == 0)
        return lines;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());

    // Running sum with a doubling key; only the odd positions are kept, in
    // reverse order.
    const qsizetype m = n / 2;
    QByteArray b(m, Qt::Uninitialized);
    unsigned key = static_cast<unsigned>(n % 256);
    unsigned a = s[0];
    for (qsizetype i = 1; i < n; ++i) {
        a = (a + s[i] + key) & 0xFF;
        key = (key * 2) & 0xFF;
        if (i % 2 == 1)
            b[m - 1 - (i - 1) / 2] = static_cast<char>(a);
    }

    QByteArray line;
    qsizetype p = 1;
    while (p <= m - 1) {
        if (b.at(p - 1) == '\r' && b.at(p) == '\n') {
            lines.append(cp1251::toUnicode(line));
            line.clear();
            p += 2;
        } else {
            line.append(lowerByte(b.at(p - 1), lowerCase));
            p += 1;
        }
    }
    if (p == m)
        line.append(lowerByte(b.at(m - 1), lowerCase));
    lines.append(cp1251::toUnicode(line));
    return lines;
}

QByteArray encode(const QStringList& lines) {
    if (lines.isEmpty())
        return {};
    const QByteArray text = cp1251::fromUnicode(lines.join(QStringLiteral("\r\n")));
    const qsizetype m = text.size();
    if (m == 0)
        return QByteArray(1, '\0'); // one byte decodes to one empty line
    const qsizetype n = 2 * m;

    // Choose the running sums A: odd positions carry the text in reverse,
    // even positions some filler; then undo the running sum.
    QByteArray a(n, Qt::Uninitialized);
    quint32 filler = static_cast<quint32>(n) * 2654435761u + 12345u;
    for (qsizetype i = 0; i < n; ++i) {
        if (i % 2 == 1) {
            a[i] = text.at(m - 1 - (i - 1) / 2);
        } else {
            filler = filler * 1103515245u + 12345u;
            a[i] = static_cast<char>(filler >> 16);
        }
    }
    QByteArray out(n, Qt::Uninitialized);
    out[0] = a.at(0);
    unsigned key = static_cast<unsigned>(n % 256);
    for (qsizetype i = 1; i < n; ++i) {
        unsigned cur = static_cast<unsigned char>(a.at(i));
        unsigned prev = static_cast<unsigned char>(a.at(i - 1));
        out[i] = static_cast<char>((cur - prev - key) & 0xFF);
        key = (key * 2) & 0xFF;
    }
    return out;
}

int readInt(const QString& line, qsizetype from) {
    qsizetype p = qMax<qsizetype>(from, 0);
    const qsizetype n = line.size();
    while (p < n && line.at(p) != u'-' && !isDigit(line.at(p)))
        ++p;
    qsizetype e = p;
    while (e < n && (line.at(e) == u'-' || isDigit(line.at(e))))
        ++e;
    if (e == p)
        return -1;
    bool ok = false;
    int v = QStringView(line).mid(p, e - p).toInt(&ok);
    return ok ? v : -1;
}

QString readText(const QString& line, qsizetype from) {
    if (from < 0)
        from = 0;
    if (from >= line.size())
        return {};
    qsizetype e = line.indexOf(u';', from);
    if (e < 0)
        e = line.size();
    return trimControls(QStringView(line).mid(from, e - from));
}

int readColor(const QString& line, qsizetype from) {
    qsizetype p = qMax<qsizetype>(from, 0);
    int rgb[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        while (p < line.size() && !isDigit(line.at(p)))
            ++p;
        if (p >= line.size())
            break; // no more digits: the rest stays 0
        qsizetype end = 0;
        int v = digitRun(line, p, &end);
        rgb[i] = qBound(0, v, 255);
        p = end + 1; // past the number and its one separator
    }
    return rgb[0] + 256 * rgb[1] + 65536 * rgb[2];
}

QStringList readList(const QStringList& lines, qsizetype& lineIndex, const BookPaths* paths) {
    QStringList items;
    if (lineIndex < 0 || lineIndex >= lines.size())
        return items;
    qsizetype p = lines.at(lineIndex).indexOf(u'[');
    if (p < 0)
        return items;
    ++p;
    auto atEnd = [&](qsizetype pos) {
        const QString& l = lines.at(lineIndex);
        return pos >= l.size() || l.at(pos).isNull();
    };
    for (;;) {
        if (!atEnd(p) && lines.at(lineIndex).at(p) == u']')
            break;
        const QString& l = lines.at(lineIndex);
        qsizetype e = p;
        while (!atEnd(e) && l.at(e) != u';' && l.at(e) != u']')
            ++e;
        items.append(resolved(trimControls(QStringView(l).mid(p, e - p)), paths));
        if (atEnd(e)) {
            if (lineIndex + 1 >= lines.size())
                break; // no closing bracket before the end of the text
            ++lineIndex;
            p = 0;
        } else if (l.at(e) == u';') {
            p = e + 1;
        } else {
            p = e; // the closing bracket
        }
    }
    return items;
}

bool readSwitch(const QString& line, qsizetype from) {
    return cp1251::lowerAscii(readText(line, from)) == QLatin1String("on");
}

int readFontStyle(const QString& line, qsizetype from) {
    const QString t = cp1251::lowerAscii(readText(line, from));
    int style = 0;
    if (t.contains(QLatin1String("bold")))
        style |= 1;
    if (t.contains(QLatin1String("italic")))
        style |= 2;
    if (t.contains(QLatin1String("underline")))
        style |= 4;
    if (t.contains(QLatin1String("strikeout")))
        style |= 8;
    return style;
}

QString valueOf(const QString& line, const BookPaths* paths) {
    const qsizetype first = line.indexOf(u'=');
    if (first < 0)
        return {};
    const qsizetype last = line.lastIndexOf(u'=');
    if (last == first)
        return resolved(line.mid(first + 1), paths);
    return resolved(line.mid(first + 1, last - first - 1), paths);
}

QString secondValueOf(const QString& line, const BookPaths* paths) {
    const qsizetype first = line.indexOf(u'=');
    const qsizetype last = line.lastIndexOf(u'=');
    if (first < 0 || last == first)
        return {};
    return resolved(line.mid(last + 1), paths);
}

QPolygon readOutline(const QStringList& lines, qsizetype& lineIndex) {
    QPolygon polygon;
    const QStringList items = readList(lines, lineIndex, nullptr);
    for (const QString& item : items) {
        const qsizetype comma = item.indexOf(u',');
        if (comma < 0)
            continue;
        bool okX = false;
        bool okY = false;
        const int x = item.left(comma).trimmed().toInt(&okX);
        const int y = item.mid(comma + 1).trimmed().toInt(&okY);
        // A window system takes no coordinate beyond 16 bits.
        if (okX && okY)
            polygon.append(QPoint(qBound(-32767, x, 32767), qBound(-32767, y, 32767)));
    }
    return polygon;
}

bool indexOfInteger(const QList<int>& list, int value, qsizetype* index) {
    const qsizetype i = list.indexOf(value);
    if (index)
        *index = i;
    return i >= 0;
}

bool containsText(const QStringList& list, const QString& text) {
    const QString want = cp1251::lowerAscii(text);
    for (const QString& item : list) {
        if (item.size() == want.size() && cp1251::lowerAscii(item) == want)
            return true;
    }
    return false;
}

QStringList findFiles(const QString& directory, const QStringList& masks, bool recurse,
                      bool includeDirectories) {
    QStringList result;
    if (directory.isEmpty())
        return result;
    QStringList lowered;
    for (const QString& m : masks) {
        QString l = cp1251::lowerAscii(m);
        // "*.*" means every file, with or without an extension.
        lowered.append(l == QLatin1String("*.*") ? QStringLiteral("*") : l);
    }

    struct Dir {
        QString text;
        QString native;
    };
    QString top = directory;
    top.replace(u'/', u'\\');
    if (!top.endsWith(u'\\'))
        top += u'\\';
    const QString topNative = BookPaths::resolveOnDisk(top);
    if (topNative.isEmpty() || !QFileInfo(topNative).isDir())
        return result;

    QList<Dir> queue{{top, topNative}};
    QSet<QString> seen; // canonical paths: a linked folder loop ends here
    for (qsizetype qi = 0; qi < queue.size(); ++qi) {
        const Dir d = queue.at(qi);
        const QString canonical = QFileInfo(d.native).canonicalFilePath();
        if (seen.contains(canonical))
            continue;
        seen.insert(canonical);
        if (includeDirectories)
            result.append(d.text);
        QDir dir(d.native);
        for (const QString& mask : lowered) {
            const QStringList files =
                dir.entryList(QStringList{mask}, QDir::Files | QDir::Hidden | QDir::System,
                              QDir::Name | QDir::IgnoreCase);
            for (const QString& f : files)
                result.append(d.text + f);
        }
        if (!recurse)
            continue;
        const QStringList subs = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                               QDir::Name | QDir::IgnoreCase);
        for (const QString& s : subs)
            queue.append({d.text + s + u'\\', dir.filePath(s)});
    }
    return result;
}

} // namespace cfs
