#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The manual's pages: read as UTF-8 sources, written the way a book of the
// 2000s ships them (windows-1251 with a matching <meta> charset; a page
// marked "keep-utf8" stays UTF-8), and indexed for the prepared search.
class PageSet {
public:
    struct Page {
        QString file;     // bare file name, e.g. p03_engine.htm
        QString title;    // the <title> text
        QString text;     // the visible text, for the index
        QByteArray bytes; // the converted page
    };

    // Reads every *.htm of `folder` (sorted by name). False with `error` on a
    // page that cannot be read or converted.
    bool load(const QString& folder, QString* error);

    const QList<Page>& pages() const { return m_pages; }

    // The three index files from a keyword list (one keyword a line). Pages
    // whose name starts with one of `skip` are not indexed. Keywords found
    // on no page are left out and reported in `unused`.
    struct Index {
        QByteArray keywords, index, files;
    };
    Index buildIndex(const QStringList& keywords, const QStringList& skip,
                     QStringList* unused) const;

    // A UTF-8 text as a windows-1251 text file with CR LF line ends.
    static QByteArray toCp1251Text(const QString& text);
    // A UTF-8 page converted to windows-1251 (its meta charset follows).
    static std::optional<QByteArray> convertPage(const QString& html, QString* error);
    static QString visibleText(const QString& html);
    static QString titleOf(const QString& html);

private:
    QList<Page> m_pages;
};
