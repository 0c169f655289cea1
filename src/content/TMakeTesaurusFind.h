#pragma once

#include <QString>
#include <QStringList>

class ContentArchive;

// The thesaurus index tezaurus.idx: one "headword ~ page" entry a line (code
// page 1251, read through the content archive, so it may lie in
// interface.dat or on disk). A headword is a term or the stem of one; the
// page (relative to the index folder, perhaps with an "#anchor") is where
// the thesaurus explains it. The first line's page is the thesaurus's start
// page. Nothing is cached: every lookup reads the file again.
class TMakeTesaurusFind {
public:
    static constexpr auto kIndexFile = "tezaurus.idx";
    static constexpr auto kNotOpened = u"Индексный файл не найден (tezaurus.idx)";

    explicit TMakeTesaurusFind(const ContentArchive& archive);

    // The folder of the index (path text); one trailing backslash is removed.
    void SetFolder(const QString& path);
    const QString& folder() const { return m_folder; }

    // The page of `text`: an empty text asks for the start page (the first
    // line's); otherwise the first entry in file order whose headword, lower
    // case, occurs anywhere in the text, lower case. A line without "~" or
    // with an empty page is no entry. A missing index gives false quietly;
    // an index that exists but cannot be read gives false and its warning
    // in messages().
    bool ThesaurusLookup(const QString& text, QString& page);

    // The warnings the lookups gave, in order (the reader shows each one in
    // a warning box).
    const QStringList& messages() const { return m_messages; }

private:
    const ContentArchive& m_archive;
    QString m_folder;
    QStringList m_messages;
};
