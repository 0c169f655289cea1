#pragma once

#include <QObject>
#include <QString>

#include <functional>

class BookPaths;
class TMainForm;

// The way from a page of the book to its thesaurus: the `tesaurus` verb and
// Shift+T look the current word (the selection of the current page; none:
// the thesaurus's start page) up in the book's tezaurus.idx and show the
// page found in the thesaurus window, a second copy of the program captioned
// "Тезаурус". A running thesaurus window is handed the page; otherwise a new
// copy is started in thesaurus mode. In the thesaurus window itself the page
// simply opens there.
class TThesaurusOpener : public QObject {
    Q_OBJECT
public:
    static constexpr auto kCaption = u"Тезаурус";

    // Claims Verb::Tesaurus and the Shift+T key of `window`.
    explicit TThesaurusOpener(TMainForm& window);

    // Hands `page` (a full path text, perhaps with an "#anchor") to the
    // running window captioned "Тезаурус" (restored, brought to the front,
    // sent a kind 0 record). False when no such window is found; unset: none
    // is ever found.
    std::function<bool(const QString& page)> sendToThesaurusWindow;

    // OpenThesaurus: the page of `text` (trimmed; empty: the start page) in
    // the thesaurus window. Returns the full page path it asked for, empty
    // when the index knows nothing or the page is not in the book.
    QString OpenThesaurus(const QString& text);
    // The current word: the selection of the page shown now (trimmed).
    QString currentWord() const;
    // The page of a "/t" command line as a path text: a full path (what the
    // other copies pass, native or path text) as it stands, a relative one
    // resolved against the book.
    static QString pagePath(const QString& page, const BookPaths& paths);

signals:
    // A new thesaurus copy was asked to start with these arguments.
    void instanceStarted(const QStringList& arguments);

private:
    TMainForm& m_window;
};
