#include "content/TMakeFind.h"

#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "data/IndexLines.h"
#include "platform/Cp1251.h"
#include "platform/Log.h"
#include "platform/TRegularFile.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// One index file read line by line with the line rules of ReadIndexLine (CR
// ends a line, LF is dropped, the end of the data ends the last line), but a
// block at a time and with a ceiling on the line length: the rest of an
// over-long line is skipped (named once on stderr), so that a huge file of
// garbage costs time in proportion to its size and no more memory than one
// line. An entry of interface.dat comes whole from the archive; a loose file
// is streamed.
class IndexFile {
public:
    IndexFile(QString name, std::optional<QByteArray> whole, const QString& native)
        : m_name(std::move(name)) {
        if (whole) {
            m_block = std::move(*whole);
            m_open = true;
            m_whole = true;
        } else if (!native.isEmpty()) {
            m_file.setFileName(native);
            m_open = TRegularFile::check(native) && m_file.open(QIODevice::ReadOnly);
        }
    }

    bool isOpen() const { return m_open; }

    // The next line into `line`; false when there was none left to read.
    // `cut` tells whether the line was longer than the ceiling.
    bool next(QByteArray& line, bool& cut) {
        line.resize(0);
        cut = false;
        if (m_done)
            return false;
        for (;;) {
            if (m_pos >= m_block.size() && !refill()) {
                m_done = true;
                return true; // the data ended the line
            }
            const char* data = m_block.constData();
            const qsizetype end = m_block.size();
            const char* cr =
                static_cast<const char*>(std::memchr(data + m_pos, '\r', size_t(end - m_pos)));
            const qsizetype i = cr ? cr - data : end;
            if (!cut)
                append(line, data + m_pos, i - m_pos, cut);
            if (i < end) {
                m_pos = i + 1;
                return true;
            }
            m_pos = end;
        }
    }

private:
    bool refill() {
        if (m_whole || !m_file.isOpen())
            return false;
        m_block = m_file.read(kBlock);
        m_pos = 0;
        return !m_block.isEmpty();
    }

    void append(QByteArray& line, const char* from, qsizetype size, bool& cut) {
        while (size > 0) {
            const char* lf = static_cast<const char*>(std::memchr(from, '\n', size_t(size)));
            const qsizetype piece = lf ? lf - from : size;
            const qsizetype room = TMakeFind::kMaxLineBytes - line.size();
            if (piece > room) {
                line.append(from, room);
                if (!m_named)
                    vlog::complain(QStringLiteral("%1: a line longer than %2 bytes; its rest is "
                                                  "skipped")
                                       .arg(m_name)
                                       .arg(TMakeFind::kMaxLineBytes));
                m_named = true;
                cut = true;
                return;
            }
            line.append(from, piece);
            if (!lf)
                return;
            size -= piece + 1;
            from = lf + 1;
        }
    }

    static constexpr qint64 kBlock = 256 * 1024;
    QString m_name;
    QFile m_file;
    QByteArray m_block;
    qsizetype m_pos = 0;
    bool m_open = false;
    bool m_whole = false;
    bool m_done = false;
    bool m_named = false;
};

// Letter case of code page 1251: every letter of the code page to its small
// letter (ASCII, а..я, ё and the other Cyrillic letters the code page holds).
const std::array<unsigned char, 256>& smallLetterTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const QChar small = cp1251::toUnicode(uchar(b)).toLower();
            const char back = cp1251::fromUnicode(small, '\0');
            t[b] =
                (back != '\0' && cp1251::toUnicode(uchar(back)) == small) ? uchar(back) : uchar(b);
        }
        return t;
    }();
    return table;
}

bool sameText(const QByteArray& a, const QByteArray& b, bool matchCase) {
    if (a.size() != b.size())
        return false;
    if (matchCase)
        return a == b;
    const auto& small = smallLetterTable();
    for (qsizetype i = 0; i < a.size(); ++i)
        if (small[uchar(a[i])] != small[uchar(b[i])])
            return false;
    return true;
}

