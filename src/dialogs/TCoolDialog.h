#pragma once

#include "reader/TFindTxtHtml.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

// The book's own small dialogs in one borderless, stay-on-top, owner-drawn
// window described by "Dialog.cfs" in the resource pack: the message box
// (0), the text search with its scope switches and result list (1), and the
// two printer notices (2: no printer installed, 3: the default printer is not
// available). Showing does not wait: ShowDialog returns at once.
class TCoolDialog : public QWidget {
    Q_OBJECT
public:
    static constexpr auto kEntry = "Dialog.cfs";
    enum Number { Message = 0, Search = 1, NoPrinter = 2, NoDefaultPrinter = 3 };

    explicit TCoolDialog(QWidget* mainWindow);
    ~TCoolDialog() override;

    // The text search whose fields, modes and results the search page shows
    // (may stay unset: the search page then has no fields).
    void setSearch(TFindTxtHtml* search);
    TFindTxtHtml* search() const { return m_search; }

    // Builds and shows dialog `number` with the message `text` (may be
    // empty); a dialog whose background picture cannot be loaded shows
    // nothing. A dialog already shown is replaced.
    void ShowDialog(int number, const QString& text);
    // The dialog shown last (also after it was closed); -1 before any.
    int currentDialog() const { return m_current; }
    // The search page is on the screen.
    bool searchShown() const { return isVisible() && m_current == Search; }

    // A button's or switch's verb; true when it closed the dialog.
    bool RunVerb(const QString& verb, const QString& sound);
    // The search page's result list: the titles are shown (empty lists
    // remove the list and shorten the window).
    void ShowResults(const QStringList& files, const QStringList& titles);
    // The hint of the search button (the first button whose verb is
    // exactly "findnext1").
    void SetSearchHint(const QString& text);

signals:
    // Esc in the dialog: the main window's keyboard handling decides.
    void escapePressed();

private:
    QPointer<QWidget> m_mainWindow;
    QPointer<TFindTxtHtml> m_search;
    int m_current = -1;
};
