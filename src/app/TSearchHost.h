#pragma once

#include <QObject>

class TFindTxtHtml;
class TMainForm;

// The search fields of a window and their searches, wired to the window:
// the content frame, the contents trees, the status line, the scale bar and
// the book; the fields follow the screens and hide while the window fades;
// Enter in a page goes to the fields. It claims the search verbs (findnext,
// findtxtall, findtxtlimit, caseon, caseoff) and the search key (Ctrl+F).
//
// In the main window the fields wait, hidden, for the search dialog to take
// them, and findnext opens that dialog; in the thesaurus window the fields
// sit on the window and findnext searches at once.
class TSearchHost : public QObject {
    Q_OBJECT
public:
    // Nothing is created when the window's description has no `_findtxt`
    // rows; the verbs are claimed in any case (they then do nothing).
    explicit TSearchHost(TMainForm& window);

    // The search, or nullptr without fields.
    TFindTxtHtml* search() const { return m_search; }

    // After every screen change and while the window fades.
    void showForScreen(int screen);
    void setFadeRunning(bool running);

private:
    void claimVerbs();
    void openSearchDialog();

    TMainForm& m_window;
    TFindTxtHtml* m_search = nullptr;
};
