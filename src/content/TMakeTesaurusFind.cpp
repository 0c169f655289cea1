#include "content/TMakeTesaurusFind.h"

#include "content/ContentArchive.h"
#include "data/IndexLines.h"
#include "platform/Cp1251.h"

#include <QBuffer>

TMakeTesaurusFind::TMakeTesaurusFind(const ContentArchive& archive) : m_archive(archive) {}

void TMakeTesaurusFind::SetFolder(const QString& path) {
    m_folder = path;
    if (m_folder.endsWith(QLatin1Char('\\')))
        m_folder.chop(1);
}

bool TMakeTesaurusFind::ThesaurusLookup(const QString& text, QString& page) {
    using namespace indexlines;
    // 1. A book without a thesaurus: nothing to say.
    const QString file = m_folder + QLatin1Char('\\') + QLatin1String(kIndexFile);
    if (!m_archive.exists(file))
        return false;
    // 2. The whole file (it is small); one that cannot be read is named.
    std::optional<QByteArray> bytes = m_archive.read(file);
    if (!bytes) {
        m_messages.append(QString::fromUtf16(kNotOpened));
        return false;
    }
    QBuffer stream(&*bytes);
    stream.open(QIODevice::ReadOnly);
    const QString wanted = text.toLower();
    QByteArray raw;
    bool more = true;
    while (more) {
        more = ReadIndexLine(stream, raw);
        const QString line = cp1251::toUnicode(raw);
        const QStringList parts = SplitBy(QStringLiteral("~"), line);
        const QString target = parts.size() >= 2 ? trimControls(parts.at(1)) : QString();
        const bool entry = !target.isEmpty();
        // 3. The start page: the first line decides (blank lines before it
        // do not count).
        if (text.isEmpty()) {
            if (trimControls(line).isEmpty())
                continue;
            if (!entry)
                return false;
            page = target;
            return true;
        }
        // 4. The first headword contained in the text wins.
        if (!entry)
            continue;
        const QString headword = trimControls(parts.at(0)).toLower();
        if (!headword.isEmpty() && wanted.contains(headword)) {
            page = target;
            return true;
        }
    }
    return false;
}
