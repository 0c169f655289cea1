#pragma once

#include "data/StructModel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class BookPaths;
class ContentArchive;
class QLineEdit;
class THTMLViewer;
class QWidget;
class TFileSource;
class THtmlFrame;
class TScaleBar;
class TStatusLine;
class TTreeSet;

// The search fields of the skin (`_findtxt` elements) and the three text
// searches they start: in the page shown (going on into other pages when
// the all-pages flag is set), over the whole book (the book's index files,
// else every page in turn, with a result list), and over the captions of
// the contents tree.
//
// The fields live on the search dialog, which re-parents them when it shows
// its search page; in the thesaurus window they sit on the window itself.
// The dialog listens to idleChanged() (its search button's hint) and
// resultsReady() (its result list), and calls FindNext(), the mode setters,
// SetScope() and OpenResult().
class TFindTxtHtml : public QObject {
    Q_OBJECT
public:
    static constexpr auto kEnterWord = u"Введите слово для поиска";
    static constexpr auto kNotFound = u"Текст не найден";

    // `fieldParent`: the widget that parents the fields at creation (the
    // main window); `frame`: the content frame the page searches run in.
    TFindTxtHtml(QWidget* fieldParent, THtmlFrame* frame, QObject* parent = nullptr);
    ~TFindTxtHtml() override;

    // What the searches reach besides the frame (each may stay unset).
    void setTrees(TTreeSet* trees);
    void setStatusLine(TStatusLine* status);
    void setScaleBar(TScaleBar* bar);
    // The book: its archive (index files and the page list of a book search),
    // the file source the pages are read through, and its paths (base
    // directory, book root).
    void setBook(const ContentArchive* archive, const TFileSource* source, const BookPaths* paths);
    // The thesaurus window: the fields stay on the window and a page search
    // first looks for the "~ " entry of the text.
    void setThesaurusWindow(bool on);

    // Builds one field per row (nothing without rows).
    void Create(const TDynamicFindTxtArray& rows);
    int fieldCount() const;
    QLineEdit* field(int index) const;
    // The field with `number`, or nullptr.
    QLineEdit* fieldByNumber(int number) const;
    const RFindTxt& row(int index) const;
    // After every screen change: the fields of `screen` are shown, those of
    // the previous screen hidden.
    void ShowFieldsOfScreen(int screen);
    // Hides (true) or shows again (false) the current screen's fields, while
    // other windows cover the dialog.
    void HideFields(bool hide);

    // The search of field `number` in the current mode.
    void FindNext(int number);
    // The first field's Enter and the dialog's "findnext" + number while a
    // search runs: a stop request; otherwise FindNext(number).
    void runFindCommand(int number);

    // The scope verbs: all pages (true) or the page and its list (false).
    // A change empties every field's page list; both mode flags are cleared.
    void SetScope(bool all);
    bool allPages() const { return m_allPages; }
    // The dialog's mode commands: book mode ("findtxtall"), contents mode
    // ("findtxtcontents"); page mode is SetScope(false).
    void setBookMode();
    void setContentsMode();
    bool bookMode() const { return m_bookMode; }
    bool contentsMode() const { return m_contentsMode; }

    // The case flag (verbs caseon / caseoff); off at start.
    void setCaseSensitive(bool on) { m_matchCase = on; }
    bool caseSensitive() const { return m_matchCase; }

    // True when no search runs. SetIdle(true) while a search runs asks it
    // to stop after the current page.
    void SetIdle(bool idle);
    bool IsIdle() const { return m_idle; }

    // The result list of the last book search (page files and titles).
    const QStringList& resultFiles() const { return m_files; }
    const QStringList& resultTitles() const { return m_titles; }
    // Opens result `index`: the page is loaded (a name without a folder is
    // taken from the base directory) and the tree follows it, then the first
    // occurrence of field 1's text on it is selected.
    void OpenResult(int index);

    // Enter in a viewer: passed to every visible field as an Enter press.
    void pressEnterInFields();

    // The position in the page list of a search past the page (-1: none
    // under way) and the page that search started from.
    int position() const { return m_position; }
    const QString& startPage() const { return m_startPage; }
    // The pages a search past the page (page mode) or a page-by-page search
    // of the book (book mode) goes through, as last built for field `index`.
    QStringList pageList(int index) const;
    QStringList bookPageList(int index) const;

signals:
    // The search starts (false) or has ended or stopped (true).
    void idleChanged(bool idle);
    // A book search has finished: the dialog shows the titles.
    void resultsReady(const QStringList& files, const QStringList& titles);
    // The mouse moved over a field: the skin drops its hover looks (the
    // window passes (-1, -1) to its elements).
    void skinMouseMove(int x, int y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        QPointer<QLineEdit> edit;
        RFindTxt row;
        QStringList pages;     // the pages of a search past this page, built on demand
        QStringList bookPages; // the pages of a page-by-page book search
    };

    int indexOf(int number) const;
    // Trims the field's text and folds runs of spaces into one; written back.
    QString normalisedText(int index);
    void showStatus(const QString& text);
    void clearStatus();
    // The document a page search of field `index` runs in: the field's
    // frame of a frame set, else the viewer's active document.
    THTMLViewer* targetOf(int index) const;
    // Finds `text` after the selection of `target`; the match is selected.
    bool findIn(THTMLViewer* target, const QString& text) const;
    // The text of field `index`; an empty one says so on the status line.
    QString searchText(int index);
    void searchPage(int index);
    void searchOtherPages(int index, const QString& text);
    // Every page of the book for a search past the page (all-pages flag).
    QStringList allPagesOfBook() const;
    void ContentsSearch(int index);
    void BookSearch(int index);
    void onTextChanged();
    // May the fields be shown where they are now: always in the thesaurus
    // window; in the main window only once the dialog has taken them.
    bool showable(const QLineEdit* edit) const;

    QPointer<QWidget> m_fieldParent;
    QPointer<THtmlFrame> m_frame;
    QPointer<TTreeSet> m_trees;
    QPointer<TStatusLine> m_status;
    QPointer<TScaleBar> m_bar;
    const ContentArchive* m_archive = nullptr;
    const TFileSource* m_source = nullptr;
    const BookPaths* m_paths = nullptr;
    QList<Field> m_fields;
    int m_position = -1;
    bool m_allPages = false;
    bool m_bookMode = false;
    bool m_contentsMode = false;
    bool m_idle = true;
    bool m_tildeTried = false;
    bool m_thesaurus = false;
    bool m_matchCase = false;
    int m_previousScreen = -1;
    QString m_startPage;
    QStringList m_files;
    QStringList m_titles;
    QList<QPointer<QLineEdit>> m_hiddenFields; // hidden by HideFields(true)
};
