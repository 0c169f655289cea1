#pragma once

#include "content/TMakeFind.h"
#include "data/BookPaths.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class ContentArchive;
class TFileSource;

// The search of the whole book without widgets, shared by the reader's
// search dialog and the book tool: first the book's index files, else every
// page in turn, matched as the engine's find would see its text (without
// laying the page out).
class TBookSearch {
public:
    // `archive`: the book's archive (page list, index files); `source`: how
    // pages are read; `paths`: base directory and book root.
    TBookSearch(const ContentArchive& archive, const TFileSource& source, const BookPaths& paths);

    // The index search (letter case ignored); result paths carry the base
    // directory. False when not found: the caller then searches page by page.
    bool indexSearch(const QString& text, QStringList& files, QStringList& titles);
    // The pages of a page-by-page search: archive pages (".htm" in the
    // extension) except those directly in "man\" or "man_\", as book root +
    // lower-case path; without `allPages` those whose path contains one of
    // `nofiles` are left out. Nothing left: one empty path.
    QStringList pageList(const QStringList& nofiles, bool allPages) const;
    // True when `page` holds `text` as the engine's find would see it.
    bool pageContains(const QString& page, const QString& text, bool matchCase) const;
    // The files.idx title of a found page: the first line whose path part,
    // trimmed, equals the page's bare file name (letter case ignored), or,
    // for a files.idx that lists paths with folders, names the same page
    // when joined to the base directory. False when the page is not listed.
    // files.idx is read once per object.
    bool titleOf(const QString& page, QString& title);
    // The page-by-page search: `beforePage(i, n)` runs before page i of n and
    // returns false to stop; found pages listed in files.idx are appended in
    // page order. A second thread reads and matches pages ahead (also while
    // `beforePage` runs: `source` must allow reads from two threads, as the
    // archive and disk sources do, and outlive the call); it is joined
    // before this returns, a stop ending it after the page in hand.
    void fallback(const QString& text, bool matchCase, const QStringList& pages, QStringList& files,
                  QStringList& titles, const std::function<bool(int, int)>& beforePage = {});

    // The notices of the index search, in order.
    const QList<TMakeFind::Message>& messages() const { return m_messages; }

    // Pages read and matched ahead of the one reported next (by a second
    // thread: `source` must allow reads from it, as the archive and the disk
    // sources do).
    static constexpr int kLookAhead = 16;
    // files.idx lines read for titles at most (more pages than any book has).
    static constexpr qsizetype kMaxListedPages = 1000000;

private:
    struct Listed {
        QString path;     // as files.idx gives it, trimmed
        QString fullPath; // joined to the base directory, backslashes
        QString title;
    };
    void loadTitles();

    const ContentArchive& m_archive;
    const TFileSource& m_source;
    BookPaths m_paths; // a copy: callers may pass a temporary
    QList<TMakeFind::Message> m_messages;
    QList<Listed> m_titles;
    bool m_titlesRead = false;
};
