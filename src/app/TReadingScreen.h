#pragma once

#include "app/TCommandDispatcher.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <memory>

class TFrameViewer;
class THtmlFavorite;
class THtmlFrame;
class TControlPopupWindow;
class TMainForm;
#include "reader/TPanelBkgrd.h"
class TTreeSet;

// The reading parts of a window: the background panel, the content frame,
// the contents trees and the favourites, wired to the skin of the window
// that hosts them, and the skinned popups of the window (history lists,
// favourites, the page's menu and the buttons' own menus). It claims the
// verbs, keys and dropped files these parts serve.
class TReadingScreen : public QObject {
    Q_OBJECT
public:
    // Builds the parts the book describes: the frame only when `_html`
    // elements exist, the trees and the panel only in the skinned window.
    explicit TReadingScreen(TMainForm& window, bool skinned);
    ~TReadingScreen() override;

    THtmlFrame* frame() const { return m_frame; }
    TTreeSet* trees() const { return m_trees; }
    TPanelBkgrd* panel() const { return m_panel; }
    THtmlFavorite* favorites() const { return m_favorites.get(); }
    // None when the book declares no popups.
    // The current screen's popups (built now if they were still waiting).
    TControlPopupWindow* popups() {
        ensurePopups();
        return m_popups;
    }

    // After every screen change: the frame and the trees show the screen's
    // parts; `page` is the page a screen command gave the main tree.
    void showScreen(int screen, const QString& page);
    // The window fade hides the panel while it runs.
    void setFadeRunning(bool running, int screen);

    // The command of a popup item: "history=" + n, "html=" + file,
    // "htmlpos=" + file + "=" + position, the page commands
    // (copyclipboardhtml, addtofavorite, deffonthtml, selectallhtml,
    // printhtml); anything else runs as a window command without sound.
    void runPopupCommand(const QString& command);
    // The current page as a favourite (verb addtofavorite, Ctrl+I).
    bool addToFavorites();
    // Opens a dropped page or picture in the current viewer.
    void openDropped(const QString& file);

signals:
    // The current viewer's history changed (page loaded, step, jump).
    void historyChanged();

private:
    void createFrame(bool skinned);
    void createTrees();
    void claimVerbs();
    void onPageChanged(TFrameViewer* viewer, const QString& titleLine);
    void applyChapterHints(const QString& next, const QString& prev);
    void historyStep(bool back);
    void treeVerb(const RCommand& c);
    void createPopups();
    void renewFavorites();
    void refreshHistoryPopups();
    void closePopups();
    // The list popups open under the button that carries the verb.
    void showListPopup(int type, const RCommand& c);
    QString currentPage() const;
    // Builds the current screen's popups when a screen change left them to
    // be built (at start-up, after the first frame), and fills their lists.
    void ensurePopups();
    void fillFavoritesPopup();

    TMainForm& m_window;
    QPointer<TPanelBkgrd> m_panel;
    THtmlFrame* m_frame = nullptr;
    TTreeSet* m_trees = nullptr;
    std::unique_ptr<THtmlFavorite> m_favorites;
    TControlPopupWindow* m_popups = nullptr;
    bool m_popupsPending = false;
    bool m_popupsBuilt = false;
};
