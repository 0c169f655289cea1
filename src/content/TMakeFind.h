#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class ContentArchive;

// The book's prepared search index: keywords.idx (one keyword a line),
// index.idx (for keyword n, the numbers of the files.idx lines of its pages,
// ":"-separated) and files.idx ("path#:#title" a line), code page 1251, read
// through the content archive (so in interface.dat or on disk). Nothing is
// cached: every search reads the files again.
class TMakeFind {
public:
    static constexpr auto kKeywords = "keywords.idx";
    static constexpr auto kIndex = "index.idx";
    static constexpr auto kFiles = "files.idx";
    static constexpr auto kMissing = u"Индескный(е) файл(ы) не найден";
    // "%1": the file's name.
    static constexpr auto kNotOpened = u"Индексный файл не найден (%1)";
    // Lines are cut at this length (the rest of the line is skipped).
    static constexpr qsizetype kMaxLineBytes = 64 * 1024;

    // A notice for the reader: a plain message box, or a warning box.
    struct Message {
        QString text;
        bool warning = false;
    };

    explicit TMakeFind(const ContentArchive& archive);

    // The folder of the index files (path text); one trailing backslash is removed.
    void SetFolder(const QString& path);
    const QString& folder() const { return m_folder; }

    // The pages of the keyword equal to `text` (letter case of code page
    // 1251 ignored unless `matchCase`): paths and titles appended in
    // files.idx order. False when a file is missing or unreadable (see
    // messages()), the text is no keyword, or no page is listed.
    bool IndexSearch(const QString& text, QStringList& files, QStringList& titles, bool matchCase);

    const QList<Message>& messages() const { return m_messages; }

    // Code page 1251 text with every letter of the code page made small: two
    // texts are equal ignoring case when these are equal.
    static QByteArray smallLetters(const QByteArray& cp1251Text);

private:
    QString pathOf(const char* name) const;

    const ContentArchive& m_archive;
    QString m_folder;
    QList<Message> m_messages;
};