// A page number of index.idx: decimal digits only, within range.
std::optional<qint64> pageNumber(const QString& piece) {
    if (piece.isEmpty() || piece.size() > 18)
        return std::nullopt;
    qint64 n = 0;
    for (QChar c : piece) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        n = n * 10 + (c.unicode() - '0');
    }
    return n;
}

} // namespace

TMakeFind::TMakeFind(const ContentArchive& archive) : m_archive(archive) {}

QByteArray TMakeFind::smallLetters(const QByteArray& cp1251Text) {
    const auto& small = smallLetterTable();
    QByteArray out = cp1251Text;
    for (char& c : out)
        c = char(small[uchar(c)]);
    return out;
}

void TMakeFind::SetFolder(const QString& path) {
    m_folder = path.endsWith(QLatin1Char('\\')) ? path.chopped(1) : path;
}

QString TMakeFind::pathOf(const char* name) const {
    return m_folder + QLatin1Char('\\') + QLatin1String(name);
}

bool TMakeFind::IndexSearch(const QString& text, QStringList& files, QStringList& titles,
                            bool matchCase) {
    using namespace indexlines;
    // 1. All three files must be there.
    for (const char* name : {kKeywords, kIndex, kFiles}) {
        if (!m_archive.exists(pathOf(name))) {
            m_messages.append({QString::fromUtf16(kMissing), false});
            return false;
        }
    }
    auto open = [this](const char* name) {
        const QString path = pathOf(name);
        std::optional<QByteArray> whole;
        QString native;
        if (m_archive.inArchive(path))
            whole = m_archive.read(path);
        if (!whole)
            native = BookPaths::resolveOnDisk(path);
        auto file = std::make_unique<IndexFile>(QLatin1String(name), std::move(whole), native);
        if (!file->isOpen())
            m_messages.append({QString::fromUtf16(kNotOpened).arg(QLatin1String(name)), true});
        return file;
    };

    // 2. The keyword: a line equal to the text. A text the code page cannot
    // spell equals no line of a code page 1251 file.
    auto keywords = open(kKeywords);
    if (!keywords->isOpen())
        return false;
    const QByteArray wanted = cp1251::fromUnicode(text);
    const bool spellable = cp1251::toUnicode(wanted) == text;
    QByteArray line;
    bool cut = false;
    qint64 k = 0;
    for (qint64 n = 1; keywords->next(line, cut); ++n) {
        if (spellable && !cut && sameText(line, wanted, matchCase)) {
            k = n;
            break;
        }
    }
    if (k == 0)
        return false;

    // 3. Its page list: line k of index.idx.
    auto index = open(kIndex);
    if (!index->isOpen())
        return false;
    QByteArray list;
    qint64 n = 0;
    while (n < k && index->next(list, cut))
        ++n;
    if (n < k)
        return false;
    // A list cut at the line ceiling may end in part of a number: drop it.
    if (cut)
        list.truncate(std::max<qsizetype>(0, list.lastIndexOf(':')));

    // 4. The listed lines of files.idx, in file order, each once.
    std::vector<qint64> numbers;
    for (const QString& piece : SplitBy(QStringLiteral(":"), cp1251::toUnicode(list))) {
        if (const auto number = pageNumber(piece); number && *number > 0)
            numbers.push_back(*number);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    auto pages = open(kFiles);
    if (!pages->isOpen())
        return false;
    const qsizetype before = files.size();
    auto want = numbers.cbegin();
    for (qint64 m = 1; pages->next(line, cut); ++m) {
        // The whole file is read, as the reader always does; only listed
        // lines are decoded.
        if (want == numbers.cend() || *want != m)
            continue;
        ++want;
        const QStringList parts = SplitBy(QStringLiteral("#:#"), cp1251::toUnicode(line));
        if (parts.isEmpty())
            continue;
        files.append(parts.at(0));
        titles.append(parts.size() > 1 ? parts.at(1) : QString());
    }
    // 5.
    return files.size() > before;
}
